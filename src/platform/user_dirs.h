// Where the user keeps pictures: the desktop's own idea of it (on Linux `xdg-user-dir
// PICTURES`), falling back to "$HOME/Pictures". Loop thread; may start a short-lived process.
#pragma once

#include <string>

namespace kivo {

// No trailing "/". Never empty: without a home directory it is "Pictures".
std::string UserPicturesDir();

}  // namespace kivo
