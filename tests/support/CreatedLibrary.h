#pragma once
// Libraries made by the program's own creation routine, for tests that need
// a library exactly as the program makes it.
#include "support/TestEnv.h"

#include <string>

// Creates a library at env.root/name through CreateLibNow, answering its
// question and description prompt. On return the library is configured in
// the settings file and active (both paths), and the prompter's record is
// cleared. Throws when the creation fails.
std::string CreateLibrary(TestEnv& env, const std::string& name = "lib", const std::string& description = "");
