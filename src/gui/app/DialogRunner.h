#pragma once
// The one seam through which modal windows open: the program runs them with
// exec(); a test drives them without a blocking event loop.
#include "gui/ui/OpenerTrap.h"

#include <QDialog>

class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Shows the dialog modally and returns its result code; an error that a
    // handler of the dialog carried out of its event loop is thrown here.
    virtual int Run(QDialog& dialog)
    {
        const int result = dialog.exec();
        RethrowCarried(dialog);
        return result;
    }
};
