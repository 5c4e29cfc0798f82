#pragma once
// The window "Misc Setting": the operation mode and the compatibility with
// version 1.xx data, read from and written to the settings file.
#include "gui/app/UiContext.h"

#include <QCheckBox>
#include <QDialog>
#include <QRadioButton>

class UserStdButton;

class MiscSetting : public QDialog {
    Q_OBJECT
public:
    explicit MiscSetting(UiContext& ui, QWidget* parent = nullptr);

private:
    void FormLoad();
    void usbOK_Click();

    UiContext& ui_;
    QRadioButton* optNetwork;
    QRadioButton* optSingle;
    QCheckBox* ckbCompatibleCheck;
    UserStdButton* usbOK;
    UserStdButton* usbCancel;
};
