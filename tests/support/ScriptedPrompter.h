#pragma once
// A prompter for tests: answers from queues and records every box shown.
#include "core/base/Prompter.h"

#include <deque>
#include <string>
#include <vector>

struct ShownBox {
    std::string text;
    MsgButtons buttons;
    MsgIcon icon;
    std::string title;
};

class ScriptedPrompter : public Prompter {
public:
    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                     const std::string& title = kAppTitle) override;
    std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    std::optional<std::string> BrowseFolder(const FolderRequest& request) override;

    // Answers for Yes/No boxes, text prompts and folder pickers, in order.
    std::deque<MsgAnswer> answers;
    std::deque<std::string> inputs;
    std::deque<std::optional<std::string>> folders;

    std::vector<ShownBox> boxes;
    struct Prompt {
        std::string prompt, title, defaultText;
    };
    std::vector<Prompt> prompts;
    std::vector<FolderRequest> folderRequests;

    // Texts of the boxes shown, in order.
    std::vector<std::string> Texts() const;
    const ShownBox& Last() const;
    // Error reports ("Unexpected Error" boxes) shown.
    int ErrorReports() const;
    void Clear();
};
