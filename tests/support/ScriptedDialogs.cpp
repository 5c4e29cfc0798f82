#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <gtest/gtest.h>

int ScriptedDialogs::Run(QDialog& dialog)
{
    opened.push_back(dialog.objectName().toStdString());
    dialog.setResult(QDialog::Rejected);
    dialog.show();
    QApplication::processEvents();
    if (steps.empty()) {
        ADD_FAILURE() << "unscripted dialog: " << dialog.objectName().toStdString();
    } else {
        Step step = std::move(steps.front());
        steps.pop_front();
        step(dialog);
    }
    // A dialog the step left open is closed as by its close box.
    if (dialog.isVisible()) dialog.reject();
    return dialog.result();
}
