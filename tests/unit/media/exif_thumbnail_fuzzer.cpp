// libFuzzer target for the Exif thumbnail finder: any bytes as a photo's head must give either
// nothing or a span inside those bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "media/exif_thumbnail.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view head(reinterpret_cast<const char*>(data), size);
  if (auto span = kivo::FindExifThumbnail(head)) {
    if (span->offset > size || size - span->offset < span->length) std::abort();
  }
  return 0;
}
