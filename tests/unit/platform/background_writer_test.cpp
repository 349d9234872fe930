#include "platform/background_writer.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/atomic_file.h"
#include "platform/poll_event_loop.h"
#include "temp_dir.h"

namespace kivo {
namespace {

// Holds a job until the test lets it go.
class Gate {
 public:
  void Open() {
    std::lock_guard<std::mutex> lock(mutex_);
    open_ = true;
    cv_.notify_all();
  }
  void Pass() {
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait(lock, [this] { return open_; });
  }

 private:
  std::mutex mutex_;
  std::condition_variable cv_;
  bool open_ = false;
};

class BackgroundWriterTest : public ::testing::Test {
 protected:
  PollEventLoop loop_;
  std::vector<std::string> reports_;
  bool on_loop_thread_ = true;
  testing::TempDir dir_;
  // Last, so destroyed first: it reports to everything above.
  BackgroundWriter writer_{loop_, [this](const std::string& message) {
                             reports_.push_back(message);
                             on_loop_thread_ = on_loop_thread_ && loop_.IsLoopThread();
                           }};
};

TEST_F(BackgroundWriterTest, SubmitReturnsWhileTheJobRunsAndTwoSavesLandInOrder) {
  Gate gate;
  const std::string file = dir_.File("Kivo.ini");
  writer_.Submit([&] {
    gate.Pass();
    WriteFileAtomically(file, "first");
  });
  writer_.Submit([&] { WriteFileAtomically(file, "second"); });
  std::string text;
  EXPECT_FALSE(ReadWholeFile(file, &text));  // both returned; nothing written yet
  gate.Open();
  writer_.Finish();
  ASSERT_TRUE(ReadWholeFile(file, &text));
  EXPECT_EQ(text, "second");
  EXPECT_TRUE(reports_.empty());
}

TEST_F(BackgroundWriterTest, AFailureIsReportedOnceOnTheLoopThread) {
  writer_.Submit([] { throw FileWriteError("Cannot replace \"Kivo.ini\": Is a directory"); });
  writer_.Submit([] {});  // a later success does not hide it
  ASSERT_TRUE(loop_.RunUntil([&] { return !reports_.empty(); }, 5000));
  writer_.Finish();
  loop_.RunFor(50);
  ASSERT_EQ(reports_.size(), 1u);
  EXPECT_EQ(reports_[0], "Cannot replace \"Kivo.ini\": Is a directory");
  EXPECT_TRUE(on_loop_thread_);
}

TEST_F(BackgroundWriterTest, FinishWaitsForTheLastSaveAndReportsItsFailureItselfOnce) {
  // At exit the loop no longer runs: Finish is where the failure must come out.
  Gate gate;
  bool written = false;
  writer_.Submit([&] {
    gate.Pass();
    written = true;
  });
  writer_.Submit([] { throw FileWriteError("disk full"); });
  std::thread opener([&] {
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    gate.Open();
  });
  writer_.Finish();
  opener.join();
  EXPECT_TRUE(written);
  ASSERT_EQ(reports_, std::vector<std::string>{"disk full"});
  loop_.RunFor(50);  // the report posted to the loop finds nothing left to say
  EXPECT_EQ(reports_.size(), 1u);
  // The writer still works after a wait; its helper thread comes back for new work.
  writer_.Submit([] { throw FileWriteError("again"); });
  writer_.Finish();
  EXPECT_EQ(reports_.size(), 2u);
}

}  // namespace
}  // namespace kivo
