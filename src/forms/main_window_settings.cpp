// The settings file: one table of rows (section, key, type, default) with how each row reads
// into and out of the window. SaveSettings writes the rows in the table's order.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "forms/main_window.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

// What the status bar says, once, when the settings file cannot play its part; the file's path
// comes first.
constexpr char kSettingsUnusable[] = " cannot be read as settings: the defaults are used";
constexpr char kSettingsReadOnly[] = " is read-only: changed settings are not kept";

// Where each row's value lives in the window. Text rows use |text|, the others |number|
// (booleans as 0/1).
struct Binding {
  std::string* text = nullptr;
  std::function<int()> get;
  std::function<void(int)> set;
};

Binding Text(std::string& text) {
  Binding b;
  b.text = &text;
  return b;
}

Binding Bool(bool& flag) {
  return {nullptr, [&flag] { return flag ? 1 : 0; }, [&flag](int v) { flag = v != 0; }};
}

Binding Checked(Component& item) {
  return {nullptr, [&item] { return item.Checked() ? 1 : 0; },
          [&item](int v) { item.SetChecked(v != 0); }};
}

Binding BoundsField(Component& form, int Bounds::*field) {
  return {nullptr, [&form, field] { return form.GetBounds().*field; },
          [&form, field](int v) {
            Bounds b = form.GetBounds();
            b.*field = v;
            form.SetBounds(b);
          }};
}

enum class Type { kText, kInteger, kBoolean };

struct SettingRow {
  const char* section;
  const char* key;
  Type type;
  const char* default_text;  // for kText
  int default_number;        // for kInteger and kBoolean
  bool read_at_creation;     // Debug is written, never read
  Binding (*bind)(TForm1&);  // where the value lives in the window
  bool omit_when_empty = false;  // a text row written only once it has a value
};

// The network status window keeps its own rows in section "Status" of the same file and writes
// them when it closes; a save of the main window leaves them as they are.
constexpr SettingRow kSettingRows[] = {
    {"BacPac", "Password", Type::kText, "cameralnk", 0, true,
     [](TForm1& f) { return Text(f.camera_password); }},
    {"BacPac", "IPAddress", Type::kText, "10.5.5.9", 0, true,
     [](TForm1& f) { return Text(f.camera_address); }},
    {"BacPac", "VLC", Type::kText, nullptr, 0, true,
     [](TForm1& f) { return Text(f.player_path); }},  // default: the platform's player
    {"Kivo", "Top", Type::kInteger, nullptr, 110, true,
     [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::top); }},
    {"Kivo", "Left", Type::kInteger, nullptr, 564, true,
     [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::left); }},
    {"Kivo", "Width", Type::kInteger, nullptr, 434, true,
     [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::width); }},
    {"Kivo", "Height", Type::kInteger, nullptr, 245, true,
     [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::height); }},
    {"Kivo", "Debug", Type::kBoolean, nullptr, 0, false,
     [](TForm1& f) { return Bool(f.Debug); }},
    {"Camera", "Hero2", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Bool(f.camera.Hero2); }},
    {"Camera", "HeroWhite", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Bool(f.camera.HeroWhite); }},
    {"Camera", "HeroBlack", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Bool(f.camera.HeroBlack); }},
    {"Camera", "HeroSilver", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Bool(f.camera.HeroSilver); }},
    {"Camera", "HeroSilverPlus", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Bool(f.camera.HeroSilverPlus); }},
    {"Camera", "HeroBlackPlus", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Bool(f.camera.HeroBlackPlus); }},
    {"Kivo", "AutoVAN", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Checked(f["AutoVAN"]); }},
    {"Kivo", "ShowWiFi", Type::kBoolean, nullptr, 0, true,
     [](TForm1& f) { return Checked(f["ShowWiFiConn"]); }},
    // Browse and Download's folder; empty means the user's pictures folder + "/Kivo".
    {"Kivo", "DownloadFolder", Type::kText, "", 0, true,
     [](TForm1& f) { return Text(f.download_folder); }, true},
};

}  // namespace

std::string TForm1::SettingsReadPath() const {
  // Saves go to program_dir; until one has, the copy beside the program is the one to read.
  const std::string path = SettingsPath();
  const std::string source = env_.settings_source_dir + kSettingsFileName;
  std::error_code error;
  if (!env_.settings_source_dir.empty() && !std::filesystem::exists(PathFromUtf8(path), error) &&
      std::filesystem::exists(PathFromUtf8(source), error))
    return source;
  return path;
}

std::string TForm1::SettingsPathForSave() const {
  const std::string path = SettingsPath();
  const std::string source = SettingsReadPath();
  std::string text;
  if (source != path && ReadWholeFile(source, &text)) {
    // Without the copy the save would leave a file with only its own rows, which from then on
    // hides the one beside the program. A copy that fails leaves just that.
    try {
      WriteFileAtomically(path, text);
    } catch (const FileWriteError&) {
    }
  }
  return path;
}

void TForm1::LoadSettings() {
  IniFile ini(SettingsReadPath());
  for (const SettingRow& row : kSettingRows) {
    if (!row.read_at_creation) continue;
    Binding b = row.bind(*this);
    switch (row.type) {
      case Type::kText:
        *b.text = ini.ReadString(row.section, row.key,
                                 row.default_text ? row.default_text : env_.default_player);
        break;
      case Type::kInteger:
        b.set(ini.ReadInteger(row.section, row.key, row.default_number));
        break;
      case Type::kBoolean:
        b.set(ini.ReadBool(row.section, row.key, row.default_number != 0) ? 1 : 0);
        break;
    }
  }
  // Defaults in place of the user's settings must not pass unnoticed.
  if (ini.Unusable()) {
    const std::string text = ini.FileName() + kSettingsUnusable;
    SetStatusText(text);
    std::fprintf(stderr, "kivo: %s\n", text.c_str());
  }
}

void TForm1::SayIfSettingsReadOnly() {
  // The save leaves such a file alone (and says so on standard error); the window says it at the
  // first save, when a changed address or password is about to be lost.
  if (settings_read_only_said_) return;
  if (!IniFile::ReadOnly(SettingsPath())) return;
  settings_read_only_said_ = true;
  SetStatusText(SettingsPath() + kSettingsReadOnly);
}

void TForm1::SaveSettings() {
  SayIfSettingsReadOnly();
  IniFile ini(SettingsPathForSave());
  for (const SettingRow& row : kSettingRows) {
    Binding b = row.bind(*this);
    switch (row.type) {
      case Type::kText:
        if (row.omit_when_empty && b.text->empty()) break;
        ini.WriteString(row.section, row.key, *b.text);
        break;
      case Type::kInteger:
        ini.WriteInteger(row.section, row.key, b.get());
        break;
      case Type::kBoolean:
        ini.WriteBool(row.section, row.key, b.get() != 0);
        break;
    }
  }
  // A failure surfaces as an exception with the file's name, which the event dispatch shows in
  // an error box: the user learns the settings were not saved.
  ini.UpdateFile();
}

}  // namespace kivo
