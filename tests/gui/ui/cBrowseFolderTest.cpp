#include "gui/ui/cBrowseFolder.h"

#include "support/ScriptedPrompter.h"

#include <QWidget>
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>

namespace {

// An id no window carries: that of a window already destroyed.
std::intptr_t GoneWindowId()
{
    auto widget = std::make_unique<QWidget>();
    const auto id = static_cast<std::intptr_t>(widget->winId());
    widget.reset();
    return id;
}

class ThrowingPrompter : public ScriptedPrompter {
public:
    std::optional<std::string> BrowseFolder(const FolderRequest&) override { throw std::runtime_error("broken"); }
};

} // namespace

TEST(cBrowseFolder, DefaultsAfterConstruction)
{
    ScriptedPrompter prompter;
    cBrowseFolder browser(prompter);
    EXPECT_EQ(browser.Flags(), 85);
    EXPECT_EQ(browser.HWndOwner(), 0);
    EXPECT_EQ(browser.InitialPath(), "");
    EXPECT_EQ(browser.DialogTitle(), "");
    EXPECT_EQ(browser.SelectedPath(), "");
}

TEST(cBrowseFolder, InitialPathLosesOneTrailingSeparator)
{
    ScriptedPrompter prompter;
    cBrowseFolder browser(prompter);
    browser.Init("/data/lib/", 0, "Title");
    EXPECT_EQ(browser.InitialPath(), "/data/lib");
    EXPECT_EQ(browser.DialogTitle(), "Title");
    // The root keeps its only separator, so the picker still preselects it.
    browser.SetInitialPath("/");
    EXPECT_EQ(browser.InitialPath(), "/");
    browser.SetInitialPath("//");
    EXPECT_EQ(browser.InitialPath(), "/");
    browser.SetInitialPath("/data//");
    EXPECT_EQ(browser.InitialPath(), "/data/");
    browser.SetInitialPath("/data");
    EXPECT_EQ(browser.InitialPath(), "/data");
}

TEST(cBrowseFolder, OwnerMustBeAWindowWhenAboveZero)
{
    ScriptedPrompter prompter;
    cBrowseFolder browser(prompter);
    browser.Init("", -5, "");
    EXPECT_EQ(browser.HWndOwner(), -5);
    QWidget owner;
    const auto id = static_cast<std::intptr_t>(owner.winId());
    browser.SetHWndOwner(id);
    EXPECT_EQ(browser.HWndOwner(), id);

    const std::intptr_t gone = GoneWindowId();
    try {
        browser.Init("/a/", gone, "New title");
        FAIL() << "no error for an id that is no window";
    } catch (const BrowseFolderError& e) {
        EXPECT_EQ(e.number(), -2147204442);
        EXPECT_STREQ(e.what(), "Invalid window handle");
        EXPECT_EQ(e.source().substr(e.source().find('.')), ".VUVED_BrowseForFolderHandler");
    }
    // The path was stored before the owner was checked; nothing after it.
    EXPECT_EQ(browser.InitialPath(), "/a");
    EXPECT_EQ(browser.HWndOwner(), id);
    EXPECT_EQ(browser.DialogTitle(), "");
    EXPECT_THROW(browser.SetHWndOwner(gone), BrowseFolderError);
}

TEST(cBrowseFolder, BrowseHandsTheRequestToThePickerAndKeepsTheChoice)
{
    ScriptedPrompter prompter;
    cBrowseFolder browser(prompter);
    QWidget owner;
    const auto id = static_cast<std::intptr_t>(owner.winId());
    browser.Init("/start/", id, "Select a folder");
    prompter.folders = {std::string("/picked"), std::nullopt, std::string()};
    EXPECT_TRUE(browser.Browse());
    EXPECT_EQ(browser.SelectedPath(), "/picked");
    ASSERT_EQ(prompter.folderRequests.size(), 1u);
    EXPECT_EQ(prompter.folderRequests[0].owner, id);
    EXPECT_EQ(prompter.folderRequests[0].title, "Select a folder");
    EXPECT_EQ(prompter.folderRequests[0].initialPath, "/start");
    // Cancelled, or an item without a path: false, the last choice stays.
    EXPECT_FALSE(browser.Browse());
    EXPECT_FALSE(browser.Browse());
    EXPECT_EQ(browser.SelectedPath(), "/picked");
}

TEST(cBrowseFolder, OtherFailuresBecomeTheComponentError)
{
    ThrowingPrompter prompter;
    cBrowseFolder browser(prompter);
    try {
        browser.Browse();
        FAIL() << "no error";
    } catch (const BrowseFolderError& e) {
        EXPECT_EQ(e.number(), -2147204441);
        EXPECT_STREQ(e.what(), "VUVED_BrowseForFolderHandler component failure");
    }
}
