// Which files of a card a "download everything new" fetches: every item not here for certain
// (LocalCopies::AllHere), the file and its companions, as jobs for the download engine. A file
// the listing gives only a rounded size for goes to the engine too, which asks the camera for
// the exact size and skips it if it is here after all. Plain function; any thread.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "media/card_reader.h"
#include "media/media_fetcher.h"

namespace kivo {

// |media_base| is "http://ADDRESS:8080"; |folder| the folder the files go to.
std::vector<FetchJob> NewFileJobs(const CardListing& card, const std::string& media_base,
                                  const std::filesystem::path& folder);

}  // namespace kivo
