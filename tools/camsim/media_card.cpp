#include "media_card.h"

#include <algorithm>
#include <cstdio>

#include "jpeg_writer.h"

namespace kivo::camsim {
namespace {

std::string NumberedName(const char* prefix, uint32_t number, const char* extension) {
  char name[32];
  std::snprintf(name, sizeof name, "%s%04u.%s", prefix, number % 10000, extension);
  return name;
}

// Stand-in for a video file: an MP4 header box and a note. Nobody plays these; they only have to
// be there to be listed, downloaded and deleted.
std::string VideoStub(const std::string& name, const CivilTime& taken) {
  std::string box("\0\0\0\x18" "ftypmp42\0\0\0\0" "mp42isom", 24);
  std::string note = "Simulated video " + name + " recorded " + FormatIsoDate(taken) + "\n";
  const uint32_t size = static_cast<uint32_t>(8 + note.size());
  box += std::string{static_cast<char>(size >> 24), static_cast<char>(size >> 16),
                     static_cast<char>(size >> 8), static_cast<char>(size)};
  box += "free";
  box += note;
  return box;
}

}  // namespace

MediaCard::MediaCard(std::string_view model_name, uint64_t free_bytes, int files_per_folder)
    : model_name_(model_name),
      free_bytes_(free_bytes),
      files_per_folder_(std::max(1, files_per_folder)) {}

std::string MediaCard::CurrentFolder() {
  // The camera opens the next folder once the current one is full.
  const std::string name = std::to_string(folder_) + "GOPRO";
  const auto in_folder = std::count_if(files_.begin(), files_.end(),
                                       [&](const MediaFile& f) { return f.folder == name; });
  if (in_folder >= files_per_folder_ && folder_ < 999) {
    ++folder_;
    return std::to_string(folder_) + "GOPRO";
  }
  return name;
}

uint32_t MediaCard::NextNumber() {
  const uint32_t number = next_number_;
  next_number_ = next_number_ >= 9999 ? 1 : next_number_ + 1;
  return number;
}

void MediaCard::OpenCapture() {
  open_capture_ = next_capture_++;
  open_folder_ = CurrentFolder();
}

MediaFile& MediaCard::Add(std::string name, FileKind kind, const CivilTime& taken,
                          uint64_t card_bytes, std::string content) {
  MediaFile file;
  file.folder = open_folder_;
  file.name = std::move(name);
  file.kind = kind;
  file.taken = taken;
  file.capture = open_capture_;
  file.sequence = next_sequence_++;
  file.card_bytes = card_bytes;
  file.content = std::move(content);
  formatted_ = false;
  free_bytes_ -= std::min(free_bytes_, card_bytes);
  files_.push_back(std::move(file));
  return files_.back();
}

bool MediaCard::AddPhoto(const CivilTime& taken, uint64_t card_bytes, bool exif_thumbnail) {
  if (!present_ || free_bytes_ < card_bytes) return false;
  OpenCapture();
  const uint32_t number = NextNumber();
  PhotoSpec spec{taken, number, model_name_};
  spec.exif_thumbnail = exif_thumbnail;
  Add(NumberedName("GOPR", number, "JPG"), FileKind::kPhoto, taken, card_bytes, MakeJpeg(spec));
  return true;
}

int MediaCard::StartGroup() {
  OpenCapture();
  const int group = next_group_;
  next_group_ = next_group_ >= 999 ? 1 : next_group_ + 1;
  return group;
}

bool MediaCard::AddGroupPhoto(int group, const CivilTime& taken, uint64_t card_bytes) {
  if (!present_ || free_bytes_ < card_bytes) return false;
  char prefix[8];
  std::snprintf(prefix, sizeof prefix, "G%03d", group % 1000);
  const uint32_t number = NextNumber();
  Add(NumberedName(prefix, number, "JPG"), FileKind::kPhoto, taken, card_bytes,
      MakeJpeg({taken, number, model_name_}));
  return true;
}

bool MediaCard::AddVideo(const CivilTime& taken, uint64_t card_bytes) {
  if (!present_) return false;
  OpenCapture();
  const uint32_t number = NextNumber();
  // A recording stops when the card is full, so whatever was recorded is kept.
  const uint64_t kept = std::min(card_bytes, free_bytes_);
  const std::string video = NumberedName("GOPR", number, "MP4");
  Add(video, FileKind::kVideo, taken, kept, VideoStub(video, taken));
  PhotoSpec thumb{taken, number, model_name_, 20, 15};
  Add(NumberedName("GOPR", number, "THM"), FileKind::kThumbnail, taken, 0, MakeJpeg(thumb));
  const std::string low = NumberedName("GOPR", number, "LRV");
  Add(low, FileKind::kLowResVideo, taken, 0, VideoStub(low, taken));
  return true;
}

bool MediaCard::AddLargeVideo(const CivilTime& taken, uint64_t served_bytes) {
  if (!AddVideo(taken, served_bytes)) return false;
  for (MediaFile& f : files_) {
    if (f.capture == open_capture_ && f.kind == FileKind::kVideo) {
      f.generated_size = std::max<uint64_t>(served_bytes, f.content.size());
      f.seed = f.sequence * 0x100000001b3ULL + served_bytes;
    }
  }
  return true;
}

bool MediaCard::DeleteLast() {
  if (files_.empty()) return false;
  const uint64_t last = std::max_element(files_.begin(), files_.end(), [](auto& a, auto& b) {
                          return a.sequence < b.sequence;
                        })->capture;
  std::erase_if(files_, [&](const MediaFile& f) {
    if (f.capture != last) return false;
    free_bytes_ += f.card_bytes;
    return true;
  });
  return true;
}

void MediaCard::DeleteAll() {
  for (const MediaFile& f : files_) free_bytes_ += f.card_bytes;
  files_.clear();
}

void MediaCard::Format() {
  DeleteAll();
  folder_ = 100;
  open_folder_ = "100GOPRO";
  formatted_ = true;
}

int MediaCard::PhotoCount() const {
  return static_cast<int>(std::count_if(files_.begin(), files_.end(), [](const MediaFile& f) {
    return f.kind == FileKind::kPhoto;
  }));
}

int MediaCard::VideoCount() const {
  return static_cast<int>(std::count_if(files_.begin(), files_.end(), [](const MediaFile& f) {
    return f.kind == FileKind::kVideo;
  }));
}

std::vector<std::string> MediaCard::Folders() const {
  if (formatted_) return {};
  std::vector<std::string> folders = {"100GOPRO"};
  for (const MediaFile& f : files_) folders.push_back(f.folder);
  for (int n = 101; n <= folder_; ++n) folders.push_back(std::to_string(n) + "GOPRO");
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  return folders;
}

bool MediaCard::HasFolder(std::string_view folder) const {
  if (formatted_) return false;
  if (folder == "100GOPRO") return true;
  for (int n = 101; n <= folder_; ++n) {
    if (folder == std::to_string(n) + "GOPRO") return true;
  }
  return std::any_of(files_.begin(), files_.end(),
                     [folder](const MediaFile& f) { return f.folder == folder; });
}

std::vector<const MediaFile*> MediaCard::FilesIn(std::string_view folder) const {
  std::vector<const MediaFile*> out;
  for (const MediaFile& f : files_) {
    if (f.folder == folder) out.push_back(&f);
  }
  return out;
}

const MediaFile* MediaCard::Find(std::string_view folder, std::string_view name) const {
  for (const MediaFile& f : files_) {
    if (f.folder == folder && f.name == name) return &f;
  }
  return nullptr;
}

}  // namespace kivo::camsim
