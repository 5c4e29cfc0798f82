// User maintenance, user groups and the text input window, on a library
// with a few users and groups.
#include "Screens.h"

#include "core/users/Password.h"
#include "gui/common/Enter_Input.h"
#include "gui/ui/UserStdButton.h"
#include "gui/users/User_Admin.h"
#include "gui/users/User_Group.h"

#include <QComboBox>
#include <QTabWidget>

namespace {

void AddRows(AppContext& app)
{
    Database& db = app.db;
    db.TableExe("INSERT INTO `user-list` (`user-name`,`login-id`,`type`,`password`) VALUES (?,?,'U',?)",
                {"Administrator", "admin", ScramblePassword("quillset")});
    db.TableExe("INSERT INTO `user-list` (`user-name`,`type`) VALUES ('Admin Group','G')");
    db.TableExe("INSERT INTO `user-group` (gid, uid) VALUES (2, 1)");
    for (const char* user : {"Mike Smith", "Anna Lee", "Pat O'Brien"}) {
        const std::string name = user;
        db.TableExe("INSERT INTO `user-list` (`user-name`,`login-id`,`type`) VALUES (?,?,'U')",
                    {name, name.substr(0, name.find(' '))});
    }
    db.TableExe("INSERT INTO `user-list` (`user-name`,`type`) VALUES ('Scanning','G')");
    db.TableExe("INSERT INTO `user-group` (gid, uid) VALUES (6, 3), (6, 4)");
    // As long as a name may be.
    db.TableExe("INSERT INTO `user-list` (`user-name`,`type`) VALUES ('Scanning and Indexing Dpt','G')");
}

void Press(QWidget& w, const char* button) { w.findChild<UserStdButton*>(button)->InnerButton()->click(); }

void Pick(QWidget& w, const char* entry)
{
    auto* combo = w.findChild<QComboBox*>("Combo1");
    const int index = combo->findText(entry);
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

} // namespace

void RenderUserWindows(Screens& s)
{
    const std::string lib = s.MakeLibrary("UserLib");
    AppContext app(s.programDir, s.prompter);
    app.state.gsActiveLibPath = app.state.gsCtrlLibPath = lib;
    AddRows(app);
    UiContext ui{app, s.dialogs};
    {
        User_Admin w(ui);
        s.Save(w, "User_Admin-administrator");
        Pick(w, "Mike Smith");
        s.Save(w, "User_Admin-detail");
        w.findChild<QTabWidget*>("Tab1")->setCurrentIndex(1);
        s.Save(w, "User_Admin-password");
        Press(w, "usbNew");
        s.Save(w, "User_Admin-new");
    }
    {
        User_Group w(ui);
        s.Save(w, "User_Group-admin-group");
        Pick(w, "Scanning");
        s.Save(w, "User_Group-scanning");
        Pick(w, "Scanning and Indexing Dpt");
        s.Save(w, "User_Group-long-name");
    }
    Enter_Input input;
    input.sLabel = "Rename user group to";
    input.sInput = "Scanning and Indexing Dpt";
    s.Save(input, "Enter_Input");
    app.db.CloseLibConnection();
}
