#include "gui/app/MiscSetting.h"

#include "core/app/MiscSettingValues.h"
#include "gui/ui/OpenerTrap.h"
#include "gui/ui/UserStdButton.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

// The check box values as stored: 0 not ticked, 1 ticked, 2 greyed.
Qt::CheckState CheckStateOf(int value)
{
    return value == 0 ? Qt::Unchecked : value == 2 ? Qt::PartiallyChecked : Qt::Checked;
}

int ValueOf(Qt::CheckState state) { return state == Qt::Unchecked ? 0 : state == Qt::PartiallyChecked ? 2 : 1; }

} // namespace

MiscSetting::MiscSetting(UiContext& ui, QWidget* parent) : QDialog(parent), ui_(ui)
{
    setObjectName("MiscSetting");
    setWindowTitle("Misc Setting");
    auto* layout = new QVBoxLayout(this);

    auto* frame1 = new QGroupBox("Operation Mode", this);
    frame1->setObjectName("Frame1");
    auto* frame1Layout = new QVBoxLayout(frame1);
    auto* picture1 = new QWidget(frame1);
    picture1->setObjectName("Picture1");
    auto* options = new QHBoxLayout(picture1);
    optNetwork = new QRadioButton("Network", picture1);
    optNetwork->setObjectName("optNetwork");
    optSingle = new QRadioButton("Single User", picture1);
    optSingle->setObjectName("optSingle");
    options->addWidget(optNetwork);
    options->addWidget(optSingle);
    frame1Layout->addWidget(picture1);
    layout->addWidget(frame1);

    auto* frame2 = new QGroupBox("Library Compatibility Check", this);
    frame2->setObjectName("Frame2");
    auto* frame2Layout = new QVBoxLayout(frame2);
    ckbCompatibleCheck = new QCheckBox("Maintain compatibility with version 1.xx data", frame2);
    ckbCompatibleCheck->setObjectName("ckbCompatibleCheck");
    frame2Layout->addWidget(ckbCompatibleCheck);
    layout->addWidget(frame2);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    usbOK = new UserStdButton("OK", this);
    usbOK->setObjectName("usbOK");
    usbCancel = new UserStdButton("Cancel", this);
    usbCancel->setObjectName("usbCancel");
    // Enter saves, Esc cancels.
    usbOK->SetDefault(true);
    usbCancel->SetCancel(true);
    buttons->addWidget(usbOK);
    buttons->addWidget(usbCancel);
    layout->addLayout(buttons);

    // The greyed state only comes from the file; a click makes it a plain tick box again.
    connect(ckbCompatibleCheck, &QCheckBox::clicked, this, [this] { ckbCompatibleCheck->setTristate(false); });
    connect(usbOK, &UserStdButton::Click, this, ToOpenersTrap(this, &MiscSetting::usbOK_Click));
    connect(usbCancel, &UserStdButton::Click, this, &QDialog::reject);
    FormLoad();
}

void MiscSetting::FormLoad()
{
    const MiscSettingValues values = ReadMiscSettings(ui_.app.state.settings);
    (values.network ? optNetwork : optSingle)->setChecked(true);
    ckbCompatibleCheck->setTristate(values.compatible == 2);
    ckbCompatibleCheck->setCheckState(CheckStateOf(values.compatible));
}

void MiscSetting::usbOK_Click()
{
    MiscSettingValues values;
    values.network = optNetwork->isChecked();
    values.compatible = ValueOf(ckbCompatibleCheck->checkState());
    if (!WriteMiscSettings(ui_.app.state.settings, values)) {
        // Closing as if saved would lose the change unseen; Cancel still leaves.
        ui_.app.prompter.MsgBox(SettingsNotSavedText(ui_.app.state.IniPath()), MsgButtons::Ok, MsgIcon::Critical);
        return;
    }
    accept();
}
