#include "OffsiteFixture.h"

#include "core/backup/BackupManifest.h"

namespace fs = std::filesystem;

// Push, list, forget and check, on a repository on the disk and on a REST
// server; each push booked in the manifest and shown by status.
TEST_F(OffsiteTest, CommandsWorkOnLocalAndRestRepositories)
{
    std::unique_ptr<RestServer> server;
    for (const bool rest : {false, true}) {
        SCOPED_TRACE(rest ? "rest" : "local");
        if (rest) {
            server = std::make_unique<RestServer>(env.root / "served");
            repo = server->Url();
        }
        ASSERT_EQ(Offsite("init").code, 0) << Offsite("init").err;
        const nlohmann::json first = OffsiteJson("push");
        ASSERT_TRUE(first.contains("push")) << first.dump();
        // The record, the manifest and its journal, the two databases, the two documents: no lock.
        ASSERT_EQ(first["push"]["filesNew"], rest ? 8 : 7) << first.dump(); // and local.tif
        ChangeAndBackUp(rest ? "rest.tif" : "local.tif");
        const nlohmann::json second = OffsiteJson("push");
        ASSERT_TRUE(second.contains("push")) << second.dump();
        EXPECT_TRUE(second["push"]["verified"]);
        EXPECT_EQ(second["push"]["filesNew"], 1);
        EXPECT_GE(second["push"]["filesChanged"], 2); // the databases and the record

        const nlohmann::json list = OffsiteJson("list");
        ASSERT_EQ(list["snapshots"].size(), 2u) << list.dump();
        EXPECT_EQ(list["snapshots"][1]["id"], second["push"]["snapshot"]);
        EXPECT_EQ(list["snapshots"][1]["backupDate"], second["push"]["backupDate"]);
        EXPECT_EQ(list["snapshots"][1]["ageDays"], 0);

        const auto manifest = BackupManifest::OpenForReading(backup);
        ASSERT_EQ(manifest->LastPush()->snapshot, second["push"]["snapshot"]);
        const CliResult status = Rezud({"status"});
        EXPECT_NE(status.out.find("Last offsite copy: "), std::string::npos) << status.out;
        EXPECT_NE(status.out.find("(backup of " + second["push"]["backupDate"].get<std::string>() + "), 0 days ago"),
                  std::string::npos)
            << status.out;

        IniWrite(env.Ini(), "Offsite", "Keep", "--keep-last 1");
        const nlohmann::json forget = OffsiteJson("forget");
        EXPECT_EQ(forget["forgotten"], nlohmann::json::array({first["push"]["snapshot"]})) << forget.dump();
        EXPECT_EQ(OffsiteJson("list")["snapshots"].size(), 1u);
        EXPECT_EQ(Offsite("check", {"--read-data"}).code, 0);
        IniWrite(env.Ini(), "Offsite", "Keep", "");
    }
}
