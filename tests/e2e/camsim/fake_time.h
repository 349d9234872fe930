// Test support: a monotonic millisecond source the test moves by hand.
#pragma once

#include <cstdint>
#include <functional>

namespace kivo::camsim {

struct FakeTime {
  int64_t ms = 1'000'000;
  std::function<int64_t()> Source() {
    return [this] { return ms; };
  }
};

}  // namespace kivo::camsim
