#pragma once
// A test program directory with the windows' context: the scripted dialog seam
// and the window driver.
#include "gui/app/UiContext.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"
#include "support/WindowDriver.h"

struct UiTestEnv : TestEnv {
    ScriptedDialogs dialogs;
    UiContext ui{*app, dialogs};
};
