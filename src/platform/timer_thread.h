// Operating-system tuning of a timer's worker thread: its scheduling priority, a precise wake-up
// and a name for debuggers. Each function acts on the calling thread; all are best effort and
// silently keep the defaults where the system refuses (an ordinary user cannot raise priority).
#pragma once

namespace kivo {

// The priority levels a timer thread can ask for, lowest first.
enum class ThreadPriorityLevel {
  kIdle,
  kLowest,
  kLower,
  kNormal,
  kHigher,
  kHighest,
  kTimeCritical,
};

// Names the thread and asks the scheduler for wake-ups without added slack.
void PrepareTimerThread(const char* name);

// Applies |level| to the calling thread.
void ApplyThreadPriority(ThreadPriorityLevel level);

}  // namespace kivo
