#pragma once
// A dialog that runs a walk which cannot be cancelled once started: while
// it runs, the close box and Esc are ignored.
#include <QCloseEvent>
#include <QDialog>
#include <QKeyEvent>

class WalkDialog : public QDialog {
public:
    using QDialog::QDialog;

protected:
    void closeEvent(QCloseEvent* event) override
    {
        if (running_)
            event->ignore();
        else
            QDialog::closeEvent(event);
    }
    void keyPressEvent(QKeyEvent* event) override
    {
        if (running_ && event->key() == Qt::Key_Escape) return;
        QDialog::keyPressEvent(event);
    }

    bool running_ = false;
};
