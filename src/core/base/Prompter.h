#pragma once
// The one channel to the person at the screen. Windows use the Qt prompter;
// tests answer from a script and record every box shown.
#include <cstdint>
#include <optional>
#include <string>

enum class MsgIcon { None, Exclamation, Critical, Information, Question };
enum class MsgButtons { Ok, YesNo };
enum class MsgAnswer { Ok, Yes, No };

inline constexpr const char* kAppTitle = "Admin Tool";

// What a folder picker is asked for: its owner window, title and the folder
// selected when it opens.
struct FolderRequest {
    std::intptr_t owner = 0;
    std::string title;
    std::string initialPath;
};

class Prompter {
public:
    virtual ~Prompter() = default;

    // A message box; a box that names no title shows the application title.
    virtual MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon,
                             const std::string& title = kAppTitle) = 0;

    // A one-line text prompt; empty text on Cancel.
    virtual std::string InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& defaultText) = 0;

    // A modal folder picker; no value when cancelled.
    virtual std::optional<std::string> BrowseFolder(const FolderRequest& request) = 0;
};
