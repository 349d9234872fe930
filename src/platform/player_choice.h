// What the player chooser proposes on this platform: the player's file name and the file-open
// dialog's filter ("description|pattern", or "" for every file). Plain constants; any thread.
#pragma once

namespace kivo {

const char* PlayerFileName();
const char* PlayerFileFilter();

}  // namespace kivo
