#include "support/CreatedLibrary.h"

#include "core/library/LibraryCreate.h"

#include <stdexcept>

std::string CreateLibrary(TestEnv& env, const std::string& name, const std::string& description)
{
    const std::string path = (env.root / name).string();
    env.prompter.answers.push_back(MsgAnswer::Yes);
    env.prompter.inputs.push_back(description);
    if (!CreateLibNow(*env.app, path)) throw std::runtime_error("library not created at " + path);
    env.Activate(path);
    env.prompter.Clear();
    return path;
}
