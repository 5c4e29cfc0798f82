#include "UsersFixture.h"

#include "core/users/Password.h"
#include "core/users/UserMaintenance.h"
#include "gui/users/User_Admin.h"

using Strings = std::vector<std::string>;

namespace {

class UserPassword : public UsersLibrary {
protected:
    UserPassword() : bob(builder->AddUser("Bob", "bob")) {}

    // Opens the window on Bob, or on the administrator.
    std::unique_ptr<User_Admin> Open(const std::string& entry = "Bob")
    {
        auto w = std::make_unique<User_Admin>(env.ui);
        Pick(*Find<QComboBox>(*w, "Combo1"), entry);
        return w;
    }
    Strings Save(QWidget& w, const std::string& oldPw, const std::string& newPw, const std::string& verify)
    {
        env.prompter.Clear();
        Type(w, "Text1_0", oldPw);
        Type(w, "Text1_1", newPw);
        Type(w, "Text1_2", verify);
        Click(w, "usbSavePw");
        return env.prompter.Texts();
    }
    std::string Stored(std::int64_t id) const
    {
        return One("SELECT password FROM `user-list` WHERE `user-id`=" + std::to_string(id));
    }
    std::int64_t bob;
};

TEST_F(UserPassword, AnEmptyOldPasswordSetsTheFirstOneAndAChangeNeedsTheRealOne)
{
    auto w = Open();
    EXPECT_EQ(Save(*w, "", "  secret ", "secret"), Strings{"Password changed successfully !"});
    EXPECT_EQ(Stored(bob), ScramblePassword("secret"));
    EXPECT_EQ(TextOf(*w, "Text1_0"), "**********");
    EXPECT_EQ(TextOf(*w, "Text1_1"), "");
    EXPECT_EQ(TextOf(*w, "Text1_2"), "");

    // Saving again over the mask is no knowledge of the old password.
    EXPECT_EQ(Save(*w, "**********", "other", "other"), Strings{"Failed to change password !"});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Critical);
    EXPECT_EQ(Save(*w, " secret", "other", "other"), Strings{"Password changed successfully !"});
    EXPECT_EQ(Stored(bob), ScramblePassword("other"));
}

TEST_F(UserPassword, ChecksTheTrimmedTextsBeforeLookingAtTheStoredOne)
{
    auto w = Open();
    EXPECT_EQ(Save(*w, "", "   ", "   "), Strings{"New password cannot be empty !"});
    EXPECT_EQ(Save(*w, "same", " same ", "same"), Strings{"Old and New password cannot be the same !"});
    EXPECT_EQ(Save(*w, "", "new", "neW"), Strings{"Verify password does not macth with the New password !"});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
    EXPECT_EQ(Stored(bob), "");
}

TEST_F(UserPassword, ResetClearsAfterTheQuestionSoANewOneCanBeSet)
{
    auto w = Open("Administrator");
    env.prompter.answers = {MsgAnswer::No};
    Click(*w, "usbClearPw");
    EXPECT_EQ(Stored(1), ScramblePassword("quillset"));
    EXPECT_EQ(TextOf(*w, "Text1_0"), "**********");

    env.prompter.Clear();
    env.prompter.answers = {MsgAnswer::Yes};
    Click(*w, "usbClearPw");
    EXPECT_EQ(env.prompter.Texts(),
              (Strings{"Are you sure you want to clear the password for this user ?", "Password cleared !"}));
    EXPECT_EQ(Stored(1), "");
    EXPECT_EQ(TextOf(*w, "Text1_0"), "");
    EXPECT_EQ(Save(*w, "", "fresh", "fresh"), Strings{"Password changed successfully !"});
    EXPECT_EQ(Stored(1), ScramblePassword("fresh"));
}

TEST_F(UserPassword, AFailedWriteIsNotReportedAsAChange)
{
    auto w = Open();
    builder->Lib().exec("CREATE TRIGGER refuse_update BEFORE UPDATE ON `user-list` "
                        "BEGIN SELECT RAISE(ABORT, 'refused'); END");
    const Strings shown = Save(*w, "", "secret", "secret");
    EXPECT_EQ(env.prompter.ErrorReports(), 1);
    EXPECT_EQ(std::count(shown.begin(), shown.end(), "Password changed successfully !"), 0);
    EXPECT_EQ(TextOf(*w, "Text1_1"), "secret") << "the boxes keep what was typed";
}

TEST_F(UserPassword, AnOverLongPasswordIsRefusedWithAMessage)
{
    UserMaintenance users(*env.app);
    const std::string id = std::to_string(bob);
    const std::string huge(40000, 'x');
    EXPECT_FALSE(users.ChangePassword(id, "", huge, huge));
    EXPECT_EQ(env.prompter.Texts(), Strings{"New password cannot be longer than 15 characters !"});
    EXPECT_EQ(env.prompter.Last().icon, MsgIcon::Exclamation);
    env.prompter.Clear();
    const std::string sixteen(16, 'x');
    EXPECT_FALSE(users.ChangePassword(id, "", sixteen, sixteen));
    EXPECT_EQ(Stored(bob), "");

    // The limit counts characters, not the bytes of their UTF-8 form.
    env.prompter.Clear();
    std::string accented;
    for (int i = 0; i < 15; ++i) accented += "é";
    EXPECT_TRUE(users.ChangePassword(id, "", accented, accented));
    EXPECT_EQ(Stored(bob), ScramblePassword(accented));

    // An old text past what the scramble takes is a wrong password, not an error.
    env.prompter.Clear();
    EXPECT_FALSE(users.ChangePassword(id, huge, "short", "short"));
    EXPECT_EQ(env.prompter.Texts(), Strings{"Failed to change password !"});
    EXPECT_EQ(env.prompter.ErrorReports(), 0);
    EXPECT_EQ(Stored(bob), ScramblePassword(accented));
}

} // namespace
