// libFuzzer target for the listing reader and the grouping after it: any bytes as a page must
// give either a message or entries whose names are safe path elements, never a crash.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/listing_parser.h"
#include "media/media_catalog.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view page(reinterpret_cast<const char*>(data), size);
  const kivo::ListingResult result = kivo::ParseListing(page, "/videos/DCIM/100GOPRO/");
  for (const kivo::ListingEntry& e : result.entries) {
    if (!kivo::IsSafeEntryName(e.name)) std::abort();
  }
  auto items = kivo::GroupMedia("100GOPRO", result.entries);
  kivo::SortNewestFirst(items);
  return 0;
}
