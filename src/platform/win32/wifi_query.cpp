// On Windows the query asks the WLAN service (wlanapi.dll) rather than netsh: netsh's labels
// are translated on a non-English Windows (no " State " line for the reader to find), it fails
// outright on a PC without Wi-Fi, and its output comes in the console's OEM code page. The
// script runs kivo.exe itself with --wifi-query, which writes the answer in netsh's English
// "Name : value" form; the answer goes to a side file that is then moved into place, so the
// window never reads half of it.
//
// cmd.exe reads a batch file in the OEM code page, so no path is written into the script: it
// finds kivo.exe and its answer file through variables of the environment it inherits, which
// cmd.exe keeps as wide text.
#include "platform/win32/wifi_query_win32.h"

#include <windows.h>
#include <objbase.h>
#include <wlanapi.h>

#include <algorithm>
#include <cctype>

#include "platform/atomic_file.h"
#include "platform/wifi_query.h"
#include "platform/wifi_report.h"
#include "platform/win32/wide_text.h"

namespace kivo {
namespace {

constexpr wchar_t kProgramVariable[] = L"KIVO_PROGRAM";
constexpr wchar_t kAnswerVariable[] = L"KIVO_WIFI_ANSWER";

std::wstring OwnPath() {
  std::wstring path(32768, L'\0');
  const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
  path.resize(n);
  return path;
}

std::wstring Backslashes(std::wstring path) {
  for (wchar_t& c : path) {
    if (c == L'/') c = L'\\';
  }
  return path;
}

const char* StateName(WLAN_INTERFACE_STATE state) {
  switch (state) {
    case wlan_interface_state_connected: return "connected";
    case wlan_interface_state_ad_hoc_network_formed: return "ad hoc network formed";
    case wlan_interface_state_disconnecting: return "disconnecting";
    case wlan_interface_state_disconnected: return "disconnected";
    case wlan_interface_state_associating: return "associating";
    case wlan_interface_state_discovering: return "discovering";
    case wlan_interface_state_authenticating: return "authenticating";
    default: return "not ready";
  }
}

// The WLAN functions, loaded at run time: wlanapi.dll is missing where the WLAN service is
// not installed (Windows Server without the feature).
struct Wlan {
  decltype(&WlanOpenHandle) open = nullptr;
  decltype(&WlanCloseHandle) close = nullptr;
  decltype(&WlanEnumInterfaces) enumerate = nullptr;
  decltype(&WlanQueryInterface) query = nullptr;
  decltype(&WlanFreeMemory) free = nullptr;

  bool Load() {
    HMODULE dll = LoadLibraryW(L"wlanapi.dll");
    if (dll == nullptr) return false;
    auto get = [dll](auto& fn, const char* name) {
      fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(
          reinterpret_cast<void*>(GetProcAddress(dll, name)));
      return fn != nullptr;
    };
    return get(open, "WlanOpenHandle") && get(close, "WlanCloseHandle") &&
           get(enumerate, "WlanEnumInterfaces") && get(query, "WlanQueryInterface") &&
           get(free, "WlanFreeMemory");
  }
};

// The network a connected interface is joined to, and its signal quality in percent.
std::string CurrentSsid(const Wlan& wlan, HANDLE client, const WLAN_INTERFACE_INFO& info,
                        int* signal_percent) {
  std::string ssid;
  DWORD size = 0;
  void* data = nullptr;
  if (wlan.query(client, &info.InterfaceGuid, wlan_intf_opcode_current_connection, nullptr,
                 &size, &data, nullptr) != ERROR_SUCCESS ||
      data == nullptr)
    return ssid;
  const auto& association = static_cast<WLAN_CONNECTION_ATTRIBUTES*>(data)->wlanAssociationAttributes;
  ssid.assign(reinterpret_cast<const char*>(association.dot11Ssid.ucSSID),
              std::min<ULONG>(association.dot11Ssid.uSSIDLength, sizeof association.dot11Ssid.ucSSID));
  *signal_percent = static_cast<int>(association.wlanSignalQuality);
  wlan.free(data);
  return ssid;
}

std::vector<WifiInterfaceReport> AskWlanService() {
  std::vector<WifiInterfaceReport> reports;
  Wlan wlan;
  if (!wlan.Load()) return reports;
  DWORD version = 0;
  HANDLE client = nullptr;
  if (wlan.open(2, nullptr, &version, &client) != ERROR_SUCCESS) return reports;
  WLAN_INTERFACE_INFO_LIST* list = nullptr;
  if (wlan.enumerate(client, nullptr, &list) == ERROR_SUCCESS && list != nullptr) {
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
      const WLAN_INTERFACE_INFO& info = list->InterfaceInfo[i];
      WifiInterfaceReport report;
      report.name = win32::Utf8(info.strInterfaceDescription);
      report.state = StateName(info.isState);
      if (info.isState == wlan_interface_state_connected)
        report.ssid = CurrentSsid(wlan, client, info, &report.signal_percent);
      reports.push_back(std::move(report));
    }
    wlan.free(list);
  }
  wlan.close(client, nullptr);
  return reports;
}

// "{6B29FC40-CA47-1067-B31D-00DD010662DA}", as the IP helper names an adapter.
std::string GuidText(const GUID& guid) {
  wchar_t text[64] = {};
  if (StringFromGUID2(guid, text, 64) == 0) return {};
  return win32::Utf8(text);
}

bool SameTextIgnoringCase(const std::string& a, const std::string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) ==
                  std::toupper(static_cast<unsigned char>(y));
         });
}

}  // namespace

std::string ConnectedSsid(const std::string& adapter_guid) {
  std::string ssid;
  Wlan wlan;
  if (adapter_guid.empty() || !wlan.Load()) return ssid;
  DWORD version = 0;
  HANDLE client = nullptr;
  if (wlan.open(2, nullptr, &version, &client) != ERROR_SUCCESS) return ssid;
  WLAN_INTERFACE_INFO_LIST* list = nullptr;
  if (wlan.enumerate(client, nullptr, &list) == ERROR_SUCCESS && list != nullptr) {
    for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
      const WLAN_INTERFACE_INFO& info = list->InterfaceInfo[i];
      int signal = 0;
      if (info.isState == wlan_interface_state_connected &&
          SameTextIgnoringCase(GuidText(info.InterfaceGuid), adapter_guid))
        ssid = CurrentSsid(wlan, client, info, &signal);
    }
    wlan.free(list);
  }
  wlan.close(client, nullptr);
  return ssid;
}

const char* const kWifiQueryScriptExtension = ".bat";

std::string WifiQueryScript(const std::string& output_path) {
  SetEnvironmentVariableW(kProgramVariable, OwnPath().c_str());
  SetEnvironmentVariableW(kAnswerVariable, Backslashes(win32::Wide(output_path)).c_str());
  return "@echo off\r\n"
         "rem Kivo's Wi-Fi query, written anew for every query.\r\n"
         "\"%KIVO_PROGRAM%\" --wifi-query \"%KIVO_WIFI_ANSWER%.part\"\r\n"
         "move /y \"%KIVO_WIFI_ANSWER%.part\" \"%KIVO_WIFI_ANSWER%\" >nul\r\n";
}

bool WriteWifiAnswer(const std::string& path) {
  try {
    WriteFileAtomically(path, WifiReportText(AskWlanService()));
    return true;
  } catch (const FileWriteError&) {
    return false;
  }
}

}  // namespace kivo
