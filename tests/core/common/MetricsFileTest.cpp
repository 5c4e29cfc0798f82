#include "core/common/MetricsFile.h"
#include "../backup/FaultShim.h"
#include "core/common/AtomicFile.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace fs = std::filesystem;

namespace {

CommandMetrics Ran(const std::string& command, int exitCode, double endedAt)
{
    CommandMetrics run;
    run.command = command;
    run.exitCode = exitCode;
    run.endedAt = endedAt;
    run.durationSeconds = 2.5;
    return run;
}

} // namespace

TEST(MetricsFile, ACommandRewritesItsOwnSeriesAndKeepsTheOthersAndItsLastSuccess)
{
    TestEnv env;
    const fs::path file = env.root / "rezud.prom";
    CommandMetrics backup = Ran("backup", 0, 1000);
    backup.counts = {{"documents_copied", 3}, {"documents_owed", 0}};
    UpdateMetricsFile(file, backup);
    CommandMetrics push = Ran("offsite push", 1, 1100);
    push.offsitePushAt = 1099.5;
    UpdateMetricsFile(file, push);
    // A failed run: its own series change, its last success and the push time stay.
    CommandMetrics failed = Ran("backup", 2, 2000);
    failed.counts = {{"documents_owed", 4}};
    UpdateMetricsFile(file, failed);

    EXPECT_EQ(ReadFile(file),
              "# HELP rezud_last_run_timestamp_seconds When the command last ended, in seconds since 1970.\n"
              "# TYPE rezud_last_run_timestamp_seconds gauge\n"
              "rezud_last_run_timestamp_seconds{command=\"backup\"} 2000\n"
              "rezud_last_run_timestamp_seconds{command=\"offsite push\"} 1100\n"
              "# HELP rezud_last_success_timestamp_seconds When the command last ended done (exit code 0 or 1), in "
              "seconds since 1970.\n"
              "# TYPE rezud_last_success_timestamp_seconds gauge\n"
              "rezud_last_success_timestamp_seconds{command=\"backup\"} 1000\n"
              "rezud_last_success_timestamp_seconds{command=\"offsite push\"} 1100\n"
              "# HELP rezud_duration_seconds How long the command's last run took.\n"
              "# TYPE rezud_duration_seconds gauge\n"
              "rezud_duration_seconds{command=\"backup\"} 2.500\n"
              "rezud_duration_seconds{command=\"offsite push\"} 2.500\n"
              "# HELP rezud_exit_code The exit code of the command's last run: 0 done, 1 done with warnings, 2 "
              "refused or failed, 3 administrator password wrong or missing.\n"
              "# TYPE rezud_exit_code gauge\n"
              "rezud_exit_code{command=\"backup\"} 2\n"
              "rezud_exit_code{command=\"offsite push\"} 1\n"
              "# HELP rezud_documents_owed Documents the backup owes after the command's last run: not copied yet.\n"
              "# TYPE rezud_documents_owed gauge\n"
              "rezud_documents_owed{command=\"backup\"} 4\n"
              "# HELP rezud_offsite_last_push_timestamp_seconds When the backup was last copied offsite, in seconds "
              "since 1970.\n"
              "# TYPE rezud_offsite_last_push_timestamp_seconds gauge\n"
              "rezud_offsite_last_push_timestamp_seconds 1099.500\n");
}

TEST(MetricsFile, SeriesOfOtherVersionsAndQuotedLabelsSurviveAMerge)
{
    const std::string old = "# TYPE rezud_future gauge\n"
                            "rezud_future{command=\"a \\\"b\\\" {c}\"} 7\n"
                            "rezud_exit_code{command=\"verify\"} 1\n"
                            "not a sample\n";
    const std::string merged = MergeMetrics(old, Ran("check", 0, 5));
    EXPECT_NE(merged.find("rezud_exit_code{command=\"verify\"} 1\n"), std::string::npos) << merged;
    EXPECT_NE(merged.find("rezud_future{command=\"a \\\"b\\\" {c}\"} 7\n"), std::string::npos) << merged;
    EXPECT_NE(merged.find("rezud_exit_code{command=\"check\"} 0\n"), std::string::npos) << merged;
    EXPECT_EQ(merged.find("not a sample"), std::string::npos);
}

// A write, flush or rename that fails leaves the old file as it was and no
// work file beside it; a failed flush of the directory after the rename is
// an error too, though the new file is in place.
TEST(MetricsFile, AFailingWriteLeavesTheOldFile)
{
    struct Trial {
        faults::Op op;
        int allowed;
        bool oldKept;
    };
    const Trial trials[] = {{faults::Op::Write, 0, true},
                            {faults::Op::Fsync, 0, true},
                            {faults::Op::Rename, 0, true},
                            {faults::Op::Fsync, 1, false}};
    for (const Trial& t : trials) {
        TestEnv env;
        const fs::path file = env.root / "rezud.prom";
        UpdateMetricsFile(file, Ran("backup", 0, 1000));
        const std::string before = ReadFile(file);
        faults::FailBelow(t.op, env.root.string(), EIO, t.allowed);
        EXPECT_THROW(UpdateMetricsFile(file, Ran("verify", 0, 2000)), fs::filesystem_error)
            << static_cast<int>(t.op) << " " << t.allowed;
        faults::Clear();
        EXPECT_EQ(ReadFile(file) == before, t.oldKept) << static_cast<int>(t.op) << " " << t.allowed;
        EXPECT_FALSE(fs::exists(WorkFileFor(file)));
    }
}
