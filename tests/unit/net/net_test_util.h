// Shared bits of the network tests: a loop per test and a bounded wait.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "platform/poll_event_loop.h"

namespace kivo::testing {

// Every wait in these tests is bounded, so a fault shows as a failure, never as a hang.
inline constexpr int kWaitMs = 5000;

class LoopTest : public ::testing::Test {
 protected:
  bool WaitFor(const std::function<bool()>& done, int ms = kWaitMs) { return loop_.RunUntil(done, ms); }
  PollEventLoop loop_;
};

}  // namespace kivo::testing
