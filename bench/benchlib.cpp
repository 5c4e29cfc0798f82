// benchlib: the benchmark's view of the program, without windows.
//   benchlib generate LIB DOCUMENTS     create LIB with the program and fill it
//   benchlib stats LIB                  the statistics walk
//   benchlib backup LIB BACKUP SIZE_KB  one backup run into BACKUP
//   benchlib change LIB PERCENT SEED [LIST]  mark PERCENT % of the documents changed now;
//                                       their paths below LIB, one a line, into LIST
//   benchlib check LIB                  the library check (its report's counts)
#include "BenchGenerate.h"

#include "core/app/AppContext.h"
#include "core/backup/LibBackupRun.h"
#include "core/data/Connection.h"
#include "core/library/LibStatistics.h"
#include "core/library/LibraryCheck.h"
#include "core/library/LibraryCreate.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

// Says yes to every question and prints every box, so a failure is seen.
class BenchPrompter : public Prompter {
public:
    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon, const std::string& title) override
    {
        if (buttons == MsgButtons::Ok) std::cerr << "[" << title << "] " << text << "\n";
        ++shown;
        return buttons == MsgButtons::YesNo ? MsgAnswer::Yes : MsgAnswer::Ok;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return "Benchmark"; }
    std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }
    int shown = 0;
};

fs::path ProgramDir() { return fs::read_symlink("/proc/self/exe").parent_path().parent_path(); }

double Seconds(std::chrono::steady_clock::time_point start)
{
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

int Usage()
{
    std::cerr
        << "usage: benchlib generate LIB DOCS | stats LIB | backup LIB BACKUP SIZE_KB | change LIB PERCENT SEED [LIST]"
           " | check LIB\n";
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    SetUpSqlite(); // as rezud does
    if (argc < 3) return Usage();
    const std::string command = argv[1];
    const std::string lib = fs::absolute(argv[2]).string();
    BenchPrompter prompter;
    AppContext app(ProgramDir(), prompter);
    const auto start = std::chrono::steady_clock::now();
    if (command == "generate" && argc == 4) {
        if (!CreateLibNow(app, lib)) return 1;
        app.db.CloseLibConnection();
        app.db.CloseCtrlConnection();
        GenerateOptions options;
        options.documents = std::stoll(argv[3]);
        FillLibrary(lib, options);
    } else if (command == "stats" && argc == 3) {
        app.state.gsActiveLibPath = app.state.gsCtrlLibPath = lib;
        const StatResult r = LibStatistics(app).Start();
        std::printf("documents %lld size_kb %lld\n", static_cast<long long>(r.fileCount),
                    static_cast<long long>(r.fileSizeKB));
    } else if (command == "backup" && argc == 5) {
        app.state.gsActiveLibPath = app.state.gsCtrlLibPath = lib;
        app.state.gsBackupLibPath = fs::absolute(argv[3]).string();
        LibBackupRun run(app);
        run.missingPath = MissingBackupPath::Create;
        if (!run.LibBackup(std::stoll(argv[4]))) return 1;
        const BackupTotals& t = run.Totals();
        std::printf("scan %lld modified %lld copy %lld\n", static_cast<long long>(t.scan),
                    static_cast<long long>(t.modified), static_cast<long long>(t.copy));
    } else if (command == "change" && (argc == 5 || argc == 6)) {
        std::vector<std::string> changed;
        const std::int64_t count =
            ChangeDocuments(lib, std::stod(argv[3]), static_cast<std::uint32_t>(std::stoul(argv[4])), &changed);
        std::printf("changed %lld\n", static_cast<long long>(count));
        if (argc == 6) {
            std::sort(changed.begin(), changed.end());
            changed.erase(std::unique(changed.begin(), changed.end()), changed.end());
            std::ofstream list(argv[5]);
            for (const std::string& path : changed) list << path << '\n';
            if (!list.flush()) return 1;
        }
    } else if (command == "check" && argc == 3) {
        const CheckReport r = CheckLibrary(lib);
        std::printf("documents %lld findings %zu\n", static_cast<long long>(r.documents), r.findings.size());
        if (r.Failed() || r.HasFindings()) {
            std::cerr << RenderCheckText(r);
            return 1;
        }
    } else {
        return Usage();
    }
    std::fprintf(stderr, "%s took %.3f s\n", command.c_str(), Seconds(start));
    return prompter.shown > (command == "generate" ? 2 : 0) ? 1 : 0;
}
