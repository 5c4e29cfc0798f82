#include "UsersFixture.h"

#include "gui/users/User_Group.h"

#include <QLabel>
#include <QTest>

using Strings = std::vector<std::string>;

namespace {

class UserGroup : public UsersLibrary {
protected:
    UserGroup()
        : bob(builder->AddUser("Bob", "bob")), carol(builder->AddUser("Carol", "carol")),
          staff(builder->AddGroup("Staff"))
    {
        builder->AddMember(staff, bob);
        builder->AddMember(staff, carol);
    }
    QComboBox& Combo(QWidget& w) { return *Find<QComboBox>(w, "Combo1"); }
    QListWidget& List(QWidget& w, const char* name) { return *Find<QListWidget>(w, name); }
    // Answers the next text input window with the box set to text and OK,
    // or Cancel when text is none.
    void Answer(std::optional<std::string> text, std::string* label = nullptr, std::string* initial = nullptr)
    {
        env.dialogs.steps.push_back([=](QDialog& d) {
            if (label) *label = Find<QLabel>(d, "Label1")->text().toStdString();
            if (initial) *initial = Find<QLineEdit>(d, "Text1")->text().toStdString();
            if (!text) return Find<QPushButton>(d, "cmdCancel")->click();
            Type(d, "Text1", *text);
            Find<QPushButton>(d, "cmdOK")->click();
        });
    }
    std::int64_t Groups() const { return Count("SELECT count(*) FROM `user-list` WHERE type='G'"); }
    std::int64_t bob, carol, staff;
};

TEST_F(UserGroup, OpensOnTheAdministratorsGroupWithItsProtections)
{
    User_Group w(env.ui);
    EXPECT_EQ(w.windowTitle(), "Maintain User Groups");
    EXPECT_EQ(Entries(Combo(w)), (Strings{"Admin Group", "Staff"}));
    EXPECT_EQ(w.GroupID(), "2");
    EXPECT_EQ(Entries(List(w, "List1")), (Strings{"Bob", "Carol"}));
    EXPECT_EQ(Entries(List(w, "List2")), Strings{"Administrator"});
    EXPECT_FALSE(Button(w, "usbRename").Enabled());
    EXPECT_FALSE(Button(w, "usbDelete").Enabled());

    Pick(List(w, "List2"), "Administrator");
    EXPECT_FALSE(Button(w, "usbRemove").Enabled());
    Click(w, "usbRemove");
    EXPECT_EQ(Count("SELECT count(*) FROM `user-group` WHERE gid=2 AND uid=1"), 1);

    Pick(Combo(w), "Staff");
    EXPECT_TRUE(Button(w, "usbRename").Enabled());
    EXPECT_EQ(Entries(List(w, "List1")), Strings{"Administrator"});
    Pick(List(w, "List2"), "Bob");
    EXPECT_TRUE(Button(w, "usbRemove").Enabled());
}

TEST_F(UserGroup, AddAndRemoveMoveUsersBetweenTheLists)
{
    User_Group w(env.ui);
    Pick(List(w, "List1"), "Carol");
    Click(w, "usbAdd");
    EXPECT_EQ(Entries(List(w, "List1")), Strings{"Bob"});
    EXPECT_EQ(Entries(List(w, "List2")), (Strings{"Administrator", "Carol"}));
    EXPECT_EQ(Count("SELECT count(*) FROM `user-group` WHERE gid=2 AND uid=" + std::to_string(carol)), 1);

    Pick(List(w, "List2"), "Carol");
    Click(w, "usbRemove");
    EXPECT_EQ(Entries(List(w, "List1")), (Strings{"Bob", "Carol"}));
    EXPECT_EQ(Count("SELECT count(*) FROM `user-group` WHERE gid=2"), 1);
    Click(w, "usbAdd"); // nothing selected
    EXPECT_EQ(Count("SELECT count(*) FROM `user-group`"), 3);
    EXPECT_TRUE(env.prompter.boxes.empty());
}

TEST_F(UserGroup, AtMostOneListKeepsASelectionWhenTheFocusMoves)
{
    User_Group w(env.ui);
    w.show();
    w.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
    QListWidget& all = List(w, "List1");
    QListWidget& members = List(w, "List2");
    Pick(members, "Administrator");
    all.setFocus();
    EXPECT_TRUE(members.selectedItems().isEmpty());
    Pick(all, "Bob");
    members.setFocus();
    EXPECT_TRUE(all.selectedItems().isEmpty());
}

TEST_F(UserGroup, NewGroupTakesTheTrimmedNameAndRefusesAnExistingGroupName)
{
    User_Group w(env.ui);
    std::string label;
    Answer("  O'Neil's team ", &label);
    Click(w, "usbNew");
    EXPECT_EQ(label, "Type in new user group");
    EXPECT_EQ(Count("SELECT count(*) FROM `user-list` WHERE `user-name`='O''Neil''s team' AND type='G'"), 1);
    EXPECT_EQ(Entries(Combo(w)), (Strings{"Admin Group", "O'Neil's team", "Staff"}));
    EXPECT_EQ(Combo(w).currentIndex(), 0);

    Answer("bob"); // a user's name is free for a group
    Click(w, "usbNew");
    EXPECT_EQ(Groups(), 4);

    Answer("STAFF");
    Click(w, "usbNew");
    EXPECT_EQ(env.prompter.Texts(), Strings{"Name already exists! "});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
    Answer(std::nullopt);
    Click(w, "usbNew");
    EXPECT_EQ(Groups(), 4);
}

TEST_F(UserGroup, RenameKeepsThePlaceAndRefusesTheOwnName)
{
    User_Group w(env.ui);
    Pick(Combo(w), "Staff");
    std::string initial;
    Answer("", nullptr, &initial); // an emptied box answers the old name
    Click(w, "usbRename");
    EXPECT_EQ(initial, "Staff");
    EXPECT_EQ(env.prompter.Texts(), Strings{"Name already exists! "});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::None);

    Answer(" Accounts ");
    Click(w, "usbRename");
    EXPECT_EQ(One("SELECT `user-name` FROM `user-list` WHERE `user-id`=" + std::to_string(staff)), "Accounts");
    EXPECT_EQ(Entries(Combo(w)), (Strings{"Admin Group", "Accounts"})) << "not re-sorted";
    EXPECT_EQ(Combo(w).currentIndex(), 1);
    EXPECT_EQ(w.GroupID(), std::to_string(staff));
}

TEST_F(UserGroup, DeleteAsksWithTheMemberCountAndRemovesEveryRow)
{
    builder->AddAccess(staff, "G");
    User_Group w(env.ui);
    Pick(Combo(w), "Staff");
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::No};
    Click(w, "usbDelete");
    EXPECT_EQ(env.prompter.Texts(), (Strings{"Delete this user group Staff now ? ",
                                             "There are 2 member(s) in this group, continue to delete ? "}));
    EXPECT_EQ(Groups(), 2);

    env.prompter.Clear();
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes};
    Click(w, "usbDelete");
    EXPECT_EQ(env.prompter.Texts().back(),
              "This user group still has access permission in the document library, continue to delete ?");
    EXPECT_EQ(Groups(), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM `user-group`"), 1);
    EXPECT_EQ(Count("SELECT count(*) FROM `level-access`"), 0);
    EXPECT_EQ(Entries(Combo(w)), Strings{"Admin Group"});
    EXPECT_EQ(w.GroupID(), "2");
}

TEST_F(UserGroup, AFailingDeleteStepUndoesTheWholeDeletion)
{
    builder->AddAccess(staff, "G");
    RefuseDeletesFrom("level-access"); // the last of the three steps
    User_Group w(env.ui);
    Pick(Combo(w), "Staff");
    env.prompter.answers = {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes};
    Click(w, "usbDelete");
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_EQ(env.prompter.Texts().back(), "User group has not been deleted !");
    EXPECT_EQ(Groups(), 2);
    EXPECT_EQ(Count("SELECT count(*) FROM `user-group` WHERE gid=" + std::to_string(staff)), 2);
    EXPECT_EQ(env.app->db.TransLevel(), 0);
    EXPECT_EQ(Entries(List(w, "List2")), (Strings{"Bob", "Carol"}));
}

} // namespace
