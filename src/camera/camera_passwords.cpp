#include "camera/camera_passwords.h"

#include <algorithm>
#include <vector>

#include "platform/ini_file.h"
#include "platform/net_interfaces.h"

namespace kivo {
namespace {

char Lower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool SameKey(std::string_view a, std::string_view b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

const CameraPasswordRow* FindRow(std::string_view key, std::span<const CameraPasswordRow> rows) {
  if (key.empty()) return nullptr;
  for (const CameraPasswordRow& row : rows)
    if (SameKey(row.key, key)) return &row;
  return nullptr;
}

}  // namespace

std::optional<std::string> CameraPassword(std::string_view interface_name, std::string_view ssid,
                                          std::span<const CameraPasswordRow> rows) {
  // The interface is the more exact key: two adapters may see networks of the same name.
  if (const CameraPasswordRow* row = FindRow(interface_name, rows)) return row->password;
  if (const CameraPasswordRow* row = FindRow(ssid, rows)) return row->password;
  return std::nullopt;
}

std::string PasswordFromSettings(const std::string& interface_name, const IniFile* ini,
                                 const std::string& password) {
  if (interface_name.empty() || !ini || !ini->SectionExists(kCamerasSection)) return password;
  std::vector<CameraPasswordRow> rows;
  auto add_row = [&](const std::string& key) {
    if (!key.empty() && ini->ValueExists(kCamerasSection, key))
      rows.push_back({key, ini->ReadString(kCamerasSection, key, "")});
  };
  add_row(interface_name);
  std::string ssid;
  if (rows.empty()) {
    ssid = WifiNetworkName(interface_name);
    add_row(ssid);
  }
  return CameraPassword(interface_name, ssid, rows).value_or(password);
}

}  // namespace kivo
