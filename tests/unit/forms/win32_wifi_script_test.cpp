// The Windows Wi-Fi query: the batch file's text for awkward folders, and the file run for real
// by cmd.exe through the shell, hidden, leaving netsh's answer (whatever Wine's netsh says) in
// place and no side file.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <thread>

#include "media_fixture.h"
#include "platform/shell.h"
#include "platform/wifi_query.h"

namespace kivo {
namespace {

struct BatchCase {
  const char* name;
  const char* output;
  const char* expected_target;  // as the batch file names it, without quotes
};

const BatchCase kBatchCases[] = {
    {"ForwardSlashesBecomeBackslashes", "C:/Kivo/getSSID.txt", "C:\\Kivo\\getSSID.txt"},
    {"BlanksStayInsideQuotes", "C:/Program Files/Kivo/getSSID.txt",
     "C:\\Program Files\\Kivo\\getSSID.txt"},
    {"PercentIsDoubled", "C:/100%/getSSID.txt", "C:\\100%%\\getSSID.txt"},
};

class WifiBatchTextTest : public ::testing::TestWithParam<BatchCase> {};

TEST_P(WifiBatchTextTest, AsksNetshIntoASideFileThenMovesIt) {
  const std::string target = GetParam().expected_target;
  EXPECT_EQ(WifiQueryScript(GetParam().output),
            "@echo off\r\n"
            "rem Kivo's Wi-Fi query, written anew for every query.\r\n"
            "netsh wlan show interface >\"" + target + ".part\" 2>&1\r\n"
            "move /y \"" + target + ".part\" \"" + target + "\" >nul\r\n");
}

INSTANTIATE_TEST_SUITE_P(Win32, WifiBatchTextTest, ::testing::ValuesIn(kBatchCases),
                         [](const auto& info) { return std::string(info.param.name); });

class WifiBatchRunTest : public MediaFixture {};

TEST_F(WifiBatchRunTest, RunsHiddenAndLeavesTheAnswerInPlace) {
  const std::string script = dir_ + "GetSSID" + kWifiQueryScriptExtension;
  const std::string output = dir_ + "getSSID.txt";
  std::ofstream(script, std::ios::binary) << WifiQueryScript(output);
  SystemShell shell;
  ASSERT_TRUE(shell.StartScript(script));
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (!std::filesystem::exists(output) && std::chrono::steady_clock::now() < deadline)
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  ASSERT_TRUE(std::filesystem::exists(output));
  EXPECT_FALSE(std::filesystem::exists(output + ".part"));
}

}  // namespace
}  // namespace kivo
