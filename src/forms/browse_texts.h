// Every text the Browse and Download window shows, in one place.
#pragma once

namespace kivo::browse_text {

inline constexpr char kCaption[] = "Browse and Download";
inline constexpr char kFolderPrefix[] = "Download folder: ";
inline constexpr char kFolderBtn[] = "Folder...";
inline constexpr char kRefreshBtn[] = "Refresh";
inline constexpr char kDownloadSelectedBtn[] = "Download Selected";
inline constexpr char kDownloadAllBtn[] = "Download All New";
inline constexpr char kCancelBtn[] = "Cancel";
inline constexpr char kChooseFolderTitle[] = "Download folder";
inline constexpr char kNoPicture[] = "No picture";
// What assistive technology calls the controls that show no text of their own.
inline constexpr char kFileListName[] = "Files on the camera";
inline constexpr char kPictureName[] = "Picture of the selected file";
inline constexpr char kStatusName[] = "Status";
inline constexpr char kNoDelete[] =
    "Files stay on the camera: it has no command that deletes a single file.";
inline constexpr char kReading[] = "Reading the camera's card...";
inline constexpr char kFilesFound[] = " files on the card";
inline constexpr char kNothingToDownload[] = "Nothing to download: every file is already here";
inline constexpr char kNothingSelected[] = "Select the files to download first";
inline constexpr char kCancelling[] = "Cancelling...";
inline constexpr char kStateHere[] = "On this computer";
inline constexpr char kStateQueued[] = "Waiting";
inline constexpr char kStateDone[] = "Downloaded";
inline constexpr char kStateAlready[] = "Already here";
inline constexpr char kStateCancelled[] = "Cancelled";

}  // namespace kivo::browse_text
