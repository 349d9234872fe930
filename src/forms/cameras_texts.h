// Every text the Cameras window shows, in one place (its rows' texts are the main window's own,
// from link/rig_rows.h).
#pragma once

namespace kivo::cameras_text {

inline constexpr char kCaption[] = "Cameras";
// The caption once a camera was chosen, so that it stays in sight which one the main window
// follows: "Cameras - main window: kcam2".
inline constexpr char kCaptionChosen[] = "Cameras - main window: ";
inline constexpr char kRecordAllBtn[] = "Record All";
inline constexpr char kStopAllBtn[] = "Stop All";
inline constexpr char kSyncClocksBtn[] = "Sync Clocks";
inline constexpr char kDownloadAllNewBtn[] = "Download All New";
inline constexpr char kControlBtn[] = "Control This Camera";
// What assistive technology calls the controls that show no text of their own.
inline constexpr char kListName[] = "Cameras of the rig";
inline constexpr char kStatusName[] = "Status";
inline constexpr char kLooking[] = "Looking for cameras...";
inline constexpr char kNoCamera[] = "No network interface leads into the camera network of ";
inline constexpr char kFoundOne[] = "1 camera";
inline constexpr char kFoundMany[] = " cameras";
inline constexpr char kReading[] = "Reading...";
inline constexpr char kUnderWay[] = ": under way";
inline constexpr char kSelectFirst[] = "Choose a camera first";
inline constexpr char kControls[] = "The main window controls the camera on ";
inline constexpr char kStillDownloading[] = "still downloading";
inline constexpr char kNothingNew[] = "nothing new";
inline constexpr char kDownloaded[] = " downloaded";
inline constexpr char kNotDownloaded[] = " could not be downloaded";

}  // namespace kivo::cameras_text
