// Library creation, description and the maintenance boxes, rendered by
// running the real routines with a prompter that draws every box it shows.
#include "Screens.h"

#include "core/common/IniFile.h"
#include "core/data/Compact.h"
#include "core/data/Maintenance.h"
#include "core/library/LibraryCreate.h"
#include "core/library/LibraryDesc.h"
#include "gui/app/LibAdminMain.h"
#include "gui/library/LibCreate.h"

#include <QApplication>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>

#include <SQLiteCpp/SQLiteCpp.h>

#include <deque>

namespace {

// Draws each box as out/<next name>.png and answers from its queues.
class DrawingPrompter : public Prompter {
public:
    explicit DrawingPrompter(Screens& s) : s_(s) {}
    std::deque<std::string> names;
    std::deque<MsgAnswer> answers;
    std::deque<std::string> inputs;

    MsgAnswer MsgBox(const std::string& text, MsgButtons buttons, MsgIcon icon, const std::string& title) override
    {
        static const QMessageBox::Icon icons[] = {QMessageBox::NoIcon, QMessageBox::Warning, QMessageBox::Critical,
                                                  QMessageBox::Information, QMessageBox::Question};
        QMessageBox box(icons[static_cast<int>(icon)], QString::fromStdString(title), Qt(text),
                        buttons == MsgButtons::YesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok);
        s_.Save(box, Next());
        if (buttons == MsgButtons::Ok) return MsgAnswer::Ok;
        return Take(answers, MsgAnswer::No);
    }
    std::string InputBox(const std::string& prompt, const std::string& title, const std::string& defaultText) override
    {
        QInputDialog dialog;
        dialog.setWindowTitle(QString::fromStdString(title));
        dialog.setLabelText(Qt(prompt));
        dialog.setTextValue(QString::fromStdString(defaultText));
        s_.Save(dialog, Next());
        return Take(inputs, std::string());
    }
    std::optional<std::string> BrowseFolder(const FolderRequest&) override { return std::nullopt; }

private:
    static QString Qt(const std::string& text) { return QString::fromStdString(text).replace("\r\n", "\n"); }
    template <typename T>
    static T Take(std::deque<T>& queue, T none)
    {
        if (queue.empty()) return none;
        T value = queue.front();
        queue.pop_front();
        return value;
    }
    std::string Next() { return Take(names, "box-" + std::to_string(++count_)); }
    Screens& s_;
    int count_ = 0;
};

void RenderLocationWindow(Screens& s, AppContext& app, DrawingPrompter& prompter)
{
    LibCreate form(app);
    s.Save(form, "LibCreate");
    form.findChild<QLineEdit*>("Text1")->setText("relative/lib");
    prompter.names = {"LibCreate-PathNotSpecified"};
    form.findChild<QPushButton*>("cmdCreate")->click();
    form.findChild<QLineEdit*>("Text1")->setText(QString::fromStdString((s.programDir / "Archive").string()));
    s.Save(form, "LibCreate-path");
}

void RenderCreation(Screens& s, AppContext& app, DrawingPrompter& prompter)
{
    prompter.names = {"CreateNewLib-question", "CreateLibNow-confirm", "CreateLibNow-description",
                      "CreateLibNow-created"};
    prompter.answers = {MsgAnswer::No, MsgAnswer::Yes};
    prompter.inputs = {"Head office archive"};
    const std::string chosen = (s.programDir / "Archive").string();
    CreateNewLib(app, [&] { return chosen; });

    // The default directory already holds a library.
    app.state.homeDir = s.programDir;
    s.MakeLibrary();
    prompter.names = {"CreateNewLib-question-default", "CreateNewLib-overwrite", "CreateLibNow-confirm-default",
                      "CreateLibNow-exists"};
    prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes};
    CreateNewLib(app, [] { return std::string(); });
    prompter.names = {"CreateLib-not-successful"};
    prompter.MsgBox(kCreateNotSuccessful, MsgButtons::Ok, MsgIcon::Exclamation, kAppTitle);
}

void RenderMaintenance(Screens& s, AppContext& app, DrawingPrompter& prompter)
{
    const std::string lib = (s.programDir / "Archive").string();
    app.state.gsActiveLibPath = lib;
    app.state.gsCtrlLibPath = lib;
    prompter.names = {"LibDesc-prompt"};
    prompter.inputs = {"Head office archive, 2nd floor"};
    EditLibDesc(app);

    prompter.names = {"Compact-question", "Compact-done"};
    prompter.answers = {MsgAnswer::Yes};
    CompactAndRepairLibrary(app);
    {
        // A client holding a write lock: the compaction is refused.
        SQLite::Database client(LibDatabaseFile(lib), SQLite::OPEN_READWRITE);
        client.exec("BEGIN IMMEDIATE");
        prompter.names = {"Compact-refused-report"};
        CompactDB(app, LibDatabaseFile(lib), 50);
        client.exec("ROLLBACK");
    }
    prompter.names = {"ResetDoc-question", "ResetDoc-done"};
    prompter.answers = {MsgAnswer::Yes};
    ResetDocumentLocks(app);
}

} // namespace

void RenderLibraryCreation(Screens& s)
{
    DrawingPrompter prompter(s);
    AppContext app(s.programDir, prompter);
    RenderLocationWindow(s, app, prompter);
    RenderCreation(s, app, prompter);
    RenderMaintenance(s, app, prompter);
    app.db.CloseLibConnection();
    app.db.CloseCtrlConnection();

    // The console shows the new library and its description.
    const std::string lib = (s.programDir / "Archive").string();
    IniWrite(s.programDir / "Vellarch.ini", "Lib", "Path", lib);
    AppContext consoleApp(s.programDir, s.prompter);
    UiContext ui{consoleApp, s.dialogs};
    LibAdminMain console(ui);
    s.Save(console, "LibAdminMain-created");
}
