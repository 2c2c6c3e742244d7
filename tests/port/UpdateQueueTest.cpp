// The hand-over from the library's thread to the user-interface thread: what waits is bounded,
// the latest change of an item wins, lines keep their order, and one drain is asked for per batch.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "port/UpdateQueue.h"

using port::UpdateQueue;

namespace {

using Update = UpdateQueue::Update;

TEST(UpdateQueue, LatestChangePerItemAndEveryLineInOrder) {
    UpdateQueue queue;
    EXPECT_TRUE(queue.Push({Update::Text, 7, 0, " OK "})) << "the first change asks for a drain";
    EXPECT_FALSE(queue.Push({Update::Line, 0, 0, "Key (Measure) down"}));
    EXPECT_FALSE(queue.Push({Update::Text, 7, 0, " LOW "}));
    EXPECT_FALSE(queue.Push({Update::Bar, 7, 12, {}})) << "same item, other kind: kept apart";
    EXPECT_FALSE(queue.Push({Update::Picture, 9, 146, {}}));
    EXPECT_FALSE(queue.Push({Update::Line, 0, 0, "Key up"}));
    EXPECT_FALSE(queue.Push({Update::Picture, 9, 130, {}}));

    const UpdateQueue::Batch batch = queue.Drain();
    ASSERT_EQ(batch.changes.size(), 3u);
    EXPECT_EQ(batch.changes[0].text, " LOW ");
    EXPECT_EQ(batch.changes[1].value, 12);
    EXPECT_EQ(batch.changes[2].value, 130);
    EXPECT_EQ(batch.lines, (std::vector<std::string>{"Key (Measure) down", "Key up"}));

    EXPECT_TRUE(queue.Drain().lines.empty());
    EXPECT_TRUE(queue.Push({Update::Line, 0, 0, "again"})) << "after a drain the next change asks again";
}

TEST(UpdateQueue, LinesAreBoundedAndRoomIsToldBeforeTheBound) {
    UpdateQueue queue;
    for (size_t i = 0; i < UpdateQueue::kRoomLines; ++i) {
        ASSERT_TRUE(queue.HasRoom());
        queue.Push({Update::Line, 0, 0, std::to_string(i)});
    }
    EXPECT_FALSE(queue.HasRoom());
    for (size_t i = UpdateQueue::kRoomLines; i < UpdateQueue::kMaxLines + 10; ++i) {
        queue.Push({Update::Line, 0, 0, std::to_string(i)});
    }
    EXPECT_EQ(queue.DroppedLines(), 10u);
    queue.Push({Update::Text, 1, 0, "still taken"});
    const UpdateQueue::Batch batch = queue.Drain();
    ASSERT_EQ(batch.lines.size(), UpdateQueue::kMaxLines);
    EXPECT_EQ(batch.lines.back(), std::to_string(UpdateQueue::kMaxLines - 1)) << "the oldest are kept";
    EXPECT_EQ(batch.changes.size(), 1u);
    EXPECT_TRUE(queue.HasRoom());
}

// One pusher, one drainer: nothing lost or reordered, exactly one drain asked for per batch.
TEST(UpdateQueue, PushAndDrainFromTwoThreads) {
    UpdateQueue queue;
    constexpr int kLines = 20000;
    std::atomic<int> asked{0};
    std::thread pusher([&] {
        for (int i = 0; i < kLines; ++i) {
            while (!queue.HasRoom()) {
                std::this_thread::yield();
            }
            asked += queue.Push({Update::Line, 0, 0, std::to_string(i)});
        }
    });
    int next = 0;
    int drains = 0;
    while (next < kLines) {
        const UpdateQueue::Batch batch = queue.Drain();
        drains += !batch.lines.empty();
        for (const std::string& line : batch.lines) {
            ASSERT_EQ(line, std::to_string(next++));
        }
    }
    pusher.join();
    EXPECT_EQ(queue.DroppedLines(), 0u);
    EXPECT_GE(asked.load(), drains);
    EXPECT_LE(asked.load(), drains + 1);
}

}  // namespace
