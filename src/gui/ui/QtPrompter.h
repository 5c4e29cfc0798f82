#pragma once
// The Prompter of the running program: Qt message boxes, text prompt and the
// folder picker.
#include "core/base/Prompter.h"

#include <QWidget>

class QtPrompter : public Prompter {
public:
    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                     const std::string& title = kAppTitle) override;
    std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    std::optional<std::string> BrowseFolder(const FolderRequest& request) override;
};
