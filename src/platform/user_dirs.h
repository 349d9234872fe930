// Where the user keeps pictures: the desktop's own idea of it (on Linux `xdg-user-dir
// PICTURES`, falling back to "$HOME/Pictures"; on Windows the Pictures known folder). Loop
// thread; may start a short-lived process.
#pragma once

#include <string>

namespace kivo {

// No trailing "/". Never empty: without a home directory it is "Pictures".
std::string UserPicturesDir();
// The folder |name| inside it, joined with the system's separator ("/" or "\\").
std::string UserPicturesSubdir(const std::string& name);

}  // namespace kivo
