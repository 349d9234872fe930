// Loopback benchmark of THttpCli beside curl, against the same in-process server:
//  - one GET of a 256 MiB body (the body handler discards it): throughput;
//  - 2,000 sequential small GETs as the status poll does them (connect, request, first body
//    chunk, abort): per-request median and p99;
//  - the bare socket reading the same body in 8 KiB and in 64 KiB pieces, beside the client
//    that reads the body into a 64 KiB area (header lines keep their 8 KiB limit).
// Prints figures and ratios only; nothing here is a pass/fail test.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "bench_server.h"
#include "net/http_cli.h"
#include "net/wsocket.h"
#include "platform/poll_event_loop.h"

namespace kivo::bench {
namespace {

using Clock = std::chrono::steady_clock;
constexpr std::size_t kBigSize = 256u << 20;
constexpr int kSmallRequests = 2000;
constexpr int kRepeats = 5;

double Seconds(Clock::duration d) { return std::chrono::duration<double>(d).count(); }
double MiBps(double seconds) { return kBigSize / seconds / (1 << 20); }

struct Stats {
  double median = 0;
  double p99 = 0;
};

Stats Summarise(std::vector<double> v) {
  if (v.empty()) return {};
  std::sort(v.begin(), v.end());
  std::size_t p99 = static_cast<std::size_t>(std::ceil(0.99 * v.size())) - 1;
  return {v[v.size() / 2], v[std::min(p99, v.size() - 1)]};
}

double BigGetWithClient(PollEventLoop& loop, const std::string& url) {
  THttpCli cli(loop);
  std::size_t got = 0;
  bool done = false;
  cli.OnDocData = [&](THttpCli&, const char*, int len) { got += static_cast<std::size_t>(len); };
  cli.OnRequestDone = [&](THttpCli&, THttpRequest, std::uint16_t) { done = true; };
  cli.URL = url;
  auto start = Clock::now();
  cli.GetASync();
  loop.RunUntil([&] { return done; }, 120000);
  double s = Seconds(Clock::now() - start);
  if (got != kBigSize) std::printf("  !! THttpCli received %zu bytes\n", got);
  return s;
}

double BigGetWithSocket(PollEventLoop& loop, const std::string& port, int read_size) {
  TWSocket socket(loop);
  std::vector<char> buffer(read_size);
  std::size_t got = 0;
  socket.OnSessionConnected = [](TWSocket& s, int) { s.SendStr("GET /big HTTP/1.0\r\n\r\n"); };
  socket.OnDataAvailable = [&](TWSocket& s, int) {
    int n = s.Receive(buffer.data(), read_size);
    if (n > 0) got += static_cast<std::size_t>(n);
  };
  socket.SetAddr("127.0.0.1");
  socket.Port = port;
  auto start = Clock::now();
  socket.Connect();
  loop.RunUntil([&] { return socket.State() == wsClosed; }, 120000);
  double s = Seconds(Clock::now() - start);
  if (got < kBigSize) std::printf("  !! socket received %zu bytes\n", got);
  return s;
}

std::vector<double> SmallGetsWithClient(PollEventLoop& loop, const std::string& url) {
  THttpCli cli(loop);
  cli.NoCache = true;  // as the main window's clients are set up
  std::vector<double> ms;
  bool done = false;
  cli.OnDocData = [](THttpCli& c, const char*, int) { c.Abort(); };
  cli.OnRequestDone = [&](THttpCli&, THttpRequest, std::uint16_t) { done = true; };
  cli.URL = url;
  for (int i = 0; i < kSmallRequests; ++i) {
    done = false;
    auto start = Clock::now();
    cli.GetASync();
    if (!loop.RunUntil([&] { return done; }, 10000)) break;
    ms.push_back(Seconds(Clock::now() - start) * 1000);
  }
  return ms;
}

bool HaveCurl() { return std::system("curl --version >/dev/null 2>&1") == 0; }

// Runs curl and returns one number per line of its -w output.
std::vector<double> CurlTimes(const std::string& args) {
  std::vector<double> out;
  std::string command = "curl -s " + args;
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return out;
  char line[256];
  while (std::fgets(line, sizeof line, pipe) != nullptr) out.push_back(std::atof(line));
  pclose(pipe);
  return out;
}

double Best(const std::vector<double>& v) { return v.empty() ? 0 : *std::min_element(v.begin(), v.end()); }
double Median(const std::vector<double>& v) { return Summarise(v).median; }

void PrintBig(const char* label, const std::vector<double>& s) {
  std::printf("  %-28s best %6.3f s %6.0f MiB/s   median %6.3f s %6.0f MiB/s\n", label, Best(s),
              MiBps(Best(s)), Median(s), MiBps(Median(s)));
}

}  // namespace

int Main() {
  BenchServer server(kBigSize);
  PollEventLoop loop;
  const std::string big = server.Url("/big");
  const std::string small = server.Url("/camera/se?t=bench");
  const std::string port = big.substr(17, big.find('/', 17) - 17);
  const bool curl = HaveCurl();
  std::printf("Kivo HTTP benchmark: loopback, server in the same process, %d runs of each, interleaved\n"
              "(curl: its own time_total, so its process start-up is not counted)\n\n",
              kRepeats);

  std::vector<double> client, sock8, sock64, curl_big;
  for (int i = 0; i < kRepeats; ++i) {
    client.push_back(BigGetWithClient(loop, big));
    sock8.push_back(BigGetWithSocket(loop, port, 8192));
    sock64.push_back(BigGetWithSocket(loop, port, 65536));
    if (curl) {
      auto t = CurlTimes("-o /dev/null -w '%{time_total}\\n' '" + big + "'");
      if (!t.empty()) curl_big.push_back(t.front());
    }
  }
  std::printf("GET of a 256 MiB body (handler discards it)\n");
  PrintBig("THttpCli (64 KiB body area)", client);
  PrintBig("TWSocket, 8 KiB reads", sock8);
  PrintBig("TWSocket, 64 KiB reads", sock64);
  if (!curl_big.empty()) {
    PrintBig("curl -s -o /dev/null", curl_big);
    std::printf("  ratio THttpCli / curl: best %.2fx, median %.2fx throughput (goal >= 1.00)\n",
                Best(curl_big) / Best(client), Median(curl_big) / Median(client));
  }
  std::printf("  ratio 64 KiB / 8 KiB reads: best %.2fx, median %.2fx throughput\n\n",
              Best(sock8) / Best(sock64), Median(sock8) / Median(sock64));

  std::vector<double> small_ms = SmallGetsWithClient(loop, small);
  Stats kivo = Summarise(small_ms);
  std::printf("%d sequential small GETs (connect, request, first chunk, abort)\n", kSmallRequests);
  std::printf("  THttpCli   median %.3f ms  p99 %.3f ms  (%zu done)\n", kivo.median, kivo.p99, small_ms.size());
  if (curl) {
    char dir[] = "/tmp/kivo-http-bench-XXXXXX";
    if (mkdtemp(dir) != nullptr) {
      std::string config = std::string(dir) + "/urls.txt";
      if (FILE* f = std::fopen(config.c_str(), "w")) {
        for (int i = 0; i < kSmallRequests; ++i)
          std::fprintf(f, "url = \"%s\"\noutput = \"/dev/null\"\n", small.c_str());
        std::fclose(f);
        std::vector<double> curl_ms = CurlTimes("-K " + config + " -w '%{time_total}\\n'");
        for (auto& v : curl_ms) v *= 1000;
        Stats peer = Summarise(curl_ms);
        std::printf("  curl       median %.3f ms  p99 %.3f ms  (%zu done, one curl process, time_total)\n",
                    peer.median, peer.p99, curl_ms.size());
        if (peer.median > 0)
          std::printf("  ratio THttpCli / curl  median %.2fx  p99 %.2fx  (below 1 = faster)\n",
                      kivo.median / peer.median, kivo.p99 / peer.p99);
        std::remove(config.c_str());
      }
      rmdir(dir);
    }
  } else {
    std::printf("  curl not found: no peer figures\n");
  }
  return 0;
}

}  // namespace kivo::bench

int main() { return kivo::bench::Main(); }
