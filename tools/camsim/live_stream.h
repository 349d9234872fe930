// The live preview's MPEG-TS segments: one second of H.264 video at 10 frames per second, a
// still test picture (colour bars and "KIVO CAMSIM", with a marker that moves with each
// second) coded as one uncompressed intra frame and nine frames that repeat it. Every segment
// starts with a key frame; time stamps and continuity counters follow on from the previous
// segment, so a player sees one unbroken stream. Pure functions; any thread.
#pragma once

#include <cstdint>
#include <string>

namespace kivo::camsim {

inline constexpr int kLiveWidth = 256;
inline constexpr int kLiveHeight = 144;
inline constexpr int kLiveFramesPerSegment = 10;

// The segment of stream second |sequence| (>= 0).
std::string LiveSegment(int64_t sequence);

// The H.264 access units (Annex B byte stream) of one segment's first frame and of a repeating
// frame; exposed for tests.
std::string LiveKeyFrame(int64_t sequence);
std::string LiveRepeatFrame(int frame_num);

}  // namespace kivo::camsim
