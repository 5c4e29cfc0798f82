// The settings window as a new program directory shows it, and with the
// network mode and the greyed compatibility state read from the file.
#include "Screens.h"

#include "core/common/IniFile.h"
#include "gui/app/MiscSetting.h"

#include <filesystem>

void RenderMiscSetting(Screens& s)
{
    AppContext app(s.programDir, s.prompter);
    UiContext ui{app, s.dialogs};
    const std::filesystem::path ini = app.state.IniPath();
    {
        MiscSetting dialog(ui);
        s.Save(dialog, "MiscSetting-defaults");
    }
    IniWrite(ini, "Operation", "Mode", "1");
    IniWrite(ini, "Lib", "V1DataCompatible", "2");
    MiscSetting dialog(ui);
    s.Save(dialog, "MiscSetting-network-greyed");
}
