// Renders every window of the program offscreen to PNG files, so anyone can
// look at them without a display: screens OUTDIR
#include "app/AppContext.h"
#include "app/LibAdminMain.h"
#include "common/IniFile.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <vector>

namespace fs = std::filesystem;

namespace {

// Answers every box without showing it, so rendering never blocks.
class SilentPrompter : public Prompter {
public:
    MsgAnswer MsgBox(const std::string&, MsgButtons buttons, MsgIcon, const std::string&) override
    {
        return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
    }
    std::string InputBox(const std::string&, const std::string&, const std::string&) override { return {}; }
    std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }
};

// A dialog is shown, rendered by the caller and closed, never run modally.
class ShowOnly : public DialogRunner {
public:
    int Run(QDialog& dialog) override
    {
        dialog.show();
        return QDialog::Rejected;
    }
};

struct Screens {
    fs::path out;
    fs::path programDir;
    SilentPrompter prompter;
    ShowOnly dialogs;

    void Save(QWidget& w, const std::string& name)
    {
        w.show();
        QApplication::processEvents();
        const fs::path file = out / (name + ".png");
        if (!w.grab().save(QString::fromStdString(file.string())))
            std::fprintf(stderr, "screens: cannot write %s\n", file.c_str());
        else
            std::printf("%s\n", file.c_str());
    }

    // A library made from the blank templates, configured in the settings file.
    std::string MakeLibrary()
    {
        const fs::path lib = programDir / "VrchLib";
        fs::create_directories(lib / "00000000");
        fs::copy_file(programDir / "blank-lib.mde", lib / "00000000/LIB.MDE", fs::copy_options::overwrite_existing);
        fs::copy_file(programDir / "blank-ctrl.mde", lib / "00000000/CTRL.MDE", fs::copy_options::overwrite_existing);
        IniWrite(programDir / "Vellarch.ini", "Lib", "Path", lib.string());
        return lib.string();
    }

    void Console(const std::string& name)
    {
        AppContext app(programDir, prompter);
        UiContext ui{app, dialogs};
        LibAdminMain console(ui);
        Save(console, name);
    }
};

} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: screens OUTDIR\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication qapp(argc, argv);
    QTemporaryDir work;
    Screens s;
    s.out = fs::absolute(argv[1]);
    s.programDir = work.path().toStdString();
    fs::create_directories(s.out);
    const fs::path exeDir = QCoreApplication::applicationDirPath().toStdString();
    for (const char* name : {"blank-lib.mde", "blank-ctrl.mde"}) fs::copy_file(exeDir / name, s.programDir / name);

    s.Console("LibAdminMain-no-library");
    s.MakeLibrary();
    s.Console("LibAdminMain-library");
    return 0;
}
