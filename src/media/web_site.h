// Addresses on the maker's web site. The host is one constant, overridable at run time with the
// environment variable KIVO_WEB_HOST (for instance the simulated service "10.5.5.10"), so no
// rebuild is needed to point the program at a real service. The shipped default is a reserved
// name that never resolves, so nothing leaves the machine for a host we do not control.
#pragma once

#include <string>

namespace kivo {

inline constexpr const char* kDefaultWebHost = "kivo.invalid";

// The host in use: KIVO_WEB_HOST when set and not empty, else kDefaultWebHost.
std::string MakerHost();

std::string ProductPageUrl();     // Help and "Check for newer version"
std::string DownloadPageUrl();    // offered by the version check
std::string TimeLapsePageUrl();   // "1 hour or more"
std::string ContactPageUrl();     // "Send Feedback and Bug Reports ..."

}  // namespace kivo
