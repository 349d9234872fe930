// Tnet: the "Network Status" window and the pool of ten HTTP clients behind it. A feature
// borrows a client for one request (GetURL / GetHead); the body lands in a new temporary file
// "TMP####.txt" in the work folder and the feature's completion runs exactly once, from the
// loop, with the URL, that file and the error. The window logs every request and shows one line
// per slot; nobody needs to look at it, so its lists fill unseen. Loop thread only: the clients'
// events and the inactivity timer's ticks arrive there.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/http_cli.h"
#include "net/request_pool.h"
#include "net/super_timer.h"
#include "platform/date_time.h"
#include "platform/exclusive_file.h"
#include "ui/component.h"

namespace kivo {

class TForm1;

// Errors the pool reports beside the client's own (0, 3, the Winsock numbers). They are the
// system's numbers for the same trouble, so a "Error: N" line can be looked up.
inline constexpr std::uint16_t kPoolErrorCannotCreateFile = 82;  // no temporary file
inline constexpr std::uint16_t kPoolErrorWriteFault = 29;        // a chunk could not be stored
inline constexpr std::uint16_t kPoolErrorShortBody = 38;         // body ended before its length

// The errors that are this computer's trouble, not the camera's: the pool has already said what
// failed (once), so a requester shows no number of its own for them.
inline bool IsPoolFileError(std::uint16_t error) {
  return error == kPoolErrorCannotCreateFile || error == kPoolErrorWriteFault;
}

class Tnet : public RequestPool {
 public:
  static constexpr int kSlots = 10;
  // Slot flags.
  static constexpr int kFree = 0;
  static constexpr int kStarted = 1;
  static constexpr int kFileOpen = 0x80;
  static constexpr int kFinished = 3;

  // Attaches itself to |main_window| as its pool (main_window.Net); reads the window position
  // from section "Status" of the file the main window's settings came from.
  explicit Tnet(TForm1& main_window);
  ~Tnet() override;
  Tnet(const Tnet&) = delete;
  Tnet& operator=(const Tnet&) = delete;

  bool GetURL(const std::string& url, RequestCallback callback) override;
  bool GetHead(const std::string& url, RequestCallback callback) override;

  // The window: form "net", lists "status" (the log) and "httpList" (the slots), menu "Tools".
  ComponentModel& Model() { return model_; }
  Component& operator[](std::string_view name) { return model_.Get(name); }

  // Every 5 s while a request runs (always in debug mode): aborts stalled requests, redraws
  // the slot view, saves the log in debug mode.
  void TimeOutAbortTimer();
  // Esc in the window or its log: asks whoever shows the window to close (hide) it.
  void FormKeyEscape();
  std::function<void()> OnCloseRequest;

  // Closing the window: writes its position to section "Status" of the settings file. Throws
  // FileWriteError when the file cannot be written.
  void FormClose();

  std::unique_ptr<TSuperTimer> TimeOutAbort;

  // What a slot holds (1..10), for the window's tests.
  THttpCli& Client(int slot) { return *slots_.at(slot - 1).client; }
  int Flags(int slot) const { return slots_.at(slot - 1).flags; }
  const std::string& FileName(int slot) const { return slots_.at(slot - 1).file_name; }

 private:
  struct Slot {
    std::unique_ptr<THttpCli> client;
    int flags = kFree;
    std::string file_name;
    std::unique_ptr<ExclusiveFile> file;
    long long byte_count = 0;
    DateTime connect_time = 0;
    DateTime deadline = 0;
    RequestCallback callback;
    std::string url;
    bool head = false;
    bool in_flight = false;          // the client will report the request's end
    std::uint16_t failure = 0;       // the pool's own reason for ending it early
  };

  void BuildWindow();
  void LoadPosition();
  bool Start(const std::string& url, RequestCallback callback, bool head);
  void Log(const std::string& message);
  void Touch(Slot& slot);
  void CloseFile(Slot& slot);
  // The slot view, one line per slot.
  void ShowSlots();
  // With every slot free, stops the inactivity check until the next request; says whether
  // every slot is free.
  bool RestWhenIdle();
  // Ends the request now with the pool's own |error| (the client's end follows as an abort).
  void Fail(Slot& slot, std::uint16_t error, const std::string& why);
  // A reply file that could not be created or written: |text| goes to the main window's status
  // bar once, not at every request that meets the same full disk; a reply stored whole again
  // lets the next trouble be said.
  void SayFileTrouble(const std::string& text);

  // Client events.
  void SessionConnected(Slot& slot);
  void DocData(Slot& slot, const char* data, int len);
  void HeaderData(Slot& slot);
  void DocumentFinished(Slot& slot);
  void RequestDone(Slot& slot, std::uint16_t error);

  TForm1& main_;
  ComponentModel model_;
  std::array<Slot, kSlots> slots_;
  DateTime next_log_save_ = 0;
  bool file_trouble_said_ = false;
};

}  // namespace kivo
