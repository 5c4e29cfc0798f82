#pragma once
// Runs rezud's commands through their entry function on a library made in a
// test program folder: arguments in, streams and the exit code out.
#include "cli/Rezud.h"
#include "core/common/IniFile.h"
#include "support/CreatedLibrary.h"
#include "support/LibraryBuilder.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

struct CliResult {
    int code = -1;
    std::string out;
    std::string err;
};

class RezudTest : public ::testing::Test {
protected:
    TestEnv env;
    std::string lib = CreateLibrary(env, "lib", "Test library");
    std::map<std::string, std::string> environment;
    bool terminal = false;
    std::string typed;  // what a person types at the terminal
    std::string secret; // what the password prompt reads

    CliResult Rezud(const std::vector<std::string>& args)
    {
        std::istringstream in(typed);
        std::ostringstream out, err;
        CliIo io{in,
                 out,
                 err,
                 terminal,
                 false,
                 [this](const std::string& name) -> std::optional<std::string> {
                     auto found = environment.find(name);
                     if (found == environment.end()) return std::nullopt;
                     return found->second;
                 },
                 [this](const std::string&) -> std::optional<std::string> { return secret; }};
        const int code = RunRezud(args, env.programDir, io);
        return {code, out.str(), err.str()};
    }

    // As a scheduled job runs it: no terminal, password from the environment.
    void Unattended(const std::string& password = "quillset")
    {
        terminal = false;
        environment["REZUD_ADMIN_PASSWORD"] = password;
    }

    std::string Lib() const { return lib + "/00000000/LIB.MDE"; }
    std::string Ctrl() const { return lib + "/00000000/CTRL.MDE"; }
};

// The library with a cabinet, a drawer and a folder, and a backup path in
// the settings file: what the backup, verify and restore commands start from.
class RezudBackupTestBase : public RezudTest {
protected:
    std::string backup = (env.root / "backup").string();
    LibraryBuilder builder{lib};
    std::int64_t folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));

    RezudBackupTestBase() { IniWrite(env.Ini(), "Lib", "Backpath", backup); }

    // A changed document whose file has `size` bytes.
    std::int64_t AddDocument(const std::string& name = "", std::int64_t size = 100)
    {
        LibraryBuilder::Document doc;
        doc.filename = name;
        doc.internal = "1";
        doc.updated = "2020-01-01 10:00:00";
        doc.fileSize = size;
        return builder.AddDocument(folder, doc);
    }
};
