// Downloads files with MediaFetcher (the engine behind Browse and Download) and prints the time
// and the outcome, for bench/browse/fetch_bench.sh to set beside curl.
//   kivo_fetch_bench BASE_URL FOLDER NAME...
#include <chrono>
#include <cstdio>
#include <filesystem>

#include "media/media_fetcher.h"
#include "platform/clock.h"
#include "platform/poll_event_loop.h"

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: kivo_fetch_bench BASE_URL FOLDER NAME...\n");
    return 2;
  }
  const std::string base = argv[1];
  std::vector<kivo::FetchJob> jobs;
  for (int i = 3; i < argc; ++i) jobs.push_back({base + argv[i], argv[i], "", 0});
  kivo::PollEventLoop loop;
  kivo::MediaFetcher fetcher(loop, kivo::SystemClock::Instance());
  fetcher.retry_delay_ms = 0;  // as the curl loop: straight back in
  fetcher.max_fruitless_attempts = 50;
  int failed = 0;
  bool done = false;
  fetcher.OnFileDone = [&](std::size_t job, const kivo::FetchResult& r) {
    if (r.outcome != kivo::FetchOutcome::kDownloaded && r.outcome != kivo::FetchOutcome::kAlreadyHere) {
      ++failed;
      std::fprintf(stderr, "%s: %s\n", jobs[job].name.c_str(), r.message.c_str());
    }
  };
  fetcher.OnBatchDone = [&] { done = true; };
  const auto start = std::chrono::steady_clock::now();
  fetcher.Start(argv[2], jobs);
  loop.RunUntil([&] { return done; }, 3600 * 1000);
  const double seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  std::printf("kivo_seconds %.3f\nkivo_failed %d\n", seconds, failed);
  return failed == 0 && done ? 0 : 1;
}
