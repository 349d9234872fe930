#include "link/rig_rows.h"

#include <algorithm>

#include "camera/camera_passwords.h"
#include "camera/camera_status.h"
#include "camera/status_texts.h"
#include "platform/dotted_ipv4.h"
#include "platform/ini_file.h"
#include "platform/net_interfaces.h"

namespace kivo {
namespace {

constexpr char kDone[] = "done";

std::string Trim(std::string_view text) {
  const auto first = text.find_first_not_of(" \r\n");
  if (first == std::string_view::npos) return "";
  const auto last = text.find_last_not_of(" \r\n");
  return std::string(text.substr(first, last - first + 1));
}

std::string Join(const std::vector<std::string>& cells) {
  std::string line;
  for (std::size_t i = 0; i < cells.size(); ++i) line += (i ? "\t" : "") + cells[i];
  return line;
}

}  // namespace

RigInterfaces FindRigInterfaces(const std::string& camera_address) {
  RigInterfaces rig;
  std::uint32_t camera = 0;
  if (!ParseDottedIpv4(camera_address, &camera)) {
    rig.trouble = RigInterfaces::Trouble::kNotDotted;
    rig.error = "The camera's address " + camera_address + " is not of the form a.b.c.d";
    return rig;
  }
  std::vector<NetInterface> all;
  if (const int error = ListNetInterfaces(&all); error != 0) {
    rig.trouble = RigInterfaces::Trouble::kCannotList;
    rig.error = "The network interfaces could not be listed (error " + std::to_string(error) + ")";
    return rig;
  }
  rig.found = InterfacesInNetwork(all, camera);
  return rig;
}

RigScan ScanRig(const std::string& camera_address, const std::string& settings_path,
                const std::string& password) {
  RigScan scan;
  const RigInterfaces rig = FindRigInterfaces(camera_address);
  if (rig.trouble != RigInterfaces::Trouble::kNone) {
    scan.error = rig.error;
    return scan;
  }
  std::optional<IniFile> ini;
  if (!settings_path.empty()) ini.emplace(settings_path);
  for (const NetInterface& nif : rig.found)
    scan.cameras.push_back(
        {nif.name, PasswordFromSettings(nif.name, ini ? &*ini : nullptr, password)});
  return scan;
}

std::string ModeLine(const CameraStatus& status) {
  const ModeCaptions captions = StatusModeCaptions(status);
  std::string mode = Trim(captions.mode);
  const std::string more = Trim(captions.detail);
  if (!more.empty()) mode += ", " + more;
  return mode;
}

std::string RigRowText(const std::string& interface_name, const LinkError& error,
                       const CameraSnapshot* status) {
  std::vector<std::string> cells(std::size(kRigColumns));
  cells[0] = interface_name;
  if (!error.ok() || !status) {
    cells[1] = error.text;
    return Join(cells);
  }
  cells[1] = ModelName(status->bacpac.model_code);
  if (!status->camera_on) {
    cells[2] = kRigCameraOff;
    return Join(cells);
  }
  if (const std::optional<CameraStatus>& camera = status->camera) {
    cells[2] = ModeLine(*camera);
    cells[3] = BatteryValue(CameraBattery(*camera, status->bacpac.model_code));
    cells[4] = RecordingTime(*camera);
    cells[5] = std::to_string(camera->photos_available);
    cells[6] = std::to_string(camera->video_minutes_available) + kMinutesSuffix;
  }
  return Join(cells);
}

std::string RigOutcomeLine(std::string_view action, std::span<const RigOutcome> outcomes) {
  // Cameras with the same outcome share one part, in the order they first appear: twenty
  // cameras that all did it make one short line, and every one that did not is still named.
  struct Part {
    std::string names;
    std::string text;
    bool ok;
  };
  std::vector<Part> parts;
  for (const RigOutcome& o : outcomes) {
    const bool ok = o.error.ok();
    const std::string text = ok ? (o.done.empty() ? std::string(kDone) : o.done) : o.error.text;
    auto part = std::find_if(parts.begin(), parts.end(),
                             [&](const Part& p) { return p.ok == ok && p.text == text; });
    if (part == parts.end())
      parts.push_back({o.interface_name, text, ok});
    else
      part->names += ", " + o.interface_name;
  }
  std::string line = std::string(action) + ":";
  for (std::size_t i = 0; i < parts.size(); ++i)
    line += (i ? "; " : " ") + parts[i].names + (parts[i].ok ? " " : ": ") + parts[i].text;
  return line;
}

}  // namespace kivo
