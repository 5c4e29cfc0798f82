#include "core/backup/CopyPool.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <map>
#include <stdexcept>
#include <thread>

namespace fs = std::filesystem;

namespace {

// Notes how many copies run at once, in all and per target.
struct Watch {
    std::mutex mutex;
    std::map<std::string, int> running;
    int now = 0, most = 0, sameTargetAtOnce = 0, calls = 0;

    void Copy(const fs::path& source, const fs::path& target)
    {
        {
            std::lock_guard lock(mutex);
            ++calls;
            if (++running[target.string()] > 1) ++sameTargetAtOnce;
            most = std::max(most, ++now);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
        {
            std::lock_guard lock(mutex);
            --running[target.string()];
            --now;
        }
        if (source.filename() == "bad") throw std::runtime_error("unreadable");
    }
};

} // namespace

TEST(CopyPool, EveryJobComesBackOnceAndOneTargetIsNeverCopiedTwiceAtOnce)
{
    Watch watch;
    std::vector<CopyPool::Outcome> outcomes;
    {
        CopyPool pool(
            [&](const fs::path& s, const fs::path& t) {
                watch.Copy(s, t);
                return PendingCopy{};
            },
            4, 8);
        for (int i = 0; i < 40; ++i) {
            // Every fourth job copies over the same target, as two rows
            // naming one file would.
            const std::string target = i % 4 == 0 ? "/b/shared" : "/b/t" + std::to_string(i);
            const std::string source = i == 7 ? "/l/bad" : "/l/s" + std::to_string(i);
            for (auto& o : pool.Submit({source, target, 0})) outcomes.push_back(std::move(o));
        }
        for (auto& o : pool.Drain()) outcomes.push_back(std::move(o));
    }
    ASSERT_EQ(outcomes.size(), 40u);
    EXPECT_EQ(watch.sameTargetAtOnce, 0);
    EXPECT_LE(watch.most, 4);
    EXPECT_GT(watch.most, 1);
    int failed = 0;
    for (const auto& o : outcomes)
        if (o.error) {
            ++failed;
            EXPECT_EQ(o.job.source, "/l/bad");
            EXPECT_THROW(std::rethrow_exception(o.error), std::runtime_error);
        }
    EXPECT_EQ(failed, 1);
}

TEST(CopyPool, DroppedWithJobsWaitingItStopsWithoutStartingThem)
{
    Watch watch;
    {
        CopyPool pool(
            [&](const fs::path& s, const fs::path& t) {
                watch.Copy(s, t);
                return PendingCopy{};
            },
            2, 1000);
        for (int i = 0; i < 1000; ++i) pool.Submit({"/l/s", "/b/t" + std::to_string(i), 0});
    }
    EXPECT_LT(watch.calls, 1000);
    EXPECT_EQ(watch.now, 0); // none still running once the pool is gone
}
