// The Linux Wi-Fi query script run for real by /bin/sh, with a stand-in nmcli that answers as
// NetworkManager does in each situation; what the script writes goes through the shared reader.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "media/ssid_reader.h"
#include "platform/wifi_query.h"

namespace kivo {
namespace {

struct ScriptCase {
  const char* test_name;
  const char* nmcli;  // body of the stand-in's shell script; nullptr: no nmcli installed
  const char* expected;
  const char* caption;  // the reader's caption from "Kivo"
};

class WifiScript : public ::testing::TestWithParam<ScriptCase> {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kivo-wifi-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = std::string(pattern) + "/it's here/";  // a quote and a blank in the folder's name
    std::filesystem::create_directories(dir_ + "bin");
    // Only the tools the script may use, so that an nmcli of this machine is never found.
    for (const char* tool : {"awk", "grep", "mv", "printf"}) {
      for (const char* where : {"/usr/bin/", "/bin/"}) {
        std::string path = std::string(where) + tool;
        if (access(path.c_str(), X_OK) == 0) {
          std::filesystem::create_symlink(path, dir_ + "bin/" + tool);
          break;
        }
      }
    }
  }
  void TearDown() override {
    std::filesystem::remove_all(std::filesystem::path(dir_).parent_path().parent_path());
  }
  std::string dir_;
};

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

std::string Quote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

TEST_P(WifiScript, WritesNameValueLines) {
  const ScriptCase& c = GetParam();
  if (c.nmcli) {
    std::ofstream(dir_ + "bin/nmcli") << "#!/bin/sh\n" << c.nmcli;
    std::filesystem::permissions(dir_ + "bin/nmcli", std::filesystem::perms::owner_all);
  }
  const std::string output = dir_ + "getSSID.txt";
  std::ofstream(dir_ + "GetSSID.sh") << WifiQueryScript(output);
  const std::string command =
      "PATH=" + Quote(dir_ + "bin") + " /bin/sh " + Quote(dir_ + "GetSSID.sh");
  ASSERT_EQ(std::system(command.c_str()), 0);
  EXPECT_EQ(ReadAll(output), c.expected);
  EXPECT_FALSE(std::filesystem::exists(output + ".part"));
  EXPECT_EQ(ReadSsidOutput(ReadAll(output), "Kivo").caption, c.caption);
}

constexpr const char* kUnavailable = "    State                  : unavailable\n";

INSTANTIATE_TEST_SUITE_P(
    Rows, WifiScript,
    ::testing::Values(
        ScriptCase{"NoNetworkManager", nullptr, kUnavailable, "Kivo"},
        ScriptCase{"ServiceNotRunning",
                   "echo 'Error: NetworkManager is not running.'; exit 8\n", kUnavailable, "Kivo"},
        ScriptCase{"NoWifiDevice", "echo 'ethernet:connected'; echo 'loopback:unmanaged'\n",
                   kUnavailable, "Kivo"},
        ScriptCase{"Connected",
                   "case \"$*\" in\n"
                   "  *TYPE,STATE*) echo 'ethernet:connected'; echo 'wifi:connected' ;;\n"
                   "  *ACTIVE,SIGNAL,SSID*) echo 'no:70:Neighbour'; echo 'yes:96:My Cam: 2' ;;\n"
                   "esac\n",
                   "    State                  : connected\n"
                   "    SSID                   : My Cam: 2\n"
                   "    Signal                 : 96%\n",
                   "Kivo - connected to My Cam: 2 - 96%"},
        ScriptCase{"OlderNmcliWithoutRescanOption",
                   "case \"$*\" in\n"
                   "  *--rescan*) echo 'Error: invalid extra argument' >&2; exit 2 ;;\n"
                   "  *TYPE,STATE*) echo 'wifi:connected' ;;\n"
                   "  *ACTIVE,SIGNAL,SSID*) echo 'yes:41:HERO3' ;;\n"
                   "esac\n",
                   "    State                  : connected\n"
                   "    SSID                   : HERO3\n"
                   "    Signal                 : 41%\n",
                   "Kivo - connected to HERO3 - 41%"},
        ScriptCase{"Disconnected",
                   "case \"$*\" in\n"
                   "  *TYPE,STATE*) echo 'wifi:disconnected' ;;\n"
                   "  *ACTIVE,SIGNAL,SSID*) echo 'no:70:Neighbour' ;;\n"
                   "esac\n",
                   "    State                  : disconnected\n", "Kivo"},
        // A real failure keeps its own words and no State line, so the window shows them.
        ScriptCase{"RealErrorShown",
                   "case \"$*\" in\n"
                   "  *RUNNING*) echo running ;;\n"
                   "  *) echo 'Error: access denied.'; exit 1 ;;\n"
                   "esac\n",
                   "Error: access denied.\n", "Kivo"}),
    [](const auto& info) { return std::string(info.param.test_name); });

}  // namespace
}  // namespace kivo
