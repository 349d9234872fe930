// The blocking host-name lookup the socket and the ping run on their helper threads: fills
// dotted addresses and returns 0 or a Winsock number. Handed in through their constructors (a
// test hands in one that never asks a name server); none given means the system's.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace kivo {

using HostResolver = std::function<int(const std::string& name, std::vector<std::string>* out)>;

}  // namespace kivo
