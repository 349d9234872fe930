// The SD card menu's View item and the diagnostic Download button: the newest photo of the
// folder "100GOPRO", found in the camera's listing (newest first), downloaded through the
// request pool and named after its capture date. The name the camera's bytes suggest is only
// used when it is made of digits, "-" and blanks; anything else keeps the pool's temporary name,
// and an existing file is never replaced.
#include <filesystem>
#include <fstream>

#include "camera/link_texts.h"
#include "media/listing_pick.h"
#include "media/preview_text.h"
#include "media/text_lines.h"
#include "platform/atomic_file.h"
#include "platform/file_rename.h"
#include "platform/socket_errors.h"
#include "forms/main_window.h"
#include "forms/net_window.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr const char* kPhotoFolder = "/videos/100GOPRO/";
constexpr const char* kNewestFirst = "?order=D";
constexpr const char* kErrorPrefix = "Error: ";
constexpr const char* kNoDateLineText = "Download: the listing shows no date for ";
constexpr const char* kDownloadedAs = " downloaded as ";
constexpr const char* kPhotoExtension = ".jpg";

// Up to |limit| bytes from the start of the file; a read that fails keeps what it had.
std::string ReadHead(const std::string& path, std::size_t limit) {
  std::string head(limit, '\0');
  std::ifstream in(PathFromUtf8(path), std::ios::binary);
  in.read(head.data(), static_cast<std::streamsize>(limit));
  head.resize(static_cast<std::size_t>(std::max<std::streamsize>(in.gcount(), 0)));
  return head;
}

}  // namespace

void TForm1::View1Click() { env_.shell.OpenUrl("http://" + camera_address + kMediaPort); }

void TForm1::DownloadBtnClick() {
  PoolGet("http://" + camera_address + kMediaPort + kPhotoFolder + kNewestFirst,
          &TForm1::DownloadListingDone);
}

namespace {

// The same for every request to the camera's media server (the clock, the listing, the photo):
// time-out and refusal go to the error log, other errors only to the status bar.
struct ErrorReport {
  bool to_log;
  std::string text;
};

ErrorReport DownloadError(std::uint16_t error) {
  if (error == kWsaETimedOut) return {true, kClockUnreachableStatus};
  if (error == kWsaEConnRefused) return {true, kClockRefusedStatus};
  return {false, kErrorPrefix + std::to_string(error)};
}

}  // namespace

void TForm1::ReportMediaServerError(std::uint16_t error) {
  if (IsPoolFileError(error)) return;  // this computer's trouble, which the pool said once
  ErrorReport report = DownloadError(error);
  if (report.to_log) {
    LogError(report.text);
  } else {
    SetStatusText(report.text);
  }
}

void TForm1::DownloadListingDone(const std::string&, const std::string& file_name,
                                 std::uint16_t error) {
  if (error != 0) ReportMediaServerError(error);
  if (!std::filesystem::exists(PathFromUtf8(file_name))) return;
  std::string text;
  ReadWholeFile(file_name, &text);
  std::vector<std::string> lines = SplitLines(text);
  model_["ListBox1"].SetLines(lines);
  if (lines.size() > 2) {
    if (std::optional<ListingPick> pick = PickNewestPhoto(lines)) {
      if (pick->date_line) {
        download_photo_name = pick->photo_name;
        download_date_line = *pick->date_line;
        PoolGet("http://" + camera_address + kMediaPort + kPhotoFolder + download_photo_name,
                &TForm1::DownloadPhotoDone);
      } else {
        // Without its date line the photo could not be named; better not fetch it at all.
        SetStatusText(kNoDateLineText + pick->photo_name);
      }
    }
  }
  if (!Debug) {
    std::error_code ignored;  // a listing that cannot be removed costs nothing but disk space
    std::filesystem::remove(PathFromUtf8(file_name), ignored);
  }
}

void TForm1::DownloadPhotoDone(const std::string&, const std::string& file_name,
                               std::uint16_t error) {
  if (error != 0) {
    ReportMediaServerError(error);
    // A download that ended early keeps its temporary name: named after its date, it would
    // pass for the whole photo.
    return;
  }
  if (!std::filesystem::exists(PathFromUtf8(file_name))) return;
  const std::filesystem::path temporary = PathFromUtf8(file_name);
  std::string kept_as = Utf8FromPath(temporary.filename());
  if (std::optional<std::string> name =
          PhotoDateName(ReadHead(file_name, kPhotoHeadBytes), download_date_line)) {
    const std::filesystem::path target =
        temporary.parent_path() / PathFromUtf8(*name + kPhotoExtension);
    if (RenameNoReplace(file_name, Utf8FromPath(target))) kept_as = Utf8FromPath(target.filename());
  }
  ShowMessage(download_photo_name + kDownloadedAs + kept_as);
}

}  // namespace kivo
