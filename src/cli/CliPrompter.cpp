#include "cli/CliPrompter.h"

#include <istream>
#include <ostream>

namespace {

const char* KindOf(MsgIcon icon)
{
    switch (icon) {
    case MsgIcon::Information:
        return "information";
    case MsgIcon::Exclamation:
        return "warning";
    case MsgIcon::Critical:
        return "error";
    case MsgIcon::Question:
        return "question";
    case MsgIcon::None:
        break;
    }
    return "message";
}

} // namespace

std::string TerminalText(const std::string& text)
{
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
        out += text[i];
    }
    return out;
}

MsgAnswer CliPrompter::MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string&)
{
    ShownMessage message{buttons == MsgButtons::YesNo ? "question" : KindOf(icon), text, ""};
    if (buttons == MsgButtons::YesNo) {
        const MsgAnswer answer = Ask(message);
        shown_.push_back(std::move(message));
        return answer;
    }
    shown_.push_back(message);
    const bool toStdout = icon == MsgIcon::Information || icon == MsgIcon::None;
    if (toStdout && json_) return MsgAnswer::Ok;
    (toStdout ? io_.out : io_.err) << TerminalText(text) << '\n';
    return MsgAnswer::Ok;
}

MsgAnswer CliPrompter::Ask(ShownMessage& message)
{
    if (yes_) {
        message.answer = "yes";
        return MsgAnswer::Yes;
    }
    io_.err << TerminalText(message.text);
    if (!io_.inTerminal) {
        io_.err << "\nNo answer without a terminal: run the command again with --yes to answer yes.\n";
        message.answer = "unanswered";
        unanswered_ = true;
        return MsgAnswer::No;
    }
    io_.err << " [y/N] " << std::flush;
    std::string line;
    std::getline(io_.in, line);
    const bool yes = line == "y" || line == "Y" || line == "yes" || line == "Yes" || line == "YES";
    message.answer = yes ? "yes" : "no";
    return yes ? MsgAnswer::Yes : MsgAnswer::No;
}

std::string CliPrompter::InputBox(const std::string& prompt, const std::string&, const std::string& defaultText)
{
    std::string text = input_ ? *input_ : defaultText;
    input_.reset();
    shown_.push_back({"input", prompt, text});
    return text;
}

std::optional<std::string> CliPrompter::BrowseFolder(const FolderRequest&) { return std::nullopt; }

void CliPrompter::Say(const std::string& text)
{
    if (!json_) io_.out << TerminalText(text) << '\n';
}
