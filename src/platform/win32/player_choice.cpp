#include "platform/player_choice.h"

namespace kivo {

const char* PlayerFileName() { return "vlc.exe"; }
const char* PlayerFileFilter() { return "*.exe|*.exe"; }

}  // namespace kivo
