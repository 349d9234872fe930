// The Windows Wi-Fi query: the batch file holds no path (cmd.exe would read one in the OEM code
// page) and finds the program and the answer file through its environment; run for real by
// cmd.exe through the shell, hidden, from a folder whose name is not ASCII, it runs the program
// (this test program, answering as kivo.exe does) and leaves the answer with its State line in
// place and no side file. The answer's text is checked on every platform
// (tests/unit/platform); kivo.exe's own --wifi-query runs in tests/win32.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "media_fixture.h"
#include "platform/file_path.h"
#include "platform/shell.h"
#include "platform/wifi_query.h"
#include "platform/win32/wide_text.h"
#include "platform/win32/wifi_query_win32.h"

namespace kivo {
namespace {

// "--wifi-query FILE" on the command line: this process was started by the query script.
[[maybe_unused]] const bool kAnsweredLikeKivo = [] {
  int count = 0;
  LPWSTR* args = CommandLineToArgvW(GetCommandLineW(), &count);
  if (args != nullptr && count == 3 && std::wstring(args[1]) == L"--wifi-query")
    ExitProcess(WriteWifiAnswer(win32::Utf8(args[2])) ? 0 : 1);
  LocalFree(args);
  return false;
}();

std::string Variable(const wchar_t* name) {
  std::wstring value(32768, L'\0');
  value.resize(GetEnvironmentVariableW(name, value.data(), static_cast<DWORD>(value.size())));
  return win32::Utf8(value);
}

TEST(WifiBatchTextTest, NamesNoPathAndTellsThePathsThroughTheEnvironment) {
  const std::string output = "C:/Cámara Kivo/100%/getSSID.txt";
  const std::string script = WifiQueryScript(output);
  EXPECT_EQ(script.find("Cámara"), std::string::npos);
  EXPECT_EQ(script.find("getSSID"), std::string::npos);
  EXPECT_EQ(Variable(L"KIVO_WIFI_ANSWER"), "C:\\Cámara Kivo\\100%\\getSSID.txt");
  EXPECT_NE(Variable(L"KIVO_PROGRAM").find(".exe"), std::string::npos);
  EXPECT_NE(script.find("\"%KIVO_PROGRAM%\" --wifi-query \"%KIVO_WIFI_ANSWER%.part\"\r\n"),
            std::string::npos);
}

class WifiBatchRunTest : public MediaFixture {};

TEST_F(WifiBatchRunTest, RunsHiddenFromAFolderNamedInAnyLanguageAndLeavesTheAnswerInPlace) {
  const std::string dir = dir_ + "Cámara Kivo ĳ/";
  std::filesystem::create_directories(PathFromUtf8(dir));
  const std::string script = dir + "GetSSID" + kWifiQueryScriptExtension;
  const std::string output = dir + "getSSID.txt";
  std::ofstream(PathFromUtf8(script), std::ios::binary) << WifiQueryScript(output);
  // This test program stands in for kivo.exe: started with --wifi-query it answers as kivo.exe
  // does (see AnswerLikeKivo below) and ends.
  SystemShell shell;
  ASSERT_TRUE(shell.StartScript(script));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!std::filesystem::exists(PathFromUtf8(output)) &&
         std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(std::filesystem::exists(PathFromUtf8(output)));
  EXPECT_FALSE(std::filesystem::exists(PathFromUtf8(output + ".part")));
  std::ifstream in(PathFromUtf8(output), std::ios::binary);
  std::string line;
  std::getline(in, line);
  EXPECT_NE(line.find(" State "), std::string::npos) << line;
}

}  // namespace
}  // namespace kivo
