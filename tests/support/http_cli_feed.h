// THttpCliFeed: a THttpCli whose reply comes from the caller instead of a connection, so that the
// reply parser can be fed a reply whole, byte by byte or in any split, and told when the server
// closes. It never opens a connection: a redirect ends the request with 10051 (network
// unreachable). For tests and fuzzers; loop thread only, events as THttpCli's.
#pragma once

#include <cstddef>

#include "net/http_cli.h"

namespace kivo {

class THttpCliFeed : public THttpCli {
 public:
  using THttpCli::THttpCli;

  // Puts the client in WaitingHeader for |request| (URL gives the path), as if the request had
  // just been sent. Throws EHttpException 1 while a request is running.
  void BeginReply(THttpRequest request);
  // Delivers |len| bytes as the connection would, as many reads as the client asks for.
  void Feed(const char* data, std::size_t len);
  // As if the server closed the connection with |error| (0: an orderly close).
  void ServerClose(int error);

 private:
  void OpenConnection() override;
  int ReadConnection(char* buffer, int len) override;
  void CloseConnection(bool abort) override;

  bool open_ = false;
  const char* input_ = nullptr;
  std::size_t input_len_ = 0;
};

}  // namespace kivo
