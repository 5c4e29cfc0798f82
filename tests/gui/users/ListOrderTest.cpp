#include "UsersFixture.h"

#include "core/users/GroupMaintenance.h"
#include "core/users/UserMaintenance.h"

using Strings = std::vector<std::string>;

namespace {

Strings Texts(const std::vector<ListEntry>& entries)
{
    Strings texts;
    for (const auto& e : entries) texts.push_back(e.text);
    return texts;
}

} // namespace

// The lists sort names ignoring case, the way the duplicate checks compare
// them: "alice" before "Dan", not after every capital.
TEST_F(UsersLibrary, UserAndGroupListsSortNamesIgnoringCase)
{
    const std::int64_t dan = builder->AddUser("Dan", "dan");
    const std::int64_t alice = builder->AddUser("alice", "alice");
    builder->AddUser("bob", "bob");
    builder->AddUser("Carol", "carol");
    const std::int64_t staff = builder->AddGroup("staff");
    builder->AddGroup("Auditors");
    builder->AddGroup("zeta");
    builder->AddGroup("Beta");
    builder->AddMember(staff, dan);
    builder->AddMember(staff, alice);

    UserMaintenance users(*env.app);
    EXPECT_EQ(Texts(users.Users()), (Strings{"Administrator", "alice", "bob", "Carol", "Dan"}));
    GroupMaintenance groups(*env.app);
    EXPECT_EQ(Texts(groups.Groups()), (Strings{"Admin Group", "Auditors", "Beta", "staff", "zeta"}));
    const std::string staffId = std::to_string(staff);
    EXPECT_EQ(Texts(groups.Members(staffId)), (Strings{"alice", "Dan"}));
    EXPECT_EQ(Texts(groups.NonMembers(staffId)), (Strings{"Administrator", "bob", "Carol"}));
}
