// libFuzzer target for the HTTP reply path: arbitrary bytes in arbitrary chunks, with an abort
// or a close at an arbitrary point, must never crash, hang or leak. No connection is opened: the
// client runs in its test mode (a redirect ends without a lookup).
//   CC=clang CXX=clang++ cmake -DKIVO_FUZZ=ON -DKIVO_GUI=OFF ... && ./kivo_http_reply_fuzzer
#include <cstddef>
#include <cstdint>
#include <string>

#include "support/http_cli_feed.h"
#include "platform/poll_event_loop.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 2) return 0;
  // First byte: request type and what happens at the end; second: the chunking seed.
  const std::uint8_t control = data[0];
  std::uint32_t seed = data[1];
  data += 2;
  size -= 2;

  kivo::PollEventLoop loop;
  kivo::THttpCliFeed cli(loop);
  int done = 0;
  std::size_t body = 0;
  cli.OnRequestDone = [&](kivo::THttpCli&, kivo::THttpRequest, std::uint16_t) { ++done; };
  cli.OnDocData = [&](kivo::THttpCli& c, const char* chunk, int len) {
    // Touch every byte delivered, so a stale pointer shows up under ASan.
    for (int i = 0; i < len; ++i) body += static_cast<unsigned char>(chunk[i]) & 1;
    if ((control & 0x40) && body > 64) c.Abort();
  };
  cli.OnHeaderData = [&](kivo::THttpCli& c) {
    if ((control & 0x80) && c.RcvdHeader().size() > 3) c.Abort();
  };
  static constexpr kivo::THttpRequest kTypes[] = {kivo::THttpRequest::Get, kivo::THttpRequest::Head,
                                                  kivo::THttpRequest::Post, kivo::THttpRequest::Get};
  cli.BeginReply(kTypes[control & 3]);
  const char* bytes = reinterpret_cast<const char*>(data);
  std::size_t pos = 0;
  while (pos < size) {
    seed = seed * 1103515245u + 12345u;
    std::size_t piece = 1 + (seed >> 16) % ((control & 4) ? 7 : 9000);
    if (piece > size - pos) piece = size - pos;
    cli.Feed(bytes + pos, piece);
    pos += piece;
  }
  if (control & 8) cli.Abort();
  cli.ServerClose((control & 16) ? 10054 : 0);
  loop.RunUntil([&] { return done > 0 && cli.State() == kivo::THttpState::Ready; }, 1000);
  loop.ProcessPendingMessages();
  if (done != 1 || cli.State() != kivo::THttpState::Ready) __builtin_trap();  // wedged or twice
  return 0;
}
