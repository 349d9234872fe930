// The settings file: one table of rows (section, key, type, default) with how each row reads
// into and out of the window. SaveSettings writes the rows in the table's order.
#include <cstdio>
#include <filesystem>
#include <functional>
#include <string>

#include "camera/settings_keys.h"
#include "platform/atomic_file.h"
#include "platform/background_writer.h"
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

struct SettingRow {
  SettingKey setting;        // section, key, type and default
  bool read_at_creation;     // Debug is written, never read
  Binding (*bind)(TForm1&);  // where the value lives in the window
  bool omit_when_empty = false;  // a text row written only once it has a value
};

// The network status window keeps its own rows in section "Status" of the same file and writes
// them when it closes; a save of the main window leaves them as they are.
constexpr SettingRow kSettingRows[] = {
    {kPasswordSetting, true, [](TForm1& f) { return Text(f.camera_password); }},
    {kAddressSetting, true, [](TForm1& f) { return Text(f.camera_address); }},
    {kPlayerSetting, true, [](TForm1& f) { return Text(f.player_path); }},
    {kTopSetting, true, [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::top); }},
    {kLeftSetting, true, [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::left); }},
    {kWidthSetting, true, [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::width); }},
    {kHeightSetting, true, [](TForm1& f) { return BoundsField(f["Form1"], &Bounds::height); }},
    {kDebugSetting, false, [](TForm1& f) { return Bool(f.Debug); }},
    {kHero2Setting, true, [](TForm1& f) { return Bool(f.camera.Hero2); }},
    {kHeroWhiteSetting, true, [](TForm1& f) { return Bool(f.camera.HeroWhite); }},
    {kHeroBlackSetting, true, [](TForm1& f) { return Bool(f.camera.HeroBlack); }},
    {kHeroSilverSetting, true, [](TForm1& f) { return Bool(f.camera.HeroSilver); }},
    {kHeroSilverPlusSetting, true, [](TForm1& f) { return Bool(f.camera.HeroSilverPlus); }},
    {kHeroBlackPlusSetting, true, [](TForm1& f) { return Bool(f.camera.HeroBlackPlus); }},
    {kAutoVanSetting, true, [](TForm1& f) { return Checked(f["AutoVAN"]); }},
    {kShowWiFiSetting, true, [](TForm1& f) { return Checked(f["ShowWiFiConn"]); }},
    {kDownloadFolderSetting, true, [](TForm1& f) { return Text(f.download_folder); }, true},
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

namespace {

// The first save into a program folder without a settings file starts from a copy of the one
// read (|source|), so rows that this save does not write (another window's) are not lost.
std::string PrepareSaveTarget(const std::string& path, const std::string& source) {
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

}  // namespace

std::string TForm1::SettingsPathForSave() const {
  return PrepareSaveTarget(SettingsPath(), SettingsReadPath());
}

void TForm1::SaveSettingsValues(std::vector<SettingsValue> values) {
  if (!settings_writer_) {
    // A failure surfaces as an exception with the file's name, which the event dispatch shows
    // in an error box: the user learns the settings were not saved.
    settings_writer_ = std::make_unique<BackgroundWriter>(env_.loop, [this](const std::string& m) {
      model_.Dispatch([&m] { throw FileWriteError(m); });
    });
  }
  // Where the save goes is settled on the writer's thread, after the saves before it: the copy
  // that a first save starts from may be made by the one before.
  const std::string path = SettingsPath();
  const std::string source_dir = env_.settings_source_dir;
  settings_writer_->Submit([path, source_dir, values = std::move(values)] {
    std::string source = path;
    std::error_code error;
    if (!source_dir.empty() && !std::filesystem::exists(PathFromUtf8(path), error) &&
        std::filesystem::exists(PathFromUtf8(source_dir + kSettingsFileName), error))
      source = source_dir + kSettingsFileName;
    IniFile ini(PrepareSaveTarget(path, source));
    for (const SettingsValue& v : values) ini.WriteString(v.section, v.key, v.value);
    ini.UpdateFile();
  });
}

void TForm1::FinishSaves() {
  if (settings_writer_) settings_writer_->Finish();
}

void TForm1::LoadSettings() {
  IniFile ini(SettingsReadPath());
  for (const SettingRow& row : kSettingRows) {
    if (!row.read_at_creation) continue;
    Binding b = row.bind(*this);
    const SettingKey& k = row.setting;
    switch (k.type) {
      case SettingType::kText:
        *b.text = ini.ReadString(k.section, k.key, k.default_text ? k.default_text : env_.default_player);
        break;
      case SettingType::kInteger:
        b.set(ini.ReadInteger(k.section, k.key, k.default_number));
        break;
      case SettingType::kBoolean:
        b.set(ini.ReadBool(k.section, k.key, k.default_number != 0) ? 1 : 0);
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
  // Only the values are gathered here; reading the file, merging and replacing it happen on the
  // settings writer's thread, so a large Kivo.ini never holds the window.
  std::vector<SettingsValue> values;
  for (const SettingRow& row : kSettingRows) {
    Binding b = row.bind(*this);
    switch (row.setting.type) {
      case SettingType::kText:
        if (row.omit_when_empty && b.text->empty()) break;
        values.push_back({row.setting.section, row.setting.key, *b.text});
        break;
      case SettingType::kInteger:
        values.push_back({row.setting.section, row.setting.key, std::to_string(b.get())});
        break;
      case SettingType::kBoolean:
        values.push_back({row.setting.section, row.setting.key, b.get() != 0 ? "1" : "0"});
        break;
    }
  }
  SaveSettingsValues(std::move(values));
}

}  // namespace kivo
