// The hand-over every front end uses, on a fake surface without a toolkit: changes from another
// thread wait and arrive in batches with one wake each, a change on the GUI thread keeps the
// order, the catch-up runs only after a wake's drain, and nothing is lost while a producer and
// the GUI thread race (run under ThreadSanitizer).
#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "dialog/MarshalledView.h"

using dialog::MarshalledView;
using port::MessageIcon;
using port::UpdateQueue;
using port::WaitDialogPort;

namespace {

// The GUI thread is the thread that made the surface. Applied changes are recorded; only that
// thread touches the record, so a wrong-thread apply shows up as a race under TSan.
class FakeSurface final : public MarshalledView {
public:
    void EnableItem(int controlId, bool enable) override { enabled[controlId] = enable; }
    std::unique_ptr<WaitDialogPort> CreateWaitDialog() override { return nullptr; }

    std::atomic<int> wakes{0};
    std::vector<std::string> lines;
    std::vector<size_t> appendSizes;
    std::map<int, std::string> texts;
    std::map<int, int> pictures;
    std::map<int, int> bars;
    std::map<int, bool> enabled;
    std::vector<std::string> boxes;
    int linesWhenBoxShown = -1;

protected:
    bool IsGuiThread() const override { return std::this_thread::get_id() == m_gui; }
    void WakeGuiThread() override { ++wakes; }
    void ApplyText(int controlId, const char* text) override { texts[controlId] = text; }
    void ApplyPicture(int controlId, int bitmapId) override { pictures[controlId] = bitmapId; }
    void ApplyBar(int controlId, int position) override { bars[controlId] = position; }
    void AppendLines(const std::vector<std::string>& added) override {
        appendSizes.push_back(added.size());
        lines.insert(lines.end(), added.begin(), added.end());
    }
    void PresentMessageBox(const char* text, MessageIcon) override {
        boxes.emplace_back(text);
        linesWhenBoxShown = static_cast<int>(lines.size());
    }

private:
    std::thread::id m_gui = std::this_thread::get_id();
};

template <typename Work>
void OnOtherThread(Work work) {
    std::thread(work).join();
}

TEST(MarshalledView, OtherThreadChangesWaitForOneWakeAndArriveAsABatch) {
    FakeSurface view;
    OnOtherThread([&] {
        view.SetItemText(1020, " OK ");
        view.AddStatusLine("Key (Measure) down");
        view.SetItemText(1020, " LOW ");
        view.SetItemPicture(1017, 146);
        view.SetBarPosition(1006, 12);
        view.AddStatusLine("Key up");
        view.SetItemPicture(1017, 130);
    });
    EXPECT_EQ(view.wakes.load(), 1) << "one wake for the whole batch";
    EXPECT_TRUE(view.texts.empty() && view.lines.empty()) << "nothing applied off the GUI thread";

    view.ApplyPending();
    EXPECT_EQ(view.texts[1020], " LOW ");
    EXPECT_EQ(view.pictures[1017], 130);
    EXPECT_EQ(view.bars[1006], 12);
    EXPECT_EQ(view.lines, (std::vector<std::string>{"Key (Measure) down", "Key up"}));
    EXPECT_EQ(view.appendSizes, std::vector<size_t>{2}) << "the batch's lines in one go";

    OnOtherThread([&] { view.AddStatusLine("next"); });
    EXPECT_EQ(view.wakes.load(), 2) << "after a drain the next change wakes again";
}

TEST(MarshalledView, GuiThreadChangesApplyAtOnceAfterWhatWaits) {
    FakeSurface view;
    int catchUps = 0;
    view.SetCatchUp([&] { ++catchUps; });
    OnOtherThread([&] {
        view.AddStatusLine("from the library");
        view.SetItemText(1018, "V3.1");
    });
    view.AddStatusLine("from the dialog");
    EXPECT_EQ(view.lines, (std::vector<std::string>{"from the library", "from the dialog"}));
    view.SetItemText(1018, "V4.0, compatible");
    EXPECT_EQ(view.texts[1018], "V4.0, compatible") << "the older handed-over text does not win";
    view.ShowMessageBox("Virtual remote send error", MessageIcon::None);
    EXPECT_EQ(view.linesWhenBoxShown, 2);
    EXPECT_EQ(catchUps, 0) << "a change on the GUI thread never fetches from the bus";

    view.ApplyPending();  // the wake that was posted for the batch
    EXPECT_EQ(catchUps, 1);
    EXPECT_EQ(view.lines.size(), 2u);
}

// The catch-up shows records through the same view; what it changes is handed over for the next
// turn, so a long backlog is applied in batches and the GUI thread gets back to its loop.
TEST(MarshalledView, CatchUpChangesAreHandedOverNotAppliedAtOnce) {
    FakeSurface view;
    view.SetCatchUp([&] {
        view.AddStatusLine("left with the library");
        view.SetItemPicture(1017, 146);
    });
    view.ApplyPending();
    EXPECT_TRUE(view.lines.empty());
    EXPECT_TRUE(view.pictures.empty());
    EXPECT_EQ(view.wakes.load(), 1);

    view.SetCatchUp(nullptr);
    view.ApplyPending();
    EXPECT_EQ(view.lines, std::vector<std::string>{"left with the library"});
    EXPECT_EQ(view.pictures[1017], 146);
}

TEST(MarshalledView, RoomRunsOutBeforeTheLinesAreLost) {
    FakeSurface view;
    OnOtherThread([&] {
        for (size_t i = 0; i < UpdateQueue::kRoomLines; ++i) {
            view.AddStatusLine("line");
        }
    });
    EXPECT_FALSE(view.HasRoomForUpdates());
    view.ApplyPending();
    EXPECT_TRUE(view.HasRoomForUpdates());
    EXPECT_EQ(view.lines.size(), UpdateQueue::kRoomLines);
}

// A producer floods lines and texts while the GUI thread drains whenever it is woken: every line
// arrives once and in order, and the last text is the producer's last.
TEST(MarshalledView, ProducerAndGuiThreadRaceWithoutLoss) {
    FakeSurface view;
    constexpr int kLines = 20000;
    std::atomic<bool> done{false};
    std::thread producer([&] {
        for (int i = 0; i < kLines; ++i) {
            while (!view.HasRoomForUpdates()) {
                std::this_thread::yield();
            }
            view.AddStatusLine(std::to_string(i).c_str());
            view.SetItemText(1020, std::to_string(i).c_str());
        }
        done = true;
    });
    int drained = 0;
    while (!done.load() || drained != view.wakes.load()) {
        if (drained < view.wakes.load()) {
            ++drained;
            view.ApplyPending();
        } else {
            std::this_thread::yield();
        }
    }
    producer.join();
    ASSERT_EQ(view.lines.size(), static_cast<size_t>(kLines));
    for (int i = 0; i < kLines; ++i) {
        ASSERT_EQ(view.lines[static_cast<size_t>(i)], std::to_string(i));
    }
    EXPECT_EQ(view.texts[1020], std::to_string(kLines - 1));
}

}  // namespace
