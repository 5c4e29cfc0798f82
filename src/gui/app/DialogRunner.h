#pragma once
// The one seam through which modal windows open: the program runs them with
// exec(); a test drives them without a blocking event loop.
#include <QDialog>

class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Shows the dialog modally and returns its result code.
    virtual int Run(QDialog& dialog) { return dialog.exec(); }
};
