// The settings file Kivo.ini: its name and every row's section, key, type and default. The main
// window reads and writes these rows (forms/main_window_settings.cpp binds each to a member);
// kivo-cli only reads the camera's address and password from them. Where the file lives is
// decided in platform/program_dir (ProgramDir for the window, SettingsFileToRead for readers).
#pragma once

namespace kivo {

inline constexpr char kSettingsFileName[] = "Kivo.ini";

enum class SettingType { kText, kInteger, kBoolean };

struct SettingKey {
  const char* section;
  const char* key;
  SettingType type;
  const char* default_text;  // kText; nullptr: the platform decides (the player's path)
  int default_number;        // kInteger and kBoolean (0/1)
};

// The camera the program talks to.
inline constexpr SettingKey kPasswordSetting{"BacPac", "Password", SettingType::kText, "cameralnk", 0};
inline constexpr SettingKey kAddressSetting{"BacPac", "IPAddress", SettingType::kText, "10.5.5.9", 0};
inline constexpr SettingKey kPlayerSetting{"BacPac", "VLC", SettingType::kText, nullptr, 0};
// The main window's place and size.
inline constexpr SettingKey kTopSetting{"Kivo", "Top", SettingType::kInteger, nullptr, 110};
inline constexpr SettingKey kLeftSetting{"Kivo", "Left", SettingType::kInteger, nullptr, 564};
inline constexpr SettingKey kWidthSetting{"Kivo", "Width", SettingType::kInteger, nullptr, 434};
inline constexpr SettingKey kHeightSetting{"Kivo", "Height", SettingType::kInteger, nullptr, 245};
inline constexpr SettingKey kDebugSetting{"Kivo", "Debug", SettingType::kBoolean, nullptr, 0};
// The camera models the program has met.
inline constexpr SettingKey kHero2Setting{"Camera", "Hero2", SettingType::kBoolean, nullptr, 0};
inline constexpr SettingKey kHeroWhiteSetting{"Camera", "HeroWhite", SettingType::kBoolean, nullptr, 0};
inline constexpr SettingKey kHeroBlackSetting{"Camera", "HeroBlack", SettingType::kBoolean, nullptr, 0};
inline constexpr SettingKey kHeroSilverSetting{"Camera", "HeroSilver", SettingType::kBoolean, nullptr, 0};
inline constexpr SettingKey kHeroSilverPlusSetting{"Camera", "HeroSilverPlus", SettingType::kBoolean,
                                                   nullptr, 0};
inline constexpr SettingKey kHeroBlackPlusSetting{"Camera", "HeroBlackPlus", SettingType::kBoolean,
                                                  nullptr, 0};
// Menu items kept checked.
inline constexpr SettingKey kAutoVanSetting{"Kivo", "AutoVAN", SettingType::kBoolean, nullptr, 0};
inline constexpr SettingKey kShowWiFiSetting{"Kivo", "ShowWiFi", SettingType::kBoolean, nullptr, 0};
// Browse and Download's folder; empty means the user's pictures folder + "/Kivo".
inline constexpr SettingKey kDownloadFolderSetting{"Kivo", "DownloadFolder", SettingType::kText, "",
                                                   0};

}  // namespace kivo
