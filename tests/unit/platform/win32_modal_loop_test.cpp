// The loop on Windows while another message loop runs inside one of its handlers, as a message
// box, a dialog, a tracked menu or a window being moved runs its own: a watched socket keeps
// being served there, again and again, not once; posted tasks keep running; and "process
// pending messages" called from inside takes only the loop's own work, never the messages
// meant for the windows whose loop is running.
#include <gtest/gtest.h>

#include <winsock2.h>
#include <windows.h>

#include <chrono>

#include "platform/poll_event_loop.h"
#include "platform/socket_api.h"

namespace kivo {
namespace {

// Runs a dialog-like loop (GetMessage, TranslateMessage, DispatchMessage) until |done| or
// |timeout_ms| passes; true when |done| became true.
bool RunModalLoop(const std::function<bool()>& done, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  const UINT_PTR tick = SetTimer(nullptr, 0, 20, nullptr);  // wakes GetMessage now and then
  MSG message;
  while (!done() && std::chrono::steady_clock::now() < deadline &&
         GetMessageW(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
  KillTimer(nullptr, tick);
  return done();
}

struct Pair {
  int client = socket_api::kNoSocket;
  SOCKET server = INVALID_SOCKET;
  ~Pair() {
    if (client != socket_api::kNoSocket) socket_api::CloseSocket(client);
    if (server != INVALID_SOCKET) closesocket(server);
  }
};

void Connect(Pair* pair) {
  SOCKET listener = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  ASSERT_NE(listener, INVALID_SOCKET);
  sockaddr_in addr{};
  addr.sin_family = AF_INET;
  addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  int len = sizeof addr;
  getsockname(listener, reinterpret_cast<sockaddr*>(&addr), &len);
  ASSERT_EQ(socket_api::OpenTcpSocket(&pair->client), 0);
  socket_api::Connect(pair->client, "127.0.0.1", ntohs(addr.sin_port));
  pair->server = accept(listener, nullptr, nullptr);
  closesocket(listener);
  ASSERT_NE(pair->server, INVALID_SOCKET);
}

// How the modal loop is entered: from a posted task, or from a window message (a click).
enum class Entry { kPostedTask, kWindowMessage };

class ModalLoopTest : public ::testing::TestWithParam<Entry> {};

LRESULT CALLBACK RunStoredTask(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP) {
    (*reinterpret_cast<std::function<void()>*>(l))();
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

HWND MakeWindow(WNDPROC proc, const wchar_t* name) {
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = proc;
  window_class.hInstance = GetModuleHandleW(nullptr);
  window_class.lpszClassName = name;
  RegisterClassW(&window_class);
  return CreateWindowExW(0, name, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                         GetModuleHandleW(nullptr), nullptr);
}

TEST_P(ModalLoopTest, ASocketIsServedEveryTimeItHasDataAndTasksRun) {
  PollEventLoop loop;
  Pair pair;
  ASSERT_NO_FATAL_FAILURE(Connect(&pair));
  // Each reply is read, then the peer sends the next: one socket, read many times over.
  int replies = 0;
  loop.WatchFd(pair.client, EventLoop::kRead, [&](unsigned) {
    char buffer[16];
    if (recv(static_cast<SOCKET>(pair.client), buffer, sizeof buffer, 0) > 0) {
      ++replies;
      send(pair.server, "x", 1, 0);
    }
  });
  int tasks = 0;
  bool served = false;
  std::function<void()> modal = [&] {
    send(pair.server, "x", 1, 0);
    loop.Post([&] { ++tasks; });
    served = RunModalLoop([&] { return replies >= 20 && tasks >= 1; }, 10000);
  };
  HWND window = MakeWindow(&RunStoredTask, L"KivoModalTestWindow");
  if (GetParam() == Entry::kPostedTask) {
    loop.Post(modal);
  } else {
    PostMessageW(window, WM_APP, 0, reinterpret_cast<LPARAM>(&modal));
  }
  loop.RunUntil([&] { return served || replies >= 20; }, 15000);
  DestroyWindow(window);
  EXPECT_TRUE(served) << replies << " replies and " << tasks << " tasks inside the modal loop";
}

INSTANTIATE_TEST_SUITE_P(Win32, ModalLoopTest,
                         ::testing::Values(Entry::kPostedTask, Entry::kWindowMessage),
                         [](const auto& info) {
                           return info.param == Entry::kPostedTask ? "FromAPostedTask"
                                                                   : "FromAWindowMessage";
                         });

int g_other_window_messages = 0;

LRESULT CALLBACK CountMessages(HWND window, UINT message, WPARAM w, LPARAM l) {
  if (message == WM_APP + 7) {
    ++g_other_window_messages;
    return 0;
  }
  return DefWindowProcW(window, message, w, l);
}

TEST(ProcessPendingMessagesTest, InsideAHandlerRunsTheLoopsWorkAndLeavesOtherMessagesQueued) {
  PollEventLoop loop;
  HWND other = MakeWindow(&CountMessages, L"KivoOtherTestWindow");
  g_other_window_messages = 0;
  bool inner_task_ran = false;
  bool still_queued = false;
  bool done = false;
  loop.Post([&] {
    PostMessageW(other, WM_APP + 7, 0, 0);  // input for a menu or dialog, say
    loop.Post([&] { inner_task_ran = true; });
    loop.ProcessPendingMessages();
    MSG message;
    still_queued = PeekMessageW(&message, other, WM_APP + 7, WM_APP + 7, PM_NOREMOVE) != 0;
    done = true;
  });
  loop.RunUntil([&] { return done; }, 5000);
  EXPECT_TRUE(inner_task_ran);
  EXPECT_TRUE(still_queued);
  loop.RunFor(50);  // the loop itself dispatches it afterwards
  EXPECT_EQ(g_other_window_messages, 1);
  DestroyWindow(other);
}

}  // namespace
}  // namespace kivo
