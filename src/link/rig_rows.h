// The Cameras window's logic without a window: which interfaces lead into the camera network
// (one Wi-Fi adapter per camera of a rig) and each camera's password, a camera's row from its
// typed status values, and the line that says what one command to every camera did. Plain
// functions; any thread. ScanRig blocks while the system names Wi-Fi networks: keep it off the
// UI thread.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/camera_link.h"
#include "platform/net_interfaces.h"

namespace kivo {

// The columns of a row, in order.
inline constexpr const char* kRigColumns[] = {"Interface",      "Model",       "Mode",
                                              "Battery",        "Recording",   "Photos left",
                                              "Videos left"};
// The mode column of a camera that answers but is switched off.
inline constexpr char kRigCameraOff[] = "off";

struct RigCamera {
  std::string interface_name;
  std::string password;
};

struct RigScan {
  std::string error;  // why there is no list; "" when the interfaces could be listed
  std::vector<RigCamera> cameras;
};

// The interfaces with an address in the network of |camera_address| (a.b.c.d): one per camera
// of a rig. Without a list, |trouble| says why and |error| is set.
struct RigInterfaces {
  enum class Trouble { kNone, kNotDotted, kCannotList };
  Trouble trouble = Trouble::kNone;
  std::string error;
  std::vector<NetInterface> found;
};
RigInterfaces FindRigInterfaces(const std::string& camera_address);

// Every interface that leads into the network of |camera_address| (a.b.c.d), with its camera's
// password read from the settings file |settings_path| ("" for none) as kivo-cli reads it, and
// |password| where no row names the camera.
RigScan ScanRig(const std::string& camera_address, const std::string& settings_path,
                const std::string& password);

// A camera's row as tab-separated cells under kRigColumns, from its status values (|status|
// null when |error| says why there are none): the model's name, the mode as the main window's
// two mode labels say it on one line, the battery, the recording time, the photos left and the
// minutes of video left, with the main window's texts.
std::string RigRowText(const std::string& interface_name, const LinkError& error,
                       const CameraSnapshot* status);

// The main window's two mode labels on one line: "Video 1080-30 T, Wide".
std::string ModeLine(const CameraStatus& status);

struct RigOutcome {
  std::string interface_name;
  LinkError error;
  std::string done;  // what went well, when |error| is ok ("" for the plain "done")
};

// "Record All: kcam1, kcam3 done; kcam2: No connection to Camera" - every camera named with its
// outcome, cameras with the same outcome together.
std::string RigOutcomeLine(std::string_view action, std::span<const RigOutcome> outcomes);

}  // namespace kivo
