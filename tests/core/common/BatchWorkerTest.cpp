// The helper thread that takes batches: every item done by Finish, and an
// error on the helper thrown on the owner's thread without a hang.
#include "core/common/BatchWorker.h"

#include <gtest/gtest.h>

#include <stdexcept>

TEST(BatchWorkerTest, EveryItemIsDoneInOrderOrTheHelpersErrorReachesTheOwner)
{
    for (const int failAt : {-1, 0, 11, 99}) {
        std::vector<int> done;
        BatchWorker<int> worker(
            [&](int& item) {
                if (item == failAt) throw std::runtime_error("item " + std::to_string(item));
                done.push_back(item);
            },
            1);
        // Many more batches than may wait: after an error, handing over goes on without waiting.
        for (int batch = 0; batch < 10; ++batch) worker.Put({batch * 10, batch * 10 + 1, batch * 10 + 9});
        if (failAt < 0) {
            worker.Finish();
            ASSERT_EQ(done.size(), 30u);
            for (std::size_t i = 1; i < done.size(); ++i) EXPECT_LT(done[i - 1], done[i]);
        } else {
            EXPECT_THROW(
                try { worker.Finish(); } catch (const std::runtime_error& e) {
                    EXPECT_EQ(e.what(), "item " + std::to_string(failAt));
                    throw;
                },
                std::runtime_error);
            EXPECT_TRUE(done.empty() || done.back() < failAt);
        }
    }
}
