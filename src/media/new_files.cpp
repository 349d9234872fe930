#include "media/new_files.h"

#include "media/local_copies.h"

namespace kivo {

std::vector<FetchJob> NewFileJobs(const CardListing& card, const std::string& media_base,
                                  const std::filesystem::path& folder) {
  LocalCopies here(folder);
  std::vector<FetchJob> jobs;
  for (const MediaItem& m : card.items) {
    if (here.AllHere(m)) continue;
    const std::string base = media_base + card.root + m.folder + "/";
    jobs.push_back({base + m.file.name, m.file.name, m.folder, m.file.size});
    for (const ListingEntry& e : m.companions)
      jobs.push_back({base + e.name, e.name, m.folder, e.size});
  }
  return jobs;
}

}  // namespace kivo
