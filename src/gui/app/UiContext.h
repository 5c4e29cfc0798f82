#pragma once
// What every window gets: the program context and the modal-window seam.
#include "core/app/AppContext.h"
#include "gui/app/DialogRunner.h"

#include <QWidget>

struct UiContext {
    AppContext& app;
    DialogRunner& dialogs;
};
