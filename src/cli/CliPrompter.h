#pragma once
// The person behind a command line: messages go to the terminal or into the
// JSON report, questions are answered by --yes or at a terminal, and never
// waited for where nobody can answer.
#include "cli/CliIo.h"
#include "core/base/Prompter.h"

#include <string>
#include <vector>

struct ShownMessage {
    std::string kind; // information, warning, error, question, message
    std::string text;
    std::string answer; // for a question: yes, no or unanswered
};

class CliPrompter : public Prompter {
public:
    CliPrompter(CliIo& io, bool yes, bool json) : io_(io), yes_(yes), json_(json) {}

    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) override;
    std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override;
    std::optional<std::string> BrowseFolder(const FolderRequest& request) override;

    // The text the next prompt for text gets, as if typed.
    void AnswerNextInput(std::string text) { input_ = std::move(text); }
    // A question came where nobody could answer it.
    bool Unanswered() const { return unanswered_; }
    const std::vector<ShownMessage>& Shown() const { return shown_; }

    // A line of the command's own output: stdout, or the JSON report alone.
    void Say(const std::string& text);
    // A message of the command itself, shown like the system's.
    void Tell(const std::string& text, MsgIcon icon) { MsgBox(text, MsgButtons::Ok, icon, kAppTitle); }

private:
    MsgAnswer Ask(ShownMessage& message);

    CliIo& io_;
    bool yes_;
    bool json_;
    bool unanswered_ = false;
    std::optional<std::string> input_;
    std::vector<ShownMessage> shown_;
};

// The system's "\r\n" line breaks as a terminal wants them.
std::string TerminalText(const std::string& text);
