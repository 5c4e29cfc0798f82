// A backup proven, damaged, found out and restored, as an administrator
// would run it from the command line.
#include "RezudFixture.h"

#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace {

class RezudRoundTripTest : public RezudBackupTestBase {
protected:
    std::string restored = (env.root / "restored").string();
    std::vector<std::string> names;

    void SetUp() override
    {
        for (int i = 0; i < 4; ++i) {
            names.push_back("DOC" + std::to_string(i) + ".TIF");
            AddDocument(names.back(), 3000 + i);
        }
        Unattended();
    }
    // One byte of a backup's copy changed, its size kept.
    void Damage(const std::string& file)
    {
        std::string bytes = ReadFile(file);
        bytes[bytes.size() / 2] ^= 0x20;
        WriteFile(file, bytes);
    }
};

} // namespace

TEST_F(RezudRoundTripTest, ADamagedCopyIsNamedByVerifyAndTheRestoredLibraryChecksClean)
{
    ASSERT_EQ(Rezud({"backup", "--yes", "--create-backup-path"}).code, 0);
    const CliResult whole = Rezud({"verify", "--read-data"});
    EXPECT_EQ(whole.code, 0) << whole.out << whole.err;

    const std::string damaged = backup + "/00000001/" + names[2];
    Damage(damaged);
    EXPECT_EQ(Rezud({"verify"}).code, 0) << "the size alone cannot tell";
    const CliResult found = Rezud({"verify", "--read-data", "--json"});
    EXPECT_EQ(found.code, 1);
    const nlohmann::json j = nlohmann::json::parse(found.out);
    EXPECT_NE(found.out.find("00000001/" + names[2]), std::string::npos) << found.out;
    for (const std::string& name : {names[0], names[1], names[3]})
        EXPECT_EQ(found.out.find("00000001/" + name), std::string::npos) << name;

    // Restored all the same, and said so; the library it makes is whole.
    const CliResult restore = Rezud({"restore", backup, restored});
    EXPECT_EQ(restore.code, 1) << restore.out << restore.err;
    EXPECT_NE((restore.out + restore.err).find(names[2]), std::string::npos) << restore.out << restore.err;
    EXPECT_EQ(ReadFile(restored + "/00000001/" + names[2]), ReadFile(damaged));
    EXPECT_EQ(ReadFile(restored + "/00000001/" + names[0]), ReadFile(lib + "/00000001/" + names[0]));
    const CliResult check = Rezud({"--library", restored, "check"});
    EXPECT_EQ(check.code, 0) << check.out << check.err;
}
