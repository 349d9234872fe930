// The simulated SD card: the files the camera has captured, in folders 100GOPRO, 101GOPRO, ...,
// named the way the camera names them, with their capture dates, contents and the space they take.
// Single-threaded: used from the simulator's loop thread only.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "camera_clock.h"

namespace kivo::camsim {

enum class FileKind { kPhoto, kVideo, kThumbnail, kLowResVideo };

struct MediaFile {
  std::string folder;      // "100GOPRO"
  std::string name;        // "GOPR0001.JPG"
  FileKind kind = FileKind::kPhoto;
  CivilTime taken;
  uint64_t capture = 0;    // capture it belongs to (a burst or a video and its companions)
  uint64_t sequence = 0;   // creation order on the card
  uint64_t card_bytes = 0; // space it takes on the card (a full-size file would)
  std::string content;     // what the media server sends for it
};

class MediaCard {
 public:
  MediaCard(std::string_view model_name, uint64_t free_bytes, int files_per_folder);

  bool present() const { return present_; }
  void set_present(bool present) { present_ = present; }
  uint64_t free_bytes() const { return present_ ? free_bytes_ : 0; }
  void set_free_bytes(uint64_t bytes) { free_bytes_ = bytes; }

  // Captures. A capture that does not fit fails and leaves the card as it was. |card_bytes| is
  // the space one photo or the whole video takes.
  bool AddPhoto(const CivilTime& taken, uint64_t card_bytes);
  // Burst and time-lapse photos belong to a numbered group: G + group + file number.
  int StartGroup();
  bool AddGroupPhoto(int group, const CivilTime& taken, uint64_t card_bytes);
  bool AddVideo(const CivilTime& taken, uint64_t card_bytes);

  // Removes the files of the newest capture; false when the card is empty.
  bool DeleteLast();
  void DeleteAll();

  int PhotoCount() const;
  int VideoCount() const;
  // Folder names in order; 100GOPRO always exists.
  std::vector<std::string> Folders() const;
  std::vector<const MediaFile*> FilesIn(std::string_view folder) const;
  const MediaFile* Find(std::string_view folder, std::string_view name) const;
  const std::vector<MediaFile>& files() const { return files_; }

 private:
  std::string CurrentFolder();
  uint32_t NextNumber();
  // Opens a new capture: every file of it goes to the same folder.
  void OpenCapture();
  MediaFile& Add(std::string name, FileKind kind, const CivilTime& taken, uint64_t card_bytes,
                 std::string content);

  std::string model_name_;
  uint64_t free_bytes_;
  int files_per_folder_;
  bool present_ = true;
  int folder_ = 100;
  uint32_t next_number_ = 1;
  int next_group_ = 1;
  uint64_t next_capture_ = 1;
  uint64_t open_capture_ = 0;
  std::string open_folder_ = "100GOPRO";
  uint64_t next_sequence_ = 1;
  std::vector<MediaFile> files_;
};

}  // namespace kivo::camsim
