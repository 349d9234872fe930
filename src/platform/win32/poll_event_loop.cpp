// The loop on the thread's message queue. Sockets report readiness through WSAAsyncSelect to a
// hidden message-only window, chosen over WSAEventSelect + MsgWaitForMultipleObjects because one
// queue then carries everything in order (posted tasks, socket events, window input), there is
// no limit of 63 waitable handles, and sockets keep being served while a modal dialog (message
// box, file-open) runs its own message loop, as they are on POSIX through the renderer's loop.
//
// WSAAsyncSelect notifies once per change, while the loop's contract is level-triggered (a
// watched socket keeps reporting while it is ready). So a notification only says "look": the
// loop asks select() with no wait what the socket is ready for now, calls back, and looks again
// after the callback while the socket stays ready for what is watched.
//
// Windows runs loops of its own while a menu is tracked, a message box or dialog is up, or the
// window is moved or sized; they dispatch the hidden window's messages as this loop does. The
// once-per-round rule applies only to the messages RunOnce dispatches itself, so everything keeps
// flowing inside those loops; and "process pending messages" called from inside any dispatch
// takes only the hidden window's messages, never the input an open menu or dialog waits for.
#include "platform/poll_event_loop.h"

#include <winsock2.h>
#include <windows.h>

#include <set>
#include <stdexcept>
#include <vector>

#include "platform/win32/message_filter.h"
#include "platform/win32/winsock_startup.h"

namespace kivo {
namespace {

constexpr UINT kWmTasks = WM_APP + 1;   // posted tasks are waiting
constexpr UINT kWmSocket = WM_APP + 2;  // wParam: the socket WSAAsyncSelect reports on
constexpr UINT kWmCheck = WM_APP + 3;   // wParam: a watch to look at again
constexpr UINT_PTR kRetryWakeTimer = 1; // a wake-up that could not be posted is tried again
constexpr UINT kRetryWakeMs = 10;
constexpr wchar_t kClassName[] = L"KivoLoopWindow";

std::vector<std::pair<int, std::function<bool(MSG&)>>>& Filters() {
  static std::vector<std::pair<int, std::function<bool(MSG&)>>> filters;
  return filters;
}

// True when a window's filter took the message.
bool Filtered(MSG& message) {
  for (auto& [id, filter] : Filters()) {
    if (filter(message)) return true;
  }
  return false;
}

// What |fd| is ready for now, among |events| (plus kError).
unsigned ReadyNow(int fd, unsigned events) {
  const SOCKET s = static_cast<SOCKET>(static_cast<std::intptr_t>(fd));
  fd_set readable, writable, failed;
  FD_ZERO(&readable);
  FD_ZERO(&writable);
  FD_ZERO(&failed);
  if (events & EventLoop::kRead) FD_SET(s, &readable);
  if (events & EventLoop::kWrite) FD_SET(s, &writable);
  FD_SET(s, &failed);  // a failed connect is reported here
  timeval none{0, 0};
  const int n = select(0, &readable, &writable, &failed, &none);
  if (n == SOCKET_ERROR) return WSAGetLastError() == WSAENOTSOCK ? EventLoop::kError : 0;
  unsigned ready = 0;
  if (FD_ISSET(s, &readable)) ready |= EventLoop::kRead;
  if (FD_ISSET(s, &writable)) ready |= EventLoop::kWrite;
  if (FD_ISSET(s, &failed)) ready |= EventLoop::kError;
  return ready;
}

}  // namespace

namespace win32 {

int AddMessageFilter(std::function<bool(MSG&)> filter) {
  static int next_id = 1;
  Filters().emplace_back(next_id, std::move(filter));
  return next_id++;
}

void RemoveMessageFilter(int id) {
  auto& filters = Filters();
  for (auto it = filters.begin(); it != filters.end(); ++it) {
    if (it->first == id) {
      filters.erase(it);
      return;
    }
  }
}

}  // namespace win32

struct PollEventLoop::Native {
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l) {
    auto* loop = reinterpret_cast<PollEventLoop*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (loop == nullptr) return DefWindowProcW(window, message, w, l);
    Native& native = *loop->native_;
    // Set by RunOnce just before it dispatches a message to this window; any other dispatcher
    // (a menu's, a dialog's, a nested "process pending messages") finds it clear.
    const bool from_round = native.round_dispatch;
    native.round_dispatch = false;
    switch (message) {
      case kWmTasks:
        loop->DrainPosted();
        return 0;
      case WM_TIMER:
        if (w == kRetryWakeTimer) {
          KillTimer(window, kRetryWakeTimer);
          loop->DrainPosted();
        }
        return 0;
      case kWmSocket: {
        std::vector<WatchId> ids;
        for (const auto& [id, watch] : loop->watches_)
          if (static_cast<WPARAM>(static_cast<std::intptr_t>(watch.fd)) == w) ids.push_back(id);
        for (WatchId id : ids) Check(*loop, id, from_round);
        return 0;
      }
      case kWmCheck:
        Check(*loop, static_cast<WatchId>(w), from_round);
        return 0;
      default:
        return DefWindowProcW(window, message, w, l);
    }
  }

  // Calls the watch back if its socket is ready for what it watches, and asks to look again
  // afterwards while it stays ready. A message RunOnce dispatched calls a watch at most once
  // per round, as poll() calls each descriptor once: another look waits for the next round.
  // Elsewhere (inside a modal loop) the look again is posted at once.
  static void Check(PollEventLoop& loop, WatchId id, bool from_round) {
    Native& native = *loop.native_;
    if (!from_round) native.PostDeferred();
    auto it = loop.watches_.find(id);
    if (it == loop.watches_.end() || it->second.events == 0) return;
    if (from_round && !native.checked.insert(id).second) {
      native.Defer(id);
      return;
    }
    const int fd = it->second.fd;
    unsigned ready = ReadyNow(fd, it->second.events);
    ready &= it->second.events | kError;
    if (ready == 0) return;
    auto callback = it->second.callback;  // keeps the callable alive if it unwatches itself
    (*callback)(ready);
    it = loop.watches_.find(id);
    if (it == loop.watches_.end() || it->second.fd != fd || it->second.events == 0) return;
    if (ReadyNow(fd, it->second.events) & (it->second.events | kError)) {
      if (from_round) {
        native.Defer(id);
      } else {
        native.PostCheck(id);
      }
    }
  }

  // A look asked for by a new watch or more events watched: within a round, the posted look
  // meets the once-per-round rule like any other.
  void LookAgain(WatchId id) { PostCheck(id); }
  void PostCheck(WatchId id) { PostMessageW(window, kWmCheck, static_cast<WPARAM>(id), 0); }
  void Defer(WatchId id) {
    for (WatchId d : deferred) {
      if (d == id) return;
    }
    deferred.push_back(id);
  }
  // Looks deferred to the next round are posted now: a modal loop runs instead of that round.
  void PostDeferred() {
    for (WatchId id : deferred) PostCheck(id);
    deferred.clear();
  }

  HWND window = nullptr;
  bool wake_pending = false;         // guarded by the loop's mutex_
  bool in_round = false;             // inside RunOnce
  bool round_dispatch = false;       // RunOnce is dispatching a message to |window|
  int dispatch_depth = 0;            // nested dispatches of RunOnce (handlers running)
  std::set<WatchId> checked;         // watches called back in this round
  std::vector<WatchId> deferred;     // to look at in the next round
};

PollEventLoop::PollEventLoop()
    : owner_(std::this_thread::get_id()), native_(std::make_unique<Native>()) {
  win32::EnsureWinsock();
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSW window_class{};
  window_class.lpfnWndProc = &Native::WindowProc;
  window_class.hInstance = instance;
  window_class.lpszClassName = kClassName;
  RegisterClassW(&window_class);  // fails harmlessly when a second loop registers it again
  native_->window = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                    instance, nullptr);
  if (native_->window == nullptr) throw std::runtime_error("cannot create the loop's window");
  SetWindowLongPtrW(native_->window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

PollEventLoop::~PollEventLoop() {
  ShutDownWaiters();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shut_down_ = true;
    posted_.clear();
  }
  SetWindowLongPtrW(native_->window, GWLP_USERDATA, 0);
  DestroyWindow(native_->window);
}

void PollEventLoop::Wake() {
  if (PostMessageW(native_->window, kWmTasks, 0, 0)) return;
  // The queue is full (10,000 messages): the next Post tries again, and on the loop thread a
  // timer (which needs no room in the queue) drains the tasks soon.
  {
    std::lock_guard<std::mutex> lock(mutex_);
    native_->wake_pending = false;
  }
  if (IsLoopThread()) SetTimer(native_->window, kRetryWakeTimer, kRetryWakeMs, nullptr);
}

void PollEventLoop::Post(Task task) {
  bool wake = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shut_down_) return;
    posted_.push_back(std::move(task));
    // One wake-up message per batch keeps the queue (10,000 messages at most) from filling.
    wake = !native_->wake_pending;
    native_->wake_pending = true;
  }
  if (wake) Wake();
}

EventLoop::WatchId PollEventLoop::WatchFd(int fd, unsigned events, WatchCallback callback) {
  WatchId id = next_watch_id_++;
  watches_[id] = Watch{fd, events, std::make_shared<WatchCallback>(std::move(callback))};
  // Every kind of notification: each one only prompts a look at the socket.
  WSAAsyncSelect(static_cast<SOCKET>(static_cast<std::intptr_t>(fd)), native_->window, kWmSocket,
                 FD_READ | FD_WRITE | FD_OOB | FD_ACCEPT | FD_CONNECT | FD_CLOSE);
  if (events != 0) native_->LookAgain(id);
  return id;
}

void PollEventLoop::SetWatchEvents(WatchId id, unsigned events) {
  auto it = watches_.find(id);
  if (it == watches_.end()) return;
  const unsigned added = events & ~it->second.events;
  it->second.events = events;
  // A notification for the newly watched readiness may have come and gone already.
  if (added != 0) native_->LookAgain(id);
}

// closesocket ends the notifications; a message already queued finds no watch and is dropped.
void PollEventLoop::Unwatch(WatchId id) { watches_.erase(id); }

void PollEventLoop::DrainPosted() {
  // Only what was posted before this round runs now; tasks posted by these tasks wait for the
  // next round (they post a new wake-up), so a task that re-posts itself cannot starve the rest.
  std::deque<Task> batch;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    batch.swap(posted_);
    native_->wake_pending = false;
  }
  while (!batch.empty()) {
    Task task = std::move(batch.front());
    batch.pop_front();
    task();
  }
}

void PollEventLoop::RunOnce(int timeout_ms) {
  bool any = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    any = !posted_.empty();
  }
  if (!any) {
    MsgWaitForMultipleObjectsEx(0, nullptr, timeout_ms < 0 ? INFINITE : DWORD(timeout_ms),
                                QS_ALLINPUT, MWMO_INPUTAVAILABLE);
  }
  // One round: what is queued now, each watch called at most once; the looks the callbacks
  // ask for are queued for the next round. A round inside a handler (RunUntil in a test) keeps
  // the outer round's bookkeeping.
  Native& native = *native_;
  const bool outer = !native.in_round;
  if (outer) {
    native.in_round = true;
    native.checked.clear();
  }
  MSG message;
  for (int budget = 1000; budget > 0 && PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);
       --budget) {
    if (message.message == WM_QUIT) {  // the session is ending
      quit_code_ = static_cast<int>(message.wParam);
      quit_ = true;
      break;
    }
    ++native.dispatch_depth;
    if (!Filtered(message)) {
      TranslateMessage(&message);
      native.round_dispatch = outer && message.hwnd == native.window;
      DispatchMessageW(&message);
      native.round_dispatch = false;
    }
    --native.dispatch_depth;
  }
  DrainPosted();
  if (outer) {
    native.in_round = false;
    native.PostDeferred();
  }
}

void PollEventLoop::ProcessPendingMessages() {
  if (native_->dispatch_depth == 0 && !native_->in_round) {
    RunOnce(0);
    return;
  }
  // Inside a handler, perhaps inside a menu's or a dialog's own loop: only this loop's work
  // (socket notifications, looks again, posted tasks); input and painting stay queued for
  // whoever is pumping them.
  MSG message;
  for (int budget = 1000;
       budget > 0 && PeekMessageW(&message, native_->window, 0, 0, PM_REMOVE); --budget)
    DispatchMessageW(&message);
  DrainPosted();
}

}  // namespace kivo
