// Browse and Download against the simulated camera inside tests/e2e/netns_run.sh's namespace:
// every file of every folder downloaded while the link drops every 16 MB, then each one
// compared byte for byte with a fresh copy fetched over a link without faults.
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>

#include "platform/clock.h"
#include "support/scripted_dialogs.h"
#include "platform/poll_event_loop.h"
#include "support/scripted_shell.h"
#include "forms/browse_texts.h"
#include "forms/browse_window.h"
#include "forms/main_window.h"

namespace kivo {
namespace {

namespace fs = std::filesystem;

std::string Env(const char* name) {
  const char* v = std::getenv(name);
  return v ? v : "";
}

int Connect(const std::string& address, int port) {
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_port = htons(static_cast<uint16_t>(port));
  inet_pton(AF_INET, address.c_str(), &addr.sin_addr);
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  timeval tv{10, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
  if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
    close(fd);
    return -1;
  }
  return fd;
}

std::string Control(const std::string& line) {
  const std::string where = Env("KIVO_CAMSIM_CONTROL");
  const size_t colon = where.rfind(':');
  const int fd = Connect(where.substr(0, colon), std::stoi(where.substr(colon + 1)));
  std::string answer;
  if (fd < 0) return answer;
  const std::string out = line + "\n";
  if (write(fd, out.data(), out.size()) == static_cast<ssize_t>(out.size())) {
    char c;
    while (read(fd, &c, 1) == 1 && c != '\n') answer += c;
  }
  close(fd);
  return answer;
}

// Fetches |path| from the camera's media server and compares its body with |file| as it
// arrives; true when they are the same length and the same bytes.
bool SameAsCamera(const std::string& path, const fs::path& file) {
  const int fd = Connect(Env("KIVO_CAMSIM_ADDRESS"), 8080);
  if (fd < 0) return false;
  const std::string request = "GET " + path + " HTTP/1.0\r\n\r\n";
  if (write(fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
    close(fd);
    return false;
  }
  std::ifstream local(file, std::ios::binary);
  std::string head;
  bool in_body = false;
  bool same = true;
  char buffer[65536];
  std::vector<char> mine(sizeof buffer);
  for (;;) {
    ssize_t n = read(fd, buffer, sizeof buffer);
    if (n <= 0) break;
    const char* body = buffer;
    if (!in_body) {
      head.append(buffer, static_cast<size_t>(n));
      const size_t end = head.find("\r\n\r\n");
      if (end == std::string::npos) continue;
      in_body = true;
      const std::string rest = head.substr(end + 4);
      local.read(mine.data(), static_cast<std::streamsize>(rest.size()));
      same = same && local.gcount() == static_cast<std::streamsize>(rest.size()) &&
             std::equal(rest.begin(), rest.end(), mine.begin());
      continue;
    }
    local.read(mine.data(), n);
    same = same && local.gcount() == n && std::equal(body, body + n, mine.begin());
  }
  close(fd);
  char extra;
  return in_body && same && !local.read(&extra, 1);
}

TEST(BrowseE2e, EveryFileArrivesWholeThroughADroppingLink) {
  if (Env("KIVO_E2E_NETNS") != "1") GTEST_SKIP() << "runs only inside tests/e2e/netns_run.sh";
  char pattern[] = "/tmp/kivo-e2e-browse-XXXXXX";
  ASSERT_NE(mkdtemp(pattern), nullptr);
  const std::string dir = std::string(pattern) + "/";
  PollEventLoop loop;
  ScriptedDialogs dialogs;
  ScriptedShell shell;
  TForm1 form(FormEnvironment{loop, SystemClock::Instance(), dialogs, shell, dir, "/usr/bin/vlc"});
  std::vector<std::string> errors;
  form.Model().OnException = [&](const std::string& e) { errors.push_back(e); };
  form.FormCreate();
  form.download_folder = dir + "Kivo";
  TBrowseForm browse(form);
  browse.Fetcher().retry_delay_ms = 200;

  browse.Open();
  ASSERT_TRUE(loop.RunUntil([&] { return browse["RefreshBtn"].Enabled(); }, 20000));
  // 3 photos and 3 videos (each with its .THM and .LRV) beside the card's own 3 files, over
  // two folders.
  const auto& items = browse.Items();
  ASSERT_GE(items.size(), 6u) << browse["BrowseStatus"].Caption();
  std::set<std::string> folders;
  for (const MediaItem& m : items) folders.insert(m.folder);
  EXPECT_GE(folders.size(), 2u);

  browse.DownloadAllBtnClick();
  ASSERT_TRUE(browse.Fetcher().Busy());
  ASSERT_TRUE(loop.RunUntil([&] { return !browse.Fetcher().Busy(); }, 180000));
  loop.RunFor(50);
  const std::string status = browse["BrowseStatus"].Caption();
  EXPECT_NE(status.find(", failed 0 of"), std::string::npos) << status;

  // The link is sound again; every file must equal what the camera holds.
  EXPECT_NE(Control("fault none 8080").find("8080=none"), std::string::npos);
  int files = 0;
  for (const MediaItem& m : items) {
    std::vector<std::string> names = {m.file.name};
    for (const ListingEntry& c : m.companions) names.push_back(c.name);
    for (const std::string& name : names) {
      const fs::path local = fs::path(form.download_folder) / m.folder / name;
      EXPECT_TRUE(fs::exists(local)) << local;
      EXPECT_TRUE(SameAsCamera("/DCIM/" + m.folder + "/" + name, local)) << local;
      ++files;
    }
  }
  EXPECT_GE(files, 6 + 3 * 2);
  for (const auto& e : fs::recursive_directory_iterator(form.download_folder)) {
    EXPECT_NE(e.path().extension(), ".part") << e.path();
  }

  // Everything is here now: nothing more to fetch. The listing's sizes are rounded, so the
  // camera is asked for each exact size first.
  browse.DownloadAllBtnClick();
  ASSERT_TRUE(loop.RunUntil([&] { return !browse.Fetcher().Busy(); }, 60000));
  EXPECT_EQ(browse["BrowseStatus"].Caption(), browse_text::kNothingToDownload);
  EXPECT_TRUE(errors.empty());
  fs::remove_all(dir);
}

}  // namespace
}  // namespace kivo
