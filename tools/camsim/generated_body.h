// Contents of the simulated camera's large files, computed instead of stored: a short real
// header (the prefix) and then bytes that depend only on a seed and the offset, so any range can
// be produced on demand and a test can recompute what a file must hold. Pure, any thread.
#pragma once

#include <cstddef>
#include <cstdint>

#include "http_message.h"

namespace kivo::camsim {

// Writes bytes [offset, offset + len) of |body| into |out|.
void FillGenerated(const GeneratedBody& body, uint64_t offset, char* out, size_t len);

}  // namespace kivo::camsim
