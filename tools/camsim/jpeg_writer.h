// Builds the JPEG files the simulated camera stores: a real, decodable baseline picture with
// Exif metadata laid out like the camera's, so that the capture date "YYYY:MM:DD HH:MM:SS" sits
// at byte offset 1132 of the file, where the program looks for it. Pure functions, any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "camera_clock.h"

namespace kivo::camsim {

inline constexpr size_t kExifDateOffset = 1132;

struct PhotoSpec {
  CivilTime taken;
  uint32_t number = 0;        // file number, drawn into the picture
  std::string_view model;     // camera model written into the metadata
  int width_blocks = 40;      // picture size in 8x8 blocks (40 x 30 = 320 x 240 pixels)
  int height_blocks = 30;
  bool exif_thumbnail = false;  // also embed a 160 x 120 thumbnail (Exif IFD1), as cameras do
};

std::string MakeJpeg(const PhotoSpec& spec);

}  // namespace kivo::camsim
