#pragma once
// The window "Admin Password": asks for the administrator's password and
// records the login. Every attempt closes it.
#include "gui/app/UiContext.h"

#include <QDialog>
#include <QLineEdit>

class Admin_Pass : public QDialog {
    Q_OBJECT
public:
    explicit Admin_Pass(UiContext& ui, QWidget* parent = nullptr);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void OnOK();

    UiContext& ui_;
    QLineEdit* tbPass_;
};
