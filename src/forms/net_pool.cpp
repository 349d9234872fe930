// The pool's requests: starting one on a free client, storing what arrives in a temporary file,
// the rate line on the main window's status bar, and the one completion per started request.
#include <cstdio>
#include <filesystem>

#include "net/transfer_rate.h"
#include "forms/main_window.h"
#include "forms/net_window.h"
#include "media/reply_file.h"
#include "media/web_site.h"
#include "platform/file_path.h"

namespace kivo {
namespace {

constexpr const char* kGetAgent = "Firefox 1.0 (WinNT; I)";
constexpr const char* kHeadAgent = " (Win95; I)";
constexpr int kMaxTempFiles = 9999;

std::string TempFileName(const std::string& folder, int number) {
  char name[16];
  std::snprintf(name, sizeof name, "TMP%4.4d.txt", number);
  return folder + name;
}

}  // namespace

bool Tnet::GetURL(const std::string& url, RequestCallback callback) {
  return Start(url, std::move(callback), false);
}

bool Tnet::GetHead(const std::string& url, RequestCallback callback) {
  return Start(url, std::move(callback), true);
}

bool Tnet::Start(const std::string& url, RequestCallback callback, bool head) {
  const char* verb = head ? "GetHead" : "GetURL";
  // The inactivity check runs from the first request on, whichever kind it is: a stalled HEAD
  // must not hold its client for the rest of the run.
  TimeOutAbort->SetEnabled(true);
  if (url.empty()) return true;
  int index = 0;
  while (index < kSlots && slots_[index].flags != kFree) ++index;
  if (index == kSlots) {
    Log(std::string(verb) + " OVERFLOW of client requests");
    return true;
  }
  Slot& slot = slots_[index];
  std::string number = std::to_string(index + 1);
  slot.flags = kStarted;
  Log("[" + number + "] " + url + (head ? " HEAD > " : " > ") + slot.file_name);
  // Until this request has its own file, it has none: a request that fails before connecting
  // must not hand its requester the previous request's file.
  slot.file_name.clear();
  slot.url = url;
  slot.head = head;
  slot.failure = 0;
  slot.byte_count = 0;
  slot.in_flight = false;
  THttpCli& client = *slot.client;
  client.Tag = index + 1;
  client.Agent = head ? kHeadAgent : kGetAgent;
  client.URL = url;
  client.BindInterface = main_.BoundInterface();
  Touch(slot);
  slot.callback = std::move(callback);
  try {
    if (head) {
      client.HeadASync();
    } else {
      client.GetASync();
    }
  } catch (const std::exception&) {
    Log(number + " " + verb + " exception NET002");
    slot.callback = nullptr;
    return true;
  }
  slot.in_flight = true;
  return false;
}

void Tnet::SessionConnected(Slot& slot) {
  int number = slot.client->Tag;
  // A redirect connects again: the first connection's file held nothing worth keeping.
  if (slot.file) {
    CloseFile(slot);
    std::error_code ignored;
    std::filesystem::remove(PathFromUtf8(slot.file_name), ignored);
  }
  std::string folder = main_.Env().WorkDir();
  std::string reason = "no free name";
  for (int n = 1; n <= kMaxTempFiles; ++n) {
    std::string name = TempFileName(folder, n);
    ExclusiveFile::Result result = ExclusiveFile::Create(name, &slot.file, &reason);
    if (result == ExclusiveFile::Result::kNameTaken) continue;
    if (result == ExclusiveFile::Result::kFailed) break;
    slot.file_name = name;
    Log("[" + std::to_string(number) + "] -> " + name);
    slot.flags |= kFileOpen;
    slot.connect_time = main_.Env().clock.Now();
    slot.byte_count = 0;
    Touch(slot);
    return;
  }
  Fail(slot, kPoolErrorCannotCreateFile, "cannot create a temporary file: " + reason);
  SayFileTrouble(TempFileCreateFailedText(folder, reason));
}

void Tnet::DocData(Slot& slot, const char* data, int len) {
  if (len > 0 && slot.file) {
    slot.byte_count += len;
    std::string reason;
    if (!slot.file->Write(data, static_cast<std::size_t>(len), &reason)) {
      Fail(slot, kPoolErrorWriteFault, "cannot write " + slot.file_name + ": " + reason);
      SayFileTrouble(TempFileWriteFailedText(slot.file_name, reason));
      return;
    }
    if (slot.url.find(MakerHost()) == std::string::npos) {
      double seconds = (main_.Env().clock.Now() - slot.connect_time) * 86400.0;
      main_.SetStatusText(TransferRateText(slot.byte_count, seconds));
    }
  }
  Touch(slot);
}

void Tnet::HeaderData(Slot& slot) {
  if (slot.file) {
    std::string line(slot.client->LastResponse());
    line += "\r\n";
    std::string reason;
    if (!slot.file->Write(line.data(), line.size(), &reason)) {
      Fail(slot, kPoolErrorWriteFault, "cannot write " + slot.file_name + ": " + reason);
      SayFileTrouble(TempFileWriteFailedText(slot.file_name, reason));
      return;
    }
  }
  Touch(slot);
}

void Tnet::DocumentFinished(Slot& slot) {
  CloseFile(slot);
  slot.flags = (slot.flags & 0x7F) | kFinished;
  Touch(slot);
}

void Tnet::CloseFile(Slot& slot) {
  if (slot.file) {
    std::string reason;
    if (!slot.file->Close(&reason) && slot.failure == 0 && slot.flags != kFree) {
      // The last bytes may not have reached the disk.
      slot.failure = kPoolErrorWriteFault;
      Log("[" + std::to_string(slot.client->Tag) + "] cannot close " + slot.file_name + ": " +
          reason);
      SayFileTrouble(TempFileWriteFailedText(slot.file_name, reason));
    }
    slot.file.reset();
  }
  slot.flags &= 0x7F;
}

void Tnet::Fail(Slot& slot, std::uint16_t error, const std::string& why) {
  Log("[" + std::to_string(slot.client->Tag) + "] " + why);
  if (slot.failure == 0) slot.failure = error;
  CloseFile(slot);
  slot.client->Abort();
}

void Tnet::SayFileTrouble(const std::string& text) {
  if (file_trouble_said_) return;
  file_trouble_said_ = true;
  main_.SetStatusText(text);
}

void Tnet::RequestDone(Slot& slot, std::uint16_t error) {
  if (!slot.in_flight) return;  // an end nobody waits for (the start had failed)
  THttpCli& client = *slot.client;
  if (error == 0 && slot.failure == 0 && !slot.head && client.ContentLength() >= 0 &&
      slot.byte_count < client.ContentLength()) {
    slot.failure = kPoolErrorShortBody;
    Log("[" + std::to_string(client.Tag) + "] body ended after " +
        std::to_string(slot.byte_count) + " of " + std::to_string(client.ContentLength()) +
        " bytes");
  }
  if (slot.failure != 0) error = slot.failure;
  if (error == 0 && !slot.file_name.empty()) file_trouble_said_ = false;
  Log("[" + std::to_string(client.Tag) + "] DONE - error: " + std::to_string(error) + " " +
      slot.url);
  CloseFile(slot);
  slot.flags = kFree;
  slot.in_flight = false;
  // Copies: the completion may start the next request on this very slot.
  RequestCallback callback = std::move(slot.callback);
  slot.callback = nullptr;
  std::string url = slot.url;
  std::string file_name = slot.file_name;
  if (RestWhenIdle()) ShowSlots();  // the last tick may have shown this request's slot busy
  if (callback) callback(url, file_name, error);
}

bool Tnet::RestWhenIdle() {
  for (const Slot& slot : slots_) {
    if (slot.flags != kFree) return false;
  }
  // Nothing left to abort: the check would only wake the computer every 5 s to redraw a view
  // of free slots. The next request starts it again, so a stalled request is still aborted
  // 12 to 17 s after its last sign of life. In debug mode it keeps running: it saves the log.
  if (!main_.Debug) TimeOutAbort->SetEnabled(false);
  return true;
}

}  // namespace kivo
