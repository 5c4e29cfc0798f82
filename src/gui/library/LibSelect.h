#pragma once
// The window "Select Library": the active and the backup library paths,
// each with a browse button. Its results go to the settings file only.
#include "gui/app/UiContext.h"

#include <QDialog>
#include <QLineEdit>

class LibSelect : public QDialog {
    Q_OBJECT
public:
    explicit LibSelect(UiContext& ui, QWidget* parent = nullptr);

private:
    void Load();
    void CenterOnScreen();
    void BrowseInto(QLineEdit* box, const char* procName);
    void OnOK();

    UiContext& ui_;
    QLineEdit* tbLibPath_;
    QLineEdit* tbLibPathBackup_;
};
