// Renders every window of the program offscreen to PNG files, so anyone can
// look at them without a display, and tells which captions do not fit:
//   screens OUTDIR [--scale FACTOR] [--point-size POINTS]
// The screen is 1920x1080 pixels; it exits 1 when a caption is cut or a
// window does not fit that screen.
#include "Screens.h"

#include <QApplication>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <cstring>

namespace fs = std::filesystem;

namespace {

struct Options {
    const char* out = nullptr;
    const char* scale = nullptr;
    double pointSize = 0;
};

bool Parse(int argc, char** argv, Options& o)
{
    for (int i = 1; i < argc; ++i) {
        const bool hasValue = i + 1 < argc;
        if (std::strcmp(argv[i], "--scale") == 0 && hasValue)
            o.scale = argv[++i];
        else if (std::strcmp(argv[i], "--point-size") == 0 && hasValue)
            o.pointSize = std::atof(argv[++i]);
        else if (!o.out && argv[i][0] != '-')
            o.out = argv[i];
        else
            return false;
    }
    return o.out != nullptr;
}

} // namespace

int main(int argc, char** argv)
{
    Options options;
    if (!Parse(argc, argv, options)) {
        std::fprintf(stderr, "usage: screens OUTDIR [--scale FACTOR] [--point-size POINTS]\n");
        return 2;
    }
    // A full HD screen: the windows size themselves to its room.
    QTemporaryDir work;
    const QString screen = work.filePath("screen.json");
    if (QFile file(screen); file.open(QIODevice::WriteOnly))
        file.write(R"({"screens": [{"name": "HD", "width": 1920, "height": 1080}]})");
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + screen.toLocal8Bit());
    // Read once, when the application starts.
    if (options.scale) qputenv("QT_SCALE_FACTOR", options.scale);
    QApplication qapp(argc, argv);
    if (options.pointSize > 0) {
        QFont font = QApplication::font();
        font.setPointSizeF(options.pointSize);
        QApplication::setFont(font);
    }
    Screens s;
    s.out = fs::absolute(options.out);
    s.programDir = work.path().toStdString();
    fs::create_directories(s.out);
    const fs::path exeDir = QCoreApplication::applicationDirPath().toStdString();
    for (const char* name : {"blank-lib.mde", "blank-ctrl.mde"}) fs::copy_file(exeDir / name, s.programDir / name);

    // Each module adds its windows here.
    RenderConsole(s);
    RenderLibraryCreation(s);
    RenderBackup(s);
    RenderLibCheck(s);
    RenderActiveUser(s);
    RenderMiscSetting(s);
    RenderLibSelect(s);
    RenderAdminPass(s);
    RenderUserWindows(s);
    RenderVerifyRestore(s);

    for (const QString& line : s.cut) std::fprintf(stderr, "cut: %s\n", qPrintable(line));
    for (const QString& line : s.tooLarge) std::fprintf(stderr, "too large: %s\n", qPrintable(line));
    return s.cut.isEmpty() && s.tooLarge.isEmpty() ? 0 : 1;
}
