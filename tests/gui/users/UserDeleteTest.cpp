#include "UsersFixture.h"

#include "gui/users/User_Admin.h"

using Strings = std::vector<std::string>;

namespace {

constexpr const char* kConfirm = "Are you sure you want to delete this user ?";
constexpr const char* kMember = "This user is still a member of some user group(s), continue to delete ?";
constexpr const char* kPermitted =
    "This user still has access permission in the document library, continue to delete ?";

class UserDelete : public UsersLibrary {
protected:
    UserDelete() : bob(builder->AddUser("Bob", "bob"))
    {
        const std::int64_t staff = builder->AddGroup("Staff");
        builder->AddMember(staff, bob);
        builder->AddMember(2, bob);
        builder->AddAccess(bob, "U");
        builder->AddAccess(staff, "G");
    }
    std::int64_t RowsOfBob() const
    {
        const std::string id = std::to_string(bob);
        return Count("SELECT count(*) FROM `user-list` WHERE `user-id`=" + id) +
               Count("SELECT count(*) FROM `user-group` WHERE uid=" + id) +
               Count("SELECT count(*) FROM `level-access` WHERE uid=" + id);
    }
    void Delete(User_Admin& w, std::deque<MsgAnswer> answers)
    {
        Pick(*Find<QComboBox>(w, "Combo1"), "Bob");
        env.prompter.Clear();
        env.prompter.answers = std::move(answers);
        Click(w, "usbDelete");
    }
    std::int64_t bob;
};

TEST_F(UserDelete, AsksBothQuestionsAndDeletesEveryRowOfTheUser)
{
    User_Admin w(env.ui);
    Delete(w, {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes});
    EXPECT_EQ(env.prompter.Texts(), (Strings{kConfirm, kMember, kPermitted, "User has been deleted !"}));
    EXPECT_EQ(RowsOfBob(), 0);
    EXPECT_EQ(Count("SELECT count(*) FROM `level-access`"), 1) << "the group's permission stays";
    EXPECT_EQ(Entries(*Find<QComboBox>(w, "Combo1")), Strings{"Administrator"});
    EXPECT_EQ(w.UserID(), "1");
}

TEST_F(UserDelete, NoToAnyQuestionLeavesEverything)
{
    for (const std::deque<MsgAnswer>& answers : {std::deque{MsgAnswer::No}, std::deque{MsgAnswer::Yes, MsgAnswer::No},
                                                 std::deque{MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::No}}) {
        User_Admin w(env.ui);
        Delete(w, answers);
        EXPECT_EQ(env.prompter.boxes.size(), answers.size());
        EXPECT_EQ(RowsOfBob(), 4);
    }
}

TEST_F(UserDelete, RefusesTheAdministratorByLoginIdToo)
{
    // A second holder of the login id, as an old library may have.
    builder->Lib().exec("UPDATE `user-list` SET `login-id`='ADMIN' WHERE `user-name`='Bob'");
    User_Admin w(env.ui);
    Delete(w, {MsgAnswer::Yes});
    EXPECT_EQ(env.prompter.Texts(), (Strings{kConfirm, "Cannot delete Admin user account !"}));
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
    EXPECT_EQ(RowsOfBob(), 4);
}

TEST_F(UserDelete, AFailingStepUndoesTheWholeDeletion)
{
    RefuseDeletesFrom("user-list"); // the last of the three steps
    User_Admin w(env.ui);
    Delete(w, {MsgAnswer::Yes, MsgAnswer::Yes, MsgAnswer::Yes});
    const Strings shown = env.prompter.Texts();
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_EQ(shown.back(), "User has not been deleted !");
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "User has been deleted !"), 0);
    EXPECT_EQ(RowsOfBob(), 4) << "memberships and permissions are back";
    EXPECT_EQ(env.app->db.TransLevel(), 0);
    EXPECT_EQ(w.UserID(), std::to_string(bob)) << "still showing the user";
    EXPECT_EQ(Entries(*Find<QComboBox>(w, "Combo1")), (Strings{"Administrator", "Bob"}));
}

} // namespace
