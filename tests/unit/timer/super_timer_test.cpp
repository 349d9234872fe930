#include "net/super_timer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <stdexcept>
#include <string>
#include <thread>

#include "platform/poll_event_loop.h"

namespace kivo {
namespace {

using Clock = std::chrono::steady_clock;

// Aborts the whole test program when a test outlives its limit: a deadlock fails loudly instead
// of hanging the run.
class Watchdog {
 public:
  explicit Watchdog(std::chrono::seconds limit) {
    thread_ = std::thread([this, limit] {
      std::unique_lock<std::mutex> lock(mutex_);
      if (!done_cv_.wait_for(lock, limit, [this] { return done_; })) {
        std::fprintf(stderr, "watchdog: test did not finish in time\n");
        std::abort();
      }
    });
  }
  ~Watchdog() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      done_ = true;
    }
    done_cv_.notify_all();
    thread_.join();
  }

 private:
  std::mutex mutex_;
  std::condition_variable done_cv_;
  bool done_ = false;
  std::thread thread_;
};

class SuperTimerTest : public ::testing::Test {
 protected:
  // Builds a timer that records "T" for OnTimer and "S" for OnStop, with the Enabled state
  // seen by OnStop.
  std::unique_ptr<TSuperTimer> MakeTimer(std::uint16_t interval, bool count_down) {
    auto timer = std::make_unique<TSuperTimer>(loop_);
    timer->SetInterval(interval);
    timer->SetCountDown(count_down);
    timer->OnTimer = [this](TSuperTimer&) {
      log_ += "T";
      ++ticks_;
      tick_times_.push_back(Clock::now());
    };
    timer->OnStop = [this](TSuperTimer& t) {
      log_ += "S";
      enabled_in_stop_ = t.Enabled();
    };
    return timer;
  }

  Watchdog watchdog_{std::chrono::seconds(30)};
  PollEventLoop loop_;
  std::string log_;
  int ticks_ = 0;
  bool enabled_in_stop_ = true;
  std::vector<Clock::time_point> tick_times_;
};

TEST_F(SuperTimerTest, DefaultsAreDisabledPeriodicOneSecondHigherPriority) {
  TSuperTimer timer(loop_);
  EXPECT_FALSE(timer.Enabled());
  EXPECT_EQ(timer.Interval(), 1000);
  EXPECT_FALSE(timer.CountDown());
  EXPECT_EQ(timer.ThreadPriority(), TThreadPriority::kHigher);
  EXPECT_EQ(timer.Counter(), 0);
}

TEST_F(SuperTimerTest, CountDownFiresTimerThenStopOnceAndDisablesItself) {
  auto timer = MakeTimer(60, true);
  const auto start = Clock::now();
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return log_.size() >= 2; }, 5000));
  EXPECT_GE(tick_times_.at(0) - start, std::chrono::milliseconds(60));
  loop_.RunFor(250);
  EXPECT_EQ(log_, "TS");
  EXPECT_FALSE(timer->Enabled());
  EXPECT_FALSE(enabled_in_stop_);
  EXPECT_LE(timer->Counter(), 0);
}

TEST_F(SuperTimerTest, EnablingACountDownAgainRepeatsIt) {
  auto timer = MakeTimer(40, true);
  for (int round = 1; round <= 3; ++round) {
    timer->SetEnabled(true);
    ASSERT_TRUE(loop_.RunUntil([&] { return log_.size() >= 2u * round; }, 5000));
  }
  loop_.RunFor(150);
  EXPECT_EQ(log_, "TSTSTS");
}

TEST_F(SuperTimerTest, DisablingACountDownBeforeItIsDuePreventsBothEvents) {
  auto timer = MakeTimer(200, true);
  timer->SetEnabled(true);
  loop_.RunFor(50);
  timer->SetEnabled(false);
  loop_.RunFor(400);
  EXPECT_EQ(log_, "");
}

TEST_F(SuperTimerTest, DisablingWhileTheTickWaitsForTheLoopDropsIt) {
  // The worker has already handed the tick over, but the loop has not run it yet.
  auto timer = MakeTimer(20, true);
  timer->SetEnabled(true);
  std::this_thread::sleep_for(std::chrono::milliseconds(80));
  timer->SetEnabled(false);
  loop_.RunFor(100);
  EXPECT_EQ(log_, "");
}

TEST_F(SuperTimerTest, IntervalZeroDisables) {
  auto timer = MakeTimer(30, false);
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 1; }, 5000));
  timer->SetInterval(0);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(timer->Interval(), 0);
  const int seen = ticks_;
  loop_.RunFor(150);
  EXPECT_EQ(ticks_, seen);
}

TEST_F(SuperTimerTest, EnablingWithIntervalZeroKeepsItDisabled) {
  auto timer = MakeTimer(0, true);
  timer->SetEnabled(true);
  EXPECT_FALSE(timer->Enabled());
  loop_.RunFor(100);
  EXPECT_EQ(log_, "");
}

TEST_F(SuperTimerTest, EnablingWhileEnabledDoesNotRestartThePeriod) {
  auto timer = MakeTimer(1000, false);
  const auto start = Clock::now();
  timer->SetEnabled(true);
  loop_.RunFor(500);
  timer->SetEnabled(true);  // a restart would move the first tick to 1500 ms
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 1; }, 5000));
  EXPECT_LT(tick_times_.at(0) - start, std::chrono::milliseconds(1350));
}

TEST_F(SuperTimerTest, PeriodicTimerKeepsTickingAndNeverStopsItself) {
  auto timer = MakeTimer(25, false);
  const auto start = Clock::now();
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 6; }, 5000));
  EXPECT_TRUE(timer->Enabled());
  EXPECT_EQ(log_.find('S'), std::string::npos);
  // The counter is the time since enabling: at least one period per tick so far.
  EXPECT_GE(timer->Counter(), 25 * 5);
  // Tick n is never early: it comes n periods after enabling or later.
  for (size_t i = 0; i < tick_times_.size(); ++i) {
    EXPECT_GE(tick_times_[i] - start, std::chrono::milliseconds(25 * (i + 1))) << i;
  }
}

TEST_F(SuperTimerTest, DisablingInsideTheHandlerStopsTicking) {
  auto timer = MakeTimer(20, false);
  timer->OnTimer = [this](TSuperTimer& t) {
    ++ticks_;
    t.SetEnabled(false);
  };
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 1; }, 5000));
  loop_.RunFor(150);
  EXPECT_EQ(ticks_, 1);
  EXPECT_EQ(log_, "");  // it did not stop itself
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 2; }, 5000));
}

TEST_F(SuperTimerTest, DisablingAndEnablingInsideTheHandlerKeepsItRunning) {
  auto timer = MakeTimer(20, false);
  timer->OnTimer = [this](TSuperTimer& t) {
    ++ticks_;
    t.SetEnabled(false);
    t.SetEnabled(true);
  };
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 4; }, 5000));
  EXPECT_TRUE(timer->Enabled());
}

TEST_F(SuperTimerTest, NewIntervalSetInTheHandlerIsTheNextPeriod) {
  auto timer = MakeTimer(20, false);
  timer->OnTimer = [this](TSuperTimer& t) {
    ++ticks_;
    tick_times_.push_back(Clock::now());
    t.SetInterval(ticks_ == 1 ? 300 : 20);
  };
  const auto start = Clock::now();
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 3; }, 5000));
  // Had the change waited a period, the second tick would come at 40 ms.
  EXPECT_GE(tick_times_[1] - start, std::chrono::milliseconds(320));
  EXPECT_EQ(timer->Interval(), 20);
}

TEST_F(SuperTimerTest, SwitchingToCountDownContinuesTheCounterDownwards) {
  // Counting up for about 200 ms, then down: it runs down those 200 ms before it stops, where
  // a fresh count-down would stop at its first tick.
  auto timer = MakeTimer(50, false);
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 4; }, 5000));
  const int before = ticks_;
  timer->SetCountDown(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return log_.find('S') != std::string::npos; }, 5000));
  EXPECT_GE(ticks_ - before, 2);
  EXPECT_FALSE(timer->Enabled());
  EXPECT_EQ(log_.back(), 'S');
}

TEST_F(SuperTimerTest, TicksArriveAtEveryPriority) {
  for (TThreadPriority priority : {TThreadPriority::kIdle, TThreadPriority::kLowest,
                                   TThreadPriority::kNormal, TThreadPriority::kTimeCritical}) {
    auto timer = MakeTimer(10, true);
    timer->SetThreadPriority(priority);
    EXPECT_EQ(timer->ThreadPriority(), priority);
    log_.clear();
    timer->SetEnabled(true);
    ASSERT_TRUE(loop_.RunUntil([&] { return log_ == "TS"; }, 5000))
        << static_cast<int>(priority);
  }
}

TEST_F(SuperTimerTest, DestroyingWhileATickWaitsForTheLoopRunsNoHandler) {
  auto timer = MakeTimer(10, false);
  timer->SetEnabled(true);
  // The loop does not run, so the worker sits in the hand-over with a tick queued.
  std::this_thread::sleep_for(std::chrono::milliseconds(60));
  timer.reset();
  loop_.RunFor(100);
  EXPECT_EQ(ticks_, 0);
}

TEST_F(SuperTimerTest, DestroyingFromInsideItsOwnHandlerIsSafe) {
  auto timer = MakeTimer(10, false);
  TSuperTimer* raw = timer.get();
  raw->OnTimer = [this, &timer](TSuperTimer&) {
    ++ticks_;
    timer.reset();
  };
  raw->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return timer == nullptr; }, 5000));
  loop_.RunFor(80);
  EXPECT_EQ(ticks_, 1);
  EXPECT_EQ(log_, "");
}

TEST_F(SuperTimerTest, DestroyingACountDownFromItsStopHandlerIsSafe) {
  auto timer = MakeTimer(10, true);
  timer->OnStop = [this, &timer](TSuperTimer&) {
    log_ += "S";
    timer.reset();
  };
  timer->SetEnabled(true);
  ASSERT_TRUE(loop_.RunUntil([&] { return timer == nullptr; }, 5000));
  loop_.RunFor(50);
  EXPECT_EQ(log_, "TS");
}

TEST_F(SuperTimerTest, HandlerExceptionReachesTheLoopAndTheTimerGoesOn) {
  auto timer = MakeTimer(20, false);
  timer->OnTimer = [this](TSuperTimer&) {
    if (++ticks_ == 1) throw std::runtime_error("handler failed");
  };
  timer->SetEnabled(true);
  bool thrown = false;
  try {
    loop_.RunUntil([&] { return ticks_ >= 3; }, 5000);
  } catch (const std::runtime_error& error) {
    thrown = true;
    EXPECT_STREQ(error.what(), "handler failed");
  }
  EXPECT_TRUE(thrown);
  ASSERT_TRUE(loop_.RunUntil([&] { return ticks_ >= 3; }, 5000));
}

}  // namespace
}  // namespace kivo
