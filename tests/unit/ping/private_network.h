// Runs a piece of a test in a child process inside a network namespace of its own, where only
// its own loopback device exists: nothing it sends can leave the machine, and the namespace's
// network settings can be changed freely.
#pragma once

#include <functional>
#include <string>

namespace kivo::testing {

struct PrivateNetworkResult {
  bool available = false;  // the system let us create the namespace
  std::string failure;     // empty when |body| succeeded
};

// |body| returns "" on success or a description of what went wrong. The child is killed after
// |limit_ms|.
PrivateNetworkResult RunInPrivateNetwork(const std::function<std::string()>& body,
                                         int limit_ms = 20000);

// Writes |value| to /proc/sys/|key_path| (for use inside the body). Returns false on failure.
bool WriteSysctl(const std::string& key_path, const std::string& value);

}  // namespace kivo::testing
