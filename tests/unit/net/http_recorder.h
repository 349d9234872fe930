// Records every event of a THttpCli as one line of text, so tests can compare whole sequences.
#pragma once

#include <string>
#include <vector>

#include "net/http_cli.h"

namespace kivo::testing {

struct HttpRecorder {
  std::vector<std::string> events;
  std::string body;
  int done = 0;
  int done_error = -1;
  bool collapse_doc_data = true;  // one "DocData" per run of chunks (splits differ)

  void Attach(THttpCli& cli) {
    cli.OnStateChange = [this](THttpCli& c) { Add("State" + std::to_string(static_cast<int>(c.State()))); };
    cli.OnSessionConnected = [this](THttpCli&) { Add("SessionConnected"); };
    cli.OnRequestHeaderBegin = [this](THttpCli&) { Add("RequestHeaderBegin"); };
    cli.OnBeforeHeaderSend = [this](THttpCli&, const std::string& m, std::vector<std::string>&) {
      Add("BeforeHeaderSend:" + m);
    };
    cli.OnCommand = [this](THttpCli&, std::string& line) { Add("Command:" + line); };
    cli.OnRequestHeaderEnd = [this](THttpCli&) { Add("RequestHeaderEnd"); };
    cli.OnHeaderBegin = [this](THttpCli&) { Add("HeaderBegin"); };
    cli.OnHeaderData = [this](THttpCli& c) { Add("HeaderData:" + std::string(c.LastResponse())); };
    cli.OnCookie = [this](THttpCli&, const std::string& v, bool&) { Add("Cookie:" + v); };
    cli.OnHeaderEnd = [this](THttpCli&) { Add("HeaderEnd"); };
    cli.OnDocBegin = [this](THttpCli&) { Add("DocBegin"); };
    cli.OnDocData = [this](THttpCli&, const char* data, int len) {
      body.append(data, len);
      if (!collapse_doc_data || events.empty() || events.back() != "DocData") Add("DocData");
    };
    cli.OnDocEnd = [this](THttpCli&) { Add("DocEnd"); };
    cli.OnLocationChange = [this](THttpCli& c) { Add("LocationChange:" + c.Location()); };
    cli.OnRequestDone = [this](THttpCli&, THttpRequest type, std::uint16_t error) {
      Add("RequestDone:" + std::to_string(static_cast<int>(type)) + ":" + std::to_string(error));
      ++done;
      done_error = error;
    };
  }
  void Add(std::string e) { events.push_back(std::move(e)); }
};

}  // namespace kivo::testing
