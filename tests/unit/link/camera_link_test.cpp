// Several camera links at once, each against its own scripted server on 127.0.0.1.
#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "camera/bacpac_status.h"
#include "link/camera_link.h"
#include "platform/poll_event_loop.h"
#include "script_server.h"

namespace kivo {
namespace {

using testing::Script;
using testing::ScriptServer;

// Recorded from a HERO3 Black and a HERO3+ Black right after switching on.
constexpr char kHero3BlackBacPac[] = "006401000300ff002201000104020101";
constexpr char kHero3PlusBlackBacPac[] = "006401000400ff00520100010b020101";
constexpr char kHero3BlackCamera[] =
    "0000000000000000050500ff00000000000290630012330002008600010004";
constexpr char kHero3PlusBlackCamera[] =
    "0000000000000000050000ff000000000002903f0012370000008600010004";

std::string Bytes(const std::string& hex) {
  std::string bytes;
  for (std::size_t i = 0; i + 1 < hex.size(); i += 2)
    bytes.push_back(static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16)));
  return bytes;
}

std::string Reply(int status, const std::string& body) {
  return "HTTP/1.1 " + std::to_string(status) + " X\r\nContent-Length: " +
         std::to_string(body.size()) + "\r\nConnection: close\r\n\r\n" + body;
}

Script Answer(int status, const std::string& body,
              std::shared_ptr<const std::atomic<bool>> gate = nullptr) {
  Script s;
  s.ReadRequest();
  if (gate) s.Gate(gate);
  s.Send(Reply(status, body)).Close();
  return s;
}

std::string Address(const ScriptServer& server) {
  return "127.0.0.1:" + std::to_string(server.port());
}

struct StatusResult {
  LinkError error;
  CameraSnapshot snapshot;
};

TEST(CameraLink, ThreeLinksReadTheirStatusAllAtOnce) {
  PollEventLoop loop;
  auto gate = std::make_shared<std::atomic<bool>>(false);
  ScriptServer black, plus, broken;
  black.Serve({Answer(200, Bytes(kHero3BlackBacPac), gate),
               Answer(200, Bytes(kHero3BlackCamera))});
  plus.Serve({Answer(200, Bytes(kHero3PlusBlackBacPac), gate),
              Answer(200, Bytes(kHero3PlusBlackCamera))});
  broken.Serve({Script().ReadRequest().Gate(gate).Reset()});
  ScriptServer* servers[] = {&black, &plus, &broken};

  std::vector<std::unique_ptr<CameraLink>> links;
  std::optional<StatusResult> results[3];
  for (int i = 0; i < 3; ++i) {
    links.push_back(
        std::make_unique<CameraLink>(loop, LinkOptions{Address(*servers[i]), "pw"}));
    links.back()->ReadStatus([&results, i](const LinkError& e, const CameraSnapshot& s) {
      results[i] = StatusResult{e, s};
    });
    EXPECT_FALSE(results[i]) << "completed inside the call that started it";
  }
  // Every server holds its answer until all three requests have arrived: a link that waited
  // for another's answer before sending its own would never get here.
  const auto all_asked = [&] {
    for (ScriptServer* s : servers)
      if (s->Received().empty() || s->Received()[0].find("\r\n\r\n") == std::string::npos)
        return false;
    return true;
  };
  ASSERT_TRUE(loop.RunUntil(all_asked, 10000));
  for (const auto& r : results) EXPECT_FALSE(r);
  *gate = true;
  ASSERT_TRUE(loop.RunUntil([&] { return results[0] && results[1] && results[2]; }, 10000));

  const struct {
    int model_code;
    int battery;
    int photos_available;
  } kWanted[] = {{kModelHero3Black, 99, 0x1233}, {kModelHero3PlusBlack, 63, 0x1237}};
  for (int i = 0; i < 2; ++i) {
    SCOPED_TRACE(i);
    const StatusResult& r = *results[i];
    ASSERT_TRUE(r.error.ok()) << r.error.text;
    EXPECT_EQ(r.snapshot.bacpac.model_code, kWanted[i].model_code);
    ASSERT_TRUE(r.snapshot.camera_record);
    EXPECT_EQ(r.snapshot.camera->battery_reading, kWanted[i].battery);
    EXPECT_EQ(r.snapshot.camera->photos_available, kWanted[i].photos_available);
    EXPECT_NE(servers[i]->Received()[0].find("/bacpac/se?t=pw"), std::string::npos);
    EXPECT_NE(servers[i]->Received()[1].find("/camera/se?t=pw"), std::string::npos);
  }
  EXPECT_EQ(results[2]->error.failure, LinkFailure::kUnreachable);
}

// What each kind of answer becomes, for a status read and for a command.
TEST(CameraLink, AnswersBecomeTheirErrors) {
  const struct {
    const char* name;
    bool command;
    int status;
    std::string body;
    LinkFailure failure;
    const char* text;
  } kCases[] = {
      {"status refused", false, 403, "", LinkFailure::kWrongPassword, kPasswordRefusedMessage},
      {"status 403 body", false, 200, "403", LinkFailure::kWrongPassword, kPasswordRefusedMessage},
      {"status page", false, 200, "<html>hello</html>", LinkFailure::kFailed, kNotAStatusRecord},
      {"status 500", false, 500, "\x01\x02", LinkFailure::kFailed,
       "The camera's answer is not a status record (HTTP 500)"},
      {"camera off", false, 200, Bytes("006401000300ff002200000104020101"), LinkFailure::kNone, ""},
      {"command done", true, 200, std::string(1, '\0'), LinkFailure::kNone, ""},
      {"command not done", true, 200, "\x01", LinkFailure::kFailed,
       "The camera refused the command camera/SH"},
      {"command refused", true, 403, "", LinkFailure::kWrongPassword, kPasswordRefusedMessage},
      {"nobody listening", false, 0, "", LinkFailure::kUnreachable, "No connection to Camera"},
      {"no such interface", true, -1, "", LinkFailure::kUnreachable,
       "No network interface named kivo-none0"},
  };
  for (const auto& c : kCases) {
    SCOPED_TRACE(c.name);
    PollEventLoop loop;
    ScriptServer server;
    server.Serve({Answer(c.status, c.body)});
    const std::string closed = "127.0.0.1:" + std::to_string(testing::ClosedPort());
    LinkOptions options{c.status > 0 ? Address(server) : closed, "pw"};
    if (c.status < 0) options.interface_name = "kivo-none0";
    CameraLink link(loop, options);
    std::optional<LinkError> error;
    if (c.command)
      link.SendCommand("camera/SH", "01", [&](const LinkError& e) { error = e; });
    else
      link.ReadStatus([&](const LinkError& e, const CameraSnapshot& s) {
        error = e;
        EXPECT_FALSE(s.camera_on);
      });
    EXPECT_FALSE(error) << "completed inside the call that started it";
    ASSERT_TRUE(loop.RunUntil([&] { return error.has_value(); }, 10000));
    EXPECT_EQ(error->failure, c.failure);
    EXPECT_EQ(error->text, c.text);
  }
}

TEST(CameraLink, ClockIsTheMediaServersDateLine) {
  const struct {
    std::string header;
    LinkFailure failure;
    std::string date_line;
  } kCases[] = {
      {"Date: Tue, 08 Dec 2026 10:00:00 GMT\r\n", LinkFailure::kNone,
       "Date: Tue, 08 Dec 2026 10:00:00 GMT"},
      {"", LinkFailure::kFailed, ""},
  };
  for (const auto& c : kCases) {
    PollEventLoop loop;
    ScriptServer server;
    server.Serve({Script().ReadRequest().Send("HTTP/1.1 200 OK\r\n" + c.header +
                                              "Content-Length: 0\r\nConnection: close\r\n\r\n")
                      .Close()});
    LinkOptions options{"127.0.0.1:1", "pw"};
    options.media_base = "http://" + Address(server);
    CameraLink link(loop, options);
    std::optional<LinkError> error;
    std::string date_line;
    link.ReadClock([&](const LinkError& e, const std::string& line) {
      error = e;
      date_line = line;
    });
    ASSERT_TRUE(loop.RunUntil([&] { return error.has_value(); }, 10000));
    EXPECT_EQ(error->failure, c.failure);
    EXPECT_EQ(date_line, c.date_line);
    EXPECT_EQ(server.Received()[0].rfind("HEAD / ", 0), 0u) << server.Received()[0];
  }
}

TEST(CameraLink, HeldLinksSendNothingUntilFiredTogether) {
  PollEventLoop loop;
  ScriptServer first, second;
  first.Serve({Answer(200, std::string(1, '\0'))});
  second.Serve({Answer(200, std::string(1, '\0'))});
  CameraLink a(loop, {Address(first), "pw"});
  CameraLink b(loop, {Address(second), "pw"});
  int done = 0;
  for (CameraLink* link : {&a, &b}) {
    link->Hold();
    link->SendCommand("bacpac/SH", "01", [&](const LinkError& e) {
      EXPECT_TRUE(e.ok()) << e.text;
      ++done;
    });
  }
  loop.RunFor(200);
  EXPECT_EQ(first.Accepted() + second.Accepted(), 0);
  EXPECT_TRUE(a.Busy() && b.Busy());
  CameraLink* const links[] = {&a, &b};
  FireTogether(links);
  ASSERT_TRUE(loop.RunUntil([&] { return done == 2; }, 10000));
  EXPECT_NE(first.Received()[0].find("/bacpac/SH?t=pw&p=%01"), std::string::npos);
}

}  // namespace
}  // namespace kivo
