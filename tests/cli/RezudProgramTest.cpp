// The built rezud, run from a shell as cron would run it.
#include "RezudFixture.h"

#include <sys/wait.h>

#include <cstdlib>

namespace fs = std::filesystem;

class RezudProgramTest : public RezudTest {
protected:
    fs::path program = env.programDir / "rezud";
    fs::path pw = env.root / "pw";
    std::int64_t folder = 0;

    void SetUp() override
    {
        fs::copy_file(REZUD_BINARY, program);
        WriteFile(pw, "quillset\n");
        LibraryBuilder builder(lib);
        LibraryBuilder::Document doc;
        doc.internal = "1";
        doc.updated = "2020-01-01 10:00:00";
        doc.fileSize = 10;
        folder = builder.AddFolder(builder.AddDrawer(builder.AddCabinet()));
        builder.AddDocument(folder, doc);
        IniWrite(env.Ini(), "Lib", "Backpath", (env.root / "backup").string());
    }

    // The exit code, with no terminal on any stream.
    int Shell(const std::string& args, const std::string& prefix = "")
    {
        const std::string command = prefix + " '" + program.string() + "' " + args + " </dev/null >'" +
                                    (env.root / "out").string() + "' 2>'" + (env.root / "err").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string Out() const { return ReadFile(env.root / "out"); }
    std::string Err() const { return ReadFile(env.root / "err"); }
};

TEST_F(RezudProgramTest, ExitCodesAsScriptsReadThem)
{
    EXPECT_EQ(Shell("status"), 0);
    EXPECT_EQ(Out().substr(0, Out().find('\n')), "Library: " + lib);

    EXPECT_EQ(Shell("backup --password-file '" + pw.string() + "'"), 2);
    EXPECT_NE(Err().find("run it again with --yes"), std::string::npos);

    EXPECT_EQ(Shell("backup --yes --create-backup-path", "REZUD_ADMIN_PASSWORD=quillset"), 0) << Err();
    EXPECT_EQ(Err(), "");
    EXPECT_TRUE(fs::exists(env.root / "backup/Libbackup.ini"));

    fs::create_directories(lib + "/00000001/late.tif");
    LibraryBuilder builder(lib);
    LibraryBuilder::Document late;
    late.filename = "late.tif";
    late.internal = "1";
    late.updated = "2099-01-01 10:00:00"; // changed since the last run
    builder.AddDocument(folder, late);
    EXPECT_EQ(Shell("backup -y --password-file '" + pw.string() + "' --json"), 1) << Err();
    EXPECT_NE(Err().find("late.tif"), std::string::npos);

    EXPECT_EQ(Shell("users list", "REZUD_ADMIN_PASSWORD=wrong"), 3);
    EXPECT_EQ(Err(), "Login unsuccessful, please try again !\n");
    EXPECT_EQ(Shell("backup --frequently"), 64);
}
