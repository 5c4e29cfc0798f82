#pragma once
// The program's one-line text input: the caller sets the prompt and the
// initial text, shows it modally and reads the answer from sInput.
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

#include <string>

class Enter_Input : public QDialog {
    Q_OBJECT
public:
    explicit Enter_Input(QWidget* parent = nullptr);

    // The prompt above the box.
    std::string sLabel;
    // The initial text; after the window closed, the answer: trimmed on OK
    // (unchanged when the box was emptied), empty on Cancel, unchanged when
    // closed by the close box.
    std::string sInput;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void cmdOK_Click();
    void cmdCancel_Click();

    QLabel* Label1;
    QLineEdit* Text1;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;
};
