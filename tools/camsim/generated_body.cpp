#include "generated_body.h"

#include <algorithm>
#include <cstring>

namespace kivo::camsim {
namespace {

uint64_t SplitMix64(uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}

}  // namespace

void FillGenerated(const GeneratedBody& body, uint64_t offset, char* out, size_t len) {
  const uint64_t prefix = body.prefix.size();
  while (len > 0 && offset < prefix) {
    *out++ = body.prefix[offset++];
    --len;
  }
  while (len > 0) {
    // Eight bytes per word of the pattern, little-endian.
    const uint64_t word = SplitMix64(body.seed ^ (offset / 8) * 0x2545f4914f6cdd1dULL);
    const size_t at = offset % 8;
    const size_t n = std::min<size_t>(len, 8 - at);
    for (size_t i = 0; i < n; ++i) out[i] = static_cast<char>(word >> (8 * (at + i)));
    out += n;
    offset += n;
    len -= n;
  }
}

}  // namespace kivo::camsim
