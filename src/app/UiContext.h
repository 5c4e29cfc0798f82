#pragma once
// What every window gets: the program context and the modal-window seam.
#include "app/AppContext.h"
#include "app/DialogRunner.h"

#include <QWidget>

struct UiContext {
    AppContext& app;
    DialogRunner& dialogs;
};
