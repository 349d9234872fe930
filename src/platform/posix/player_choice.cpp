#include "platform/player_choice.h"

namespace kivo {

// Programs carry no extension here; what makes one is its executable bit, which a name filter
// cannot see, so every file is offered.
const char* PlayerFileName() { return "vlc"; }
const char* PlayerFileFilter() { return ""; }

}  // namespace kivo
