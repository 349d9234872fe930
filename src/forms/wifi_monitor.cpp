// The Wi-Fi connection monitor: a query script written to the work folder and started hidden,
// read one second later, then a 15 s rest; the timer's interval is the phase (1000 ms reading,
// 15000 ms resting). Nothing waits for the script: output that comes later than the reading
// tick is deleted by the next query.
#include <filesystem>
#include <stdexcept>

#include "media/ssid_reader.h"
#include "platform/atomic_file.h"
#include "platform/wifi_query.h"
#include "forms/main_window.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr const char* kScriptStem = "GetSSID";
constexpr const char* kOutputFileName = "getSSID.txt";
constexpr const char* kBusyText = "GetSSID called when busy";
constexpr const char* kQueryErrorText = "GetSSID error: ";
constexpr const char* kReadErrorText = "GetSSIDTimer error: ";
constexpr std::uint16_t kReadingMs = 1000;
constexpr std::uint16_t kRestingMs = 15000;
constexpr std::uint16_t kLongestReadingMs = 2000;  // above: the interval marks a rest

std::string ScriptPath(const std::string& dir) {
  return dir + kScriptStem + kWifiQueryScriptExtension;
}

}  // namespace

void TForm1::GetSSID() {
  if (GetSSIDTimer->Enabled()) {
    LogError(kBusyText);
    return;
  }
  network_name.clear();
  const std::string output = env_.WorkDir() + kOutputFileName;
  const std::string script = ScriptPath(env_.WorkDir());
  const std::string text = WifiQueryScript(output);
  try {
    std::filesystem::remove(PathFromUtf8(output));
    std::filesystem::remove(PathFromUtf8(script));
    WriteFileAtomically(script, text);
    // Starting it reports nothing useful: a script that could not run leaves no output, and
    // the reading tick copes with that.
    env_.shell.StartScript(script);
    GetSSIDTimer->SetInterval(kReadingMs);
    GetSSIDTimer->SetEnabled(true);
  } catch (const std::exception& e) {
    if (Debug) LogError(kQueryErrorText + std::string(e.what()));
  }
}

void TForm1::GetSSIDTimerTimer() {
  if (GetSSIDTimer->Interval() > kLongestReadingMs) {
    GetSSIDTimer->SetEnabled(false);
    GetSSID();
    return;
  }
  try {
    network_name.clear();
    const std::string output = env_.WorkDir() + kOutputFileName;
    if (std::filesystem::exists(PathFromUtf8(output))) {
      GetSSIDTimer->SetEnabled(false);
      std::string text;
      if (!ReadWholeFile(output, &text)) throw std::runtime_error("cannot read " + output);
      Component& form = model_["Form1"];
      SsidReading reading = ReadSsidOutput(text, form.Caption());
      if (!reading.has_state) ShowMessage(text);
      if (reading.has_ssid) network_name = reading.network_name;
      form.SetCaption(reading.caption);
      std::filesystem::remove(PathFromUtf8(output));
      std::filesystem::remove(PathFromUtf8(ScriptPath(env_.WorkDir())));
    }
  } catch (const std::exception& e) {
    if (Debug) LogError(kReadErrorText + std::string(e.what()));
  }
  GetSSIDTimer->SetInterval(kRestingMs);
  GetSSIDTimer->SetEnabled(true);
}

void TForm1::ShowWiFiConnClick() {
  Component& item = model_["ShowWiFiConn"];
  item.SetChecked(!item.Checked());
  if (item.Checked()) {
    GetSSID();
  } else {
    model_["Form1"].SetCaption(kPlainCaption);
    GetSSIDTimer->SetEnabled(false);
  }
}

}  // namespace kivo
