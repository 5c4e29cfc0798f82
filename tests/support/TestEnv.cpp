#include "support/TestEnv.h"

#include "core/common/IniFile.h"

#include <fstream>
#include <random>
#include <sstream>

namespace fs = std::filesystem;

namespace {
fs::path MakeTempRoot()
{
    std::random_device rd;
    for (;;) {
        const fs::path p = fs::temp_directory_path() / ("rztest-" + std::to_string(rd()));
        if (fs::create_directory(p)) return p;
    }
}
} // namespace

TestEnv::TestEnv()
    : root(MakeTempRoot()), programDir(root / "program"), app(std::make_unique<AppContext>(programDir, prompter))
{
    fs::create_directories(programDir);
    for (const char* name : {"blank-lib.mde", "blank-ctrl.mde"})
        fs::copy_file(fs::path(PROGRAM_DIR) / name, programDir / name);
}

TestEnv::~TestEnv()
{
    app->db.CloseLibConnection();
    app->db.CloseCtrlConnection();
    std::error_code ec;
    fs::remove_all(root, ec);
}

std::string TestEnv::MakeBareLibrary(const std::string& name)
{
    const fs::path lib = root / name;
    fs::create_directories(lib / "00000000");
    fs::copy_file(programDir / "blank-lib.mde", lib / "00000000/LIB.MDE");
    fs::copy_file(programDir / "blank-ctrl.mde", lib / "00000000/CTRL.MDE");
    return lib.string();
}

void TestEnv::Configure(const std::string& libPath) { IniWrite(Ini(), "Lib", "Path", libPath); }

void TestEnv::Activate(const std::string& libPath)
{
    app->state.gsActiveLibPath = libPath;
    app->state.gsCtrlLibPath = libPath;
}

std::string ReadFile(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

void WriteFile(const fs::path& file, const std::string& content)
{
    std::ofstream out(file, std::ios::binary);
    out << content;
}
