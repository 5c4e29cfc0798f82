#pragma once
// The window that asks where a new library goes.
#include "core/app/AppContext.h"

#include <QDialog>
#include <QLineEdit>

#include <string>

class LibCreate : public QDialog {
    Q_OBJECT
public:
    explicit LibCreate(AppContext& app, QWidget* parent = nullptr);

    // The directory chosen; empty unless "Create Library Now" accepted one,
    // so closing the window by its close box counts as Cancel.
    std::string sCreateLibPath;

private:
    void Browse();
    void Create();
    void Cancel();

    AppContext& app_;
    QLineEdit* Text1_;
};
