// Writes files on a helper thread so that the thread of the windows never waits for a disk: jobs
// run one at a time, in the order they were handed in, and a job's failure comes back to the
// event loop's thread, reported once. Finish() (and the destructor) wait for every job handed in,
// so a save asked for at exit is on disk before the program ends.
// Submit, Finish and the destructor are for the loop thread only.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "platform/event_loop.h"

namespace kivo {

class BackgroundWriter {
 public:
  // A job writes; an exception it throws is its failure, and what() is the text reported.
  using Job = std::function<void()>;
  using FailureHandler = std::function<void(const std::string& message)>;

  // |on_failure| runs on the loop thread, once per failed job.
  BackgroundWriter(EventLoop& loop, FailureHandler on_failure);
  // Waits for the jobs handed in (see Finish), but reports nothing more: whoever owns the writer
  // may be half gone by then. Call Finish() first to hear of a failure.
  ~BackgroundWriter();
  BackgroundWriter(const BackgroundWriter&) = delete;
  BackgroundWriter& operator=(const BackgroundWriter&) = delete;

  // Hands |job| to the helper thread and returns at once. The thread exists only while there
  // is work, so a writer at rest costs nothing.
  void Submit(Job job);

  // Blocks until every job handed in has run, then reports, here and now, the failures that
  // have not reached the loop yet.
  void Finish();

 private:
  // Shared with the helper thread and with the failure reports posted to the loop, which may
  // outlive the writer.
  struct Shared {
    std::mutex mutex;
    std::condition_variable idle;
    std::deque<Job> jobs;
    bool running = false;  // the helper thread is at work (or about to end)
    std::deque<std::string> failures;  // not yet reported
    bool alive = true;     // the writer still exists; reports may be delivered
    FailureHandler on_failure;
  };

  static void Run(const std::shared_ptr<Shared>& shared, EventLoop& loop);
  static void Report(const std::shared_ptr<Shared>& shared);
  void WaitIdle();

  EventLoop& loop_;
  std::shared_ptr<Shared> shared_ = std::make_shared<Shared>();
  std::thread thread_;
};

}  // namespace kivo
