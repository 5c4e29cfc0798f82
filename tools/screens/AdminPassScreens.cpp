// The administrator password window.
#include "Screens.h"

#include "gui/app/Admin_Pass.h"

#include <QLineEdit>

void RenderAdminPass(Screens& s)
{
    AppContext app(s.programDir, s.prompter);
    UiContext ui{app, s.dialogs};
    Admin_Pass dialog(ui);
    s.Save(dialog, "Admin_Pass");
    // The entry is masked with "*".
    if (auto* box = dialog.findChild<QLineEdit*>("tbPass")) box->setText("secret");
    s.Save(dialog, "Admin_Pass-typed");
}
