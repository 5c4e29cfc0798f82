#pragma once
// A test program directory with the windows' context: the scripted dialog seam.
#include "gui/app/UiContext.h"
#include "support/ScriptedDialogs.h"
#include "support/TestEnv.h"

struct UiTestEnv : TestEnv {
    ScriptedDialogs dialogs;
    UiContext ui{*app, dialogs};
};
