#include "gui/app/MiscSetting.h"

#include "core/app/MiscSettingValues.h"
#include "core/common/IniFile.h"
#include "gui/app/LibAdminMain.h"
#include "gui/ui/UserStdButton.h"
#include "support/UiTestEnv.h"

#include <QCheckBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace {

struct MiscSettingTest : ::testing::Test {
    UiTestEnv env;

    bool Network(QWidget& w) { return Find<QRadioButton>(w, "optNetwork")->isChecked(); }
    bool Single(QWidget& w) { return Find<QRadioButton>(w, "optSingle")->isChecked(); }
    QCheckBox* Check(QWidget& w) { return Find<QCheckBox>(w, "ckbCompatibleCheck"); }
    std::string Stored(const char* section, const char* key) { return IniRead(env.Ini(), section, key); }
};

} // namespace

TEST(MiscSettingValues, CompatibilityOtherThanZeroOneOrTwoIsOne)
{
    EXPECT_EQ(CompatibilityValue("0"), 0);
    EXPECT_EQ(CompatibilityValue(" 2 "), 2);
    EXPECT_EQ(CompatibilityValue("00"), 0);
    EXPECT_EQ(CompatibilityValue("1"), 1);
    for (const char* other : {"", "3", "-1", "yes", "1.5", "99999999999999"})
        EXPECT_EQ(CompatibilityValue(other), 1) << other;
}

TEST_F(MiscSettingTest, WithoutASettingsFileSingleUserAndCompatibilityOn)
{
    MiscSetting window(env.ui);
    EXPECT_EQ(window.windowTitle(), "Misc Setting");
    EXPECT_TRUE(Single(window));
    EXPECT_FALSE(Network(window));
    EXPECT_EQ(Check(window)->checkState(), Qt::Checked);
    EXPECT_FALSE(fs::exists(env.Ini())) << "reading writes nothing";
    Click(window, "usbOK");
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Stored("Operation", "Mode"), "0");
    EXPECT_EQ(Stored("Lib", "V1DataCompatible"), "1");
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(MiscSettingTest, ModeOtherThanOneIsSingleUserAndRewrittenAsZero)
{
    WriteFile(env.Ini(), "[Operation]\nMode=2\n[LIB]\nV1DataCompatible=\n");
    MiscSetting window(env.ui);
    EXPECT_TRUE(Single(window));
    EXPECT_EQ(Check(window)->checkState(), Qt::Checked) << "an empty value reads as 1";
    Click(window, "usbOK");
    EXPECT_EQ(Stored("Operation", "Mode"), "0");
    EXPECT_EQ(Stored("Lib", "V1DataCompatible"), "1");
    EXPECT_EQ(ReadFile(env.Ini()).find("[Lib]"), std::string::npos) << "written into [LIB]";
}

TEST_F(MiscSettingTest, ModeOneInBlanksIsNetworkAndUnticksStay)
{
    WriteFile(env.Ini(), "[Operation]\nMode=  1  \n[Lib]\nV1DataCompatible=0\n");
    MiscSetting window(env.ui);
    EXPECT_TRUE(Network(window));
    EXPECT_EQ(Check(window)->checkState(), Qt::Unchecked);
    EXPECT_FALSE(Check(window)->isTristate());
    Click(window, "usbOK");
    EXPECT_EQ(Stored("Operation", "Mode"), "1");
    EXPECT_EQ(Stored("Lib", "V1DataCompatible"), "0");
}

TEST_F(MiscSettingTest, GreyedStateIsKeptUntilClicked)
{
    WriteFile(env.Ini(), "[Lib]\nV1DataCompatible=2\n");
    {
        MiscSetting window(env.ui);
        EXPECT_EQ(Check(window)->checkState(), Qt::PartiallyChecked);
        Click(window, "usbOK");
        EXPECT_EQ(Stored("Lib", "V1DataCompatible"), "2");
    }
    MiscSetting window(env.ui);
    Check(window)->click();
    EXPECT_EQ(Check(window)->checkState(), Qt::Checked);
    Check(window)->click();
    Check(window)->click();
    EXPECT_EQ(Check(window)->checkState(), Qt::Checked) << "no way back to grey by clicking";
    Click(window, "usbOK");
    EXPECT_EQ(Stored("Lib", "V1DataCompatible"), "1");
}

TEST_F(MiscSettingTest, CancelAndTheCloseBoxLeaveTheFileUntouched)
{
    const std::string content = "; kept\n[Operation]\nMode=2\n";
    WriteFile(env.Ini(), content);
    {
        MiscSetting window(env.ui);
        window.show();
        Find<QRadioButton>(window, "optNetwork")->click();
        Check(window)->click();
        Click(window, "usbCancel");
        EXPECT_FALSE(window.isVisible());
    }
    {
        MiscSetting window(env.ui);
        window.show();
        Find<QRadioButton>(window, "optNetwork")->click();
        window.close();
    }
    EXPECT_EQ(ReadFile(env.Ini()), content);
}

TEST_F(MiscSettingTest, AFailedWriteIsToldAndTheWindowStaysOpen)
{
    // The settings file cannot be replaced: a directory holds its name.
    fs::create_directories(env.Ini());
    MiscSetting window(env.ui);
    window.show();
    EXPECT_TRUE(Single(window));
    Click(window, "usbOK");
    ASSERT_EQ(env.prompter.boxes.size(), 1u);
    EXPECT_EQ(env.prompter.Last().text, "Failed to save the settings in " + env.Ini() + " !");
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
    EXPECT_TRUE(window.isVisible());
    Click(window, "usbCancel");
    EXPECT_FALSE(window.isVisible());
}

TEST_F(MiscSettingTest, ConsoleCommandOpensTheWindowAfterTheLogin)
{
    const std::string lib = env.MakeBareLibrary();
    env.Configure(lib);
    LibAdminMain console(env.ui);
    env.app->state.gsLoginUserName = "Administrator";
    env.dialogs.steps.push_back([&](QDialog& dialog) {
        Find<QRadioButton>(dialog, "optNetwork")->click();
        Click(dialog, "usbOK");
    });
    Find<QPushButton>(console, "cmdMiscSetting")->click();
    EXPECT_EQ(env.dialogs.opened, std::vector<std::string>{"MiscSetting"});
    EXPECT_EQ(Stored("Operation", "Mode"), "1");
    EXPECT_EQ(Stored("Lib", "Path"), lib) << "other keys kept";
}

TEST_F(MiscSettingTest, EnterSavesAndEscCancels)
{
    const auto open = [&](MiscSetting& window) {
        window.show();
        window.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
        Find<QRadioButton>(window, "optNetwork")->setChecked(true);
    };
    {
        MiscSetting window(env.ui);
        open(window);
        QTest::keyClick(Find<QRadioButton>(window, "optNetwork"), Qt::Key_Escape);
        EXPECT_FALSE(window.isVisible());
        EXPECT_FALSE(fs::exists(env.Ini()));
    }
    MiscSetting window(env.ui);
    open(window);
    QTest::keyClick(Check(window), Qt::Key_Return);
    EXPECT_FALSE(window.isVisible());
    EXPECT_EQ(Stored("Operation", "Mode"), "1");
}
