// What a timer costs the system at rest, read from the kernel's own counts of the process's
// threads (/proc): threads that exist, and how often a timer's worker goes to sleep again.
#include <gtest/gtest.h>

#include <dirent.h>

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "net/super_timer.h"
#include "platform/poll_event_loop.h"

namespace kivo {
namespace {

// Thread ids of this process whose name is "kivo-timer".
std::vector<std::string> TimerThreads() {
  std::vector<std::string> found;
  DIR* dir = opendir("/proc/self/task");
  if (dir == nullptr) return found;
  while (dirent* entry = readdir(dir)) {
    const std::string tid = entry->d_name;
    if (tid == "." || tid == "..") continue;
    std::ifstream comm("/proc/self/task/" + tid + "/comm");
    std::string name;
    std::getline(comm, name);
    if (name == "kivo-timer") found.push_back(tid);
  }
  closedir(dir);
  return found;
}

// How often the thread has gone to sleep of its own accord (each one a later wake-up).
long Sleeps(const std::string& tid) {
  std::ifstream status("/proc/self/task/" + tid + "/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("voluntary_ctxt_switches:", 0) == 0) return std::stol(line.substr(24));
  }
  return -1;
}

TEST(TimerWakeupsTest, TimersNeverEnabledStartNoThread) {
  PollEventLoop loop;
  const size_t before = TimerThreads().size();
  std::vector<std::unique_ptr<TSuperTimer>> timers;
  for (int i = 0; i < 3; ++i) timers.push_back(std::make_unique<TSuperTimer>(loop));
  timers[0]->SetInterval(500);
  timers[1]->SetThreadPriority(TThreadPriority::kIdle);
  EXPECT_EQ(TimerThreads().size(), before);
  timers[2]->SetEnabled(true);
  // The worker names itself first thing; give it the moment it needs.
  EXPECT_TRUE(loop.RunUntil([&] { return TimerThreads().size() == before + 1; }, 2000));
}

TEST(TimerWakeupsTest, EachTickWakesTheWorkerOnceAndADisabledTimerNotAtAll) {
  PollEventLoop loop;
  const size_t before = TimerThreads().size();
  TSuperTimer timer(loop);
  int ticks = 0;
  timer.OnTimer = [&](TSuperTimer&) { ++ticks; };
  timer.SetInterval(20);
  timer.SetEnabled(true);
  ASSERT_TRUE(loop.RunUntil([&] { return ticks >= 2; }, 5000));
  const std::vector<std::string> threads = TimerThreads();
  ASSERT_EQ(threads.size(), before + 1);
  const std::string worker = threads.back();
  const long start = Sleeps(worker);
  const int start_ticks = ticks;
  ASSERT_TRUE(loop.RunUntil([&] { return ticks >= start_ticks + 30; }, 10000));
  const double per_tick = static_cast<double>(Sleeps(worker) - start) / (ticks - start_ticks);
  // One sleep until the tick is due; handing the tick over must not add a second one.
  EXPECT_LT(per_tick, 1.5);

  timer.SetEnabled(false);
  loop.RunFor(60);  // the worker notices at its next due time at the latest
  const long disabled = Sleeps(worker);
  loop.RunFor(300);
  EXPECT_EQ(Sleeps(worker), disabled);
}

TEST(TimerWakeupsTest, ATimeOutDisabledBeforeItIsDueNeverWakesItsWorker) {
  PollEventLoop loop;
  const size_t before = TimerThreads().size();
  TSuperTimer time_out(loop);
  int stops = 0;
  time_out.OnStop = [&](TSuperTimer&) { ++stops; };
  time_out.SetInterval(200);
  time_out.SetCountDown(true);
  time_out.SetEnabled(true);  // the first enabling starts the worker
  ASSERT_TRUE(loop.RunUntil([&] { return TimerThreads().size() == before + 1; }, 2000));
  const std::string worker = TimerThreads().back();
  time_out.SetEnabled(false);
  loop.RunFor(250);  // past the first due time
  const long start = Sleeps(worker);
  // A request's time-out: armed when it leaves, disarmed by its reply well before it is due.
  for (int i = 0; i < 20; ++i) {
    time_out.SetEnabled(true);
    loop.RunFor(10);
    time_out.SetEnabled(false);
  }
  loop.RunFor(250);  // past the last due time
  EXPECT_EQ(Sleeps(worker), start);
  EXPECT_EQ(stops, 0);
  // Left armed, it still fires on time.
  time_out.SetEnabled(true);
  EXPECT_TRUE(loop.RunUntil([&] { return stops == 1; }, 2000));
}

}  // namespace
}  // namespace kivo
