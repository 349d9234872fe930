#include "platform/background_writer.h"

#include <exception>
#include <utility>

namespace kivo {

BackgroundWriter::BackgroundWriter(EventLoop& loop, FailureHandler on_failure) : loop_(loop) {
  shared_->on_failure = std::move(on_failure);
}

BackgroundWriter::~BackgroundWriter() {
  WaitIdle();
  std::lock_guard<std::mutex> lock(shared_->mutex);
  shared_->alive = false;
}

void BackgroundWriter::Submit(Job job) {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->jobs.push_back(std::move(job));
  if (shared_->running) return;  // the thread at work takes it after the ones before it
  shared_->running = true;
  lock.unlock();
  // The previous thread has said it is done; joining it costs at most its last instructions.
  if (thread_.joinable()) thread_.join();
  thread_ = std::thread([shared = shared_, &loop = loop_] { Run(shared, loop); });
}

void BackgroundWriter::Run(const std::shared_ptr<Shared>& shared, EventLoop& loop) {
  std::unique_lock<std::mutex> lock(shared->mutex);
  while (!shared->jobs.empty()) {
    Job job = std::move(shared->jobs.front());
    shared->jobs.pop_front();
    lock.unlock();
    std::string failure;
    bool failed = false;
    try {
      job();
    } catch (const std::exception& error) {
      failed = true;
      failure = error.what();
    } catch (...) {
      failed = true;
      failure = "Unknown error";
    }
    job = nullptr;  // what the job holds goes here, not on the loop thread
    lock.lock();
    if (failed) {
      shared->failures.push_back(std::move(failure));
      loop.Post([shared] { Report(shared); });
    }
  }
  shared->running = false;
  shared->idle.notify_all();
}

void BackgroundWriter::Report(const std::shared_ptr<Shared>& shared) {
  // Whoever takes a failure from the list reports it: the posted task or Finish(), never both.
  for (;;) {
    std::string message;
    FailureHandler handler;
    {
      std::lock_guard<std::mutex> lock(shared->mutex);
      if (!shared->alive || shared->failures.empty()) return;
      message = std::move(shared->failures.front());
      shared->failures.pop_front();
      handler = shared->on_failure;
    }
    if (handler) handler(message);
  }
}

void BackgroundWriter::WaitIdle() {
  std::unique_lock<std::mutex> lock(shared_->mutex);
  shared_->idle.wait(lock, [this] { return !shared_->running; });
  lock.unlock();
  if (thread_.joinable()) thread_.join();
}

void BackgroundWriter::Finish() {
  WaitIdle();
  Report(shared_);
}

}  // namespace kivo
