#include "gui/ui/FolderDialog.h"

#include "gui/ui/QtPrompter.h"
#include "gui/ui/cBrowseFolder.h"
#include "support/UiTestEnv.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFileSystemModel>
#include <QListView>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

namespace fs = std::filesystem;

namespace {

// Waits for the file model to list the given folder.
bool WaitForListing(QFileSystemModel* model, const QString& dir, int rows)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < 5000) {
        QApplication::processEvents();
        if (model->rowCount(model->index(dir)) >= rows) return true;
    }
    return false;
}

// Runs the action on the modal folder dialog once it is open.
void WhenFolderDialogOpens(std::function<void(FolderDialog&)> action)
{
    QTimer::singleShot(0, [action] {
        auto* dialog = qobject_cast<FolderDialog*>(QApplication::activeModalWidget());
        if (!dialog) {
            ADD_FAILURE() << "no folder dialog open";
            return;
        }
        action(*dialog);
    });
}

} // namespace

class FolderDialogTest : public ::testing::Test {
protected:
    UiTestEnv env;
    QString Path(const char* name) const { return QString::fromStdString((env.root / name).string()); }
    void SetUp() override
    {
        fs::create_directories(env.root / "alpha");
        fs::create_directories(env.root / "beta");
        WriteFile(env.root / "file.txt", "x");
    }
};

TEST_F(FolderDialogTest, StatusLineFollowsTheHighlightedFolder)
{
    FolderDialog dialog(nullptr, {0, "Select a folder", (env.root / "alpha").string()});
    EXPECT_EQ(dialog.windowTitle(), "Select a folder");
    EXPECT_EQ(dialog.StatusText(), Path("alpha"));
    dialog.show();

    auto* list = dialog.findChild<QListView*>("listView");
    ASSERT_NE(list, nullptr);
    auto* model = qobject_cast<QFileSystemModel*>(list->model());
    ASSERT_NE(model, nullptr);
    const QString root = QString::fromStdString(env.root.string());
    ASSERT_TRUE(WaitForListing(model, root, 2));
    list->setCurrentIndex(model->index(Path("beta")));
    EXPECT_EQ(dialog.StatusText(), Path("beta"));
    list->setCurrentIndex(model->index(Path("alpha")));
    EXPECT_EQ(dialog.StatusText(), Path("alpha"));
}

TEST_F(FolderDialogTest, StatusLineIsBlankWithoutAFolder)
{
    FolderDialog missing(nullptr, {0, "", (env.root / "missing").string()});
    EXPECT_EQ(missing.StatusText(), "");
    FolderDialog none(nullptr, {0, "", ""});
    EXPECT_EQ(none.StatusText(), "");
}

TEST_F(FolderDialogTest, PickerReturnsTheConfirmedFolderUnderItsOwner)
{
    QWidget owner;
    const auto id = static_cast<std::intptr_t>(owner.winId());
    QtPrompter prompter;
    cBrowseFolder browser(prompter);
    browser.Init((env.root / "alpha").string() + "/", id, "Select a folder");
    QWidget* parentSeen = nullptr;
    WhenFolderDialogOpens([&](FolderDialog& d) {
        parentSeen = d.parentWidget();
        d.selectFile(Path("beta"));
        QMetaObject::invokeMethod(&d, "accept");
    });
    ASSERT_TRUE(browser.Browse());
    EXPECT_EQ(browser.SelectedPath(), (env.root / "beta").string());
    EXPECT_EQ(parentSeen, &owner);

    WhenFolderDialogOpens([](FolderDialog& d) { d.reject(); });
    EXPECT_FALSE(browser.Browse());
    EXPECT_EQ(browser.SelectedPath(), (env.root / "beta").string());
}

TEST_F(FolderDialogTest, TheRootIsPreselectedWhenItIsTheInitialPath)
{
    QtPrompter prompter;
    cBrowseFolder browser(prompter);
    browser.Init("/", 0, "Select a folder");
    QString status;
    QStringList selected;
    WhenFolderDialogOpens([&](FolderDialog& d) {
        status = d.StatusText();
        selected = d.selectedFiles();
        QMetaObject::invokeMethod(&d, "accept");
    });
    ASSERT_TRUE(browser.Browse());
    EXPECT_EQ(status, "/");
    EXPECT_EQ(selected, QStringList{"/"});
    EXPECT_EQ(browser.SelectedPath(), "/");
}
