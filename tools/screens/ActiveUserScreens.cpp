// The active user list with a few logins, one user logged in twice.
#include "Screens.h"

#include "core/data/Database.h"
#include "gui/users/ActiveUser.h"

void RenderActiveUser(Screens& s)
{
    const std::string lib = s.MakeLibrary("ActiveUserLib");
    AppContext app(s.programDir, s.prompter);
    app.state.gsActiveLibPath = lib;
    app.state.gsCtrlLibPath = lib;
    UiContext ui{app, s.dialogs};
    app.db.TableExe("INSERT INTO `user-list` (`user-name`,`login-id`,`type`) VALUES "
                    "('Administrator','admin','U'),('Admin Group','admin','G'),"
                    "('Mary Clerk','mary','U'),('Tom Filer','tom','U')");
    app.db.CtrlTableExe("INSERT INTO `active-list` (uid,`log-date`) VALUES "
                        "(4,'2006-03-15 14:05:09'),(3,'2006-03-15 08:30:00'),(4,'2006-03-16 09:00:00'),"
                        "(1,NULL)");
    ActiveUser dialog(ui);
    s.Save(dialog, "ActiveUser");
    app.db.CloseLibConnection();
    app.db.CloseCtrlConnection();
}
