// The Network Status window: its components, the log, the slot view, the inactivity check and
// the window position. The requests themselves are in net_pool.cpp.
#include "forms/net_window.h"

#include <cstdio>

#include "platform/atomic_file.h"
#include "platform/ini_file.h"
#include "forms/main_window.h"

namespace kivo {
namespace {

constexpr const char* kSection = "Status";
constexpr const char* kNetLogFileName = "netlog.txt";
// About twelve seconds without a connection, a header line or a body chunk.
constexpr double kInactivityDays = 1.388e-4;
constexpr double kLogSaveDays = 0.0104;
constexpr Bounds kDefaultBounds{45, 45, 300, 406};

std::string Hex2(int value) {
  char text[8];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

}  // namespace

Tnet::Tnet(TForm1& main_window) : main_(main_window) {
  BuildWindow();
  FormEnvironment& env = main_.Env();
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = slots_[i];
    slot.client = std::make_unique<THttpCli>(env.loop);
    THttpCli& c = *slot.client;
    c.Tag = i + 1;
    c.OnSessionConnected = [this, &slot](THttpCli&) {
      model_.Dispatch([&] { SessionConnected(slot); });
    };
    c.OnDocData = [this, &slot](THttpCli&, const char* data, int len) {
      model_.Dispatch([&] { DocData(slot, data, len); });
    };
    c.OnDocEnd = [this, &slot](THttpCli&) {
      if (!slot.head) model_.Dispatch([&] { DocumentFinished(slot); });
    };
    c.OnHeaderData = [this, &slot](THttpCli&) {
      if (slot.head) model_.Dispatch([&] { HeaderData(slot); });
    };
    c.OnHeaderEnd = [this, &slot](THttpCli&) {
      if (slot.head) model_.Dispatch([&] { DocumentFinished(slot); });
    };
    c.OnRequestDone = [this, &slot](THttpCli&, THttpRequest, std::uint16_t error) {
      model_.Dispatch([&] { RequestDone(slot, error); });
    };
  }
  TimeOutAbort = std::make_unique<TSuperTimer>(env.loop);
  TimeOutAbort->SetInterval(5000);
  TimeOutAbort->SetThreadPriority(ThreadPriorityLevel::kIdle);
  TimeOutAbort->OnTimer = [this](TSuperTimer&) {
    model_.Dispatch([this] { TimeOutAbortTimer(); });
  };
  // Something escaping a handler of this window is shown the way the main window shows it.
  model_.OnException = [this](const std::string& message) {
    if (main_.Model().OnException) main_.Model().OnException(message);
  };
  next_log_save_ = env.clock.Now() + kLogSaveDays;
  LoadPosition();
  main_.Net = this;
}

Tnet::~Tnet() {
  TimeOutAbort.reset();
  if (main_.Net == this) main_.Net = nullptr;
  for (Slot& slot : slots_) {
    slot.client.reset();
    CloseFile(slot);
  }
}

void Tnet::BuildWindow() {
  Component& form = model_.Add("net", ComponentKind::kForm);
  form.SetCaption("Network Status");
  form.SetBounds(kDefaultBounds);
  Component& menu = model_.Add("NetMenu", ComponentKind::kMainMenu, &form);
  Component& tools = model_.Add("Tools1", ComponentKind::kMenu, &menu);
  tools.SetCaption("Tools");
  // Both items are there for the people who built the window; they do nothing.
  model_.Add("ShowStats1", ComponentKind::kMenuItem, &tools).SetCaption("Show Stats");
  model_.Add("TurnoffDebug1", ComponentKind::kMenuItem, &tools).SetCaption("Turn off Debug");
  for (const char* name : {"status", "httpList"}) {
    Component& list = model_.Add(name, ComponentKind::kListBox, &form);
    list.font.family = "Courier New";
    list.font.height_px = 12;
  }
  model_["status"].SetBounds({0, 0, 300, 216});
  model_["httpList"].SetBounds({0, 218, 300, 146});
  model_["status"].SetHint("Requests");
  model_["httpList"].SetHint("Clients");
}

void Tnet::LoadPosition() {
  IniFile ini(main_.SettingsReadPath());
  Bounds b;
  b.top = ini.ReadInteger(kSection, "Top", kDefaultBounds.top);
  b.left = ini.ReadInteger(kSection, "Left", kDefaultBounds.left);
  b.width = ini.ReadInteger(kSection, "Width", kDefaultBounds.width);
  b.height = ini.ReadInteger(kSection, "Height", kDefaultBounds.height);
  model_["net"].SetBounds(b);
}

void Tnet::FormClose() {
  // Through the main window's settings writer: in order with its saves, off the window's thread.
  const Bounds& b = model_["net"].GetBounds();
  main_.SaveSettingsValues({{kSection, "Left", std::to_string(b.left)},
                            {kSection, "Top", std::to_string(b.top)},
                            {kSection, "Width", std::to_string(b.width)},
                            {kSection, "Height", std::to_string(b.height)}});
}

void Tnet::FormKeyEscape() {
  if (OnCloseRequest) OnCloseRequest();
}

void Tnet::Log(const std::string& message) {
  try {
    model_["status"].AddLine(FormatDateTime("hhmm:ss", main_.Env().clock.Now()) + " - " +
                             message);
  } catch (...) {
    // The log is a convenience; losing a line must never end a request.
  }
}

void Tnet::Touch(Slot& slot) { slot.deadline = main_.Env().clock.Now() + kInactivityDays; }

void Tnet::ShowSlots() {
  std::vector<std::string> view;
  for (int i = 0; i < kSlots; ++i) {
    const Slot& slot = slots_[i];
    std::string line = std::to_string(i + 1) + ": ";
    if (slot.flags != kFree)
      line += "$" + Hex2(slot.flags) + " " + std::to_string(slot.client->StatusCode());
    view.push_back(line);
  }
  model_["httpList"].SetLines(std::move(view));
}

void Tnet::TimeOutAbortTimer() {
  DateTime now = main_.Env().clock.Now();
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = slots_[i];
    if (slot.flags == kFree || now <= slot.deadline) continue;
    CloseFile(slot);
    Log("[" + std::to_string(i + 1) + "] ABORTED by timeout");
    if (slot.in_flight) {
      // The client's end (Error 3) frees the slot and calls the requester back; until then the
      // slot stays taken, so no new request can be handed the old one's completion.
      slot.deadline = now + kInactivityDays;
      slot.client->Abort();
    } else {
      slot.flags = kFree;  // a start that failed: nobody waits for it
      slot.callback = nullptr;
    }
  }
  ShowSlots();
  if (main_.Debug && now > next_log_save_) {
    next_log_save_ = now + kLogSaveDays;
    std::string text;
    for (const std::string& line : model_["status"].Lines()) text += line + "\n";
    try {
      WriteFileAtomically(main_.Env().LogDir() + kNetLogFileName, text);
    } catch (...) {
      // A log that cannot be saved is not worth interrupting anyone for.
    }
  }
  RestWhenIdle();
}

}  // namespace kivo
