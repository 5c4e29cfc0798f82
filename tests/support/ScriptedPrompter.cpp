#include "support/ScriptedPrompter.h"

#include <gtest/gtest.h>

MsgAnswer ScriptedPrompter::MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title)
{
    boxes.push_back({text, buttons, icon, title});
    if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
    if (answers.empty()) {
        ADD_FAILURE() << "unscripted question: " << text;
        return MsgAnswer::No;
    }
    const MsgAnswer answer = answers.front();
    answers.pop_front();
    return answer;
}

std::string ScriptedPrompter::InputBox(const std::string& prompt, const std::string& title,
                                       const std::string& defaultText)
{
    prompts.push_back({prompt, title, defaultText});
    if (inputs.empty()) {
        ADD_FAILURE() << "unscripted prompt: " << prompt;
        return {};
    }
    std::string answer = inputs.front();
    inputs.pop_front();
    return answer;
}

std::optional<std::string> ScriptedPrompter::BrowseFolder(const FolderRequest& request)
{
    folderRequests.push_back(request);
    if (folders.empty()) {
        ADD_FAILURE() << "unscripted folder picker: " << request.title;
        return std::nullopt;
    }
    auto answer = folders.front();
    folders.pop_front();
    return answer;
}

std::vector<std::string> ScriptedPrompter::Texts() const
{
    std::vector<std::string> texts;
    for (const auto& box : boxes) texts.push_back(box.text);
    return texts;
}

const ShownBox& ScriptedPrompter::Last() const
{
    static const ShownBox none{"<no box shown>", MsgButtons::Ok, MsgIcon::None, ""};
    return boxes.empty() ? none : boxes.back();
}

int ScriptedPrompter::ErrorReports() const
{
    int count = 0;
    for (const auto& box : boxes) count += box.title == "Unexpected Error";
    return count;
}

void ScriptedPrompter::Clear()
{
    boxes.clear();
    prompts.clear();
    folderRequests.clear();
}
