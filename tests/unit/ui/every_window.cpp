#include "ui/every_window.h"

#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>

namespace kivo::testing {
namespace {

// A 16 x 12 picture, baseline JPEG as cameras write them.
const std::string& Jpeg() {
  static const std::string jpeg(
      "\xff\xd8\xff\xe0\x00\x10\x4a\x46\x49\x46\x00\x01\x01\x00\x00\x01\x00\x01\x00\x00\xff\xdb"
      "\x00\x43\x00\x0d\x09\x0a\x0b\x0a\x08\x0d\x0b\x0a\x0b\x0e\x0e\x0d\x0f\x13\x20\x15\x13\x12"
      "\x12\x13\x27\x1c\x1e\x17\x20\x2e\x29\x31\x30\x2e\x29\x2d\x2c\x33\x3a\x4a\x3e\x33\x36\x46"
      "\x37\x2c\x2d\x40\x57\x41\x46\x4c\x4e\x52\x53\x52\x32\x3e\x5a\x61\x5a\x50\x60\x4a\x51\x52"
      "\x4f\xff\xdb\x00\x43\x01\x0e\x0e\x0e\x13\x11\x13\x26\x15\x15\x26\x4f\x35\x2d\x35\x4f\x4f"
      "\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f"
      "\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f\x4f"
      "\x4f\x4f\x4f\x4f\xff\xc0\x00\x11\x08\x00\x0c\x00\x10\x03\x01\x22\x00\x02\x11\x01\x03\x11"
      "\x01\xff\xc4\x00\x16\x00\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x05\x06\xff\xc4\x00\x19\x10\x00\x01\x05\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x02\x12\x14\x51\x61\xff\xc4\x00\x15\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x00\x00\x00\x00\x05\x06\xff\xc4\x00\x17\x11\x00\x03\x01\x00\x00\x00\x00\x00"
      "\x00\x00\x00\x00\x00\x00\x00\x00\x00\x03\x15\x16\xff\xda\x00\x0c\x03\x01\x00\x02\x11\x03"
      "\x11\x00\x3f\x00\xcb\x48\xd1\x23\x49\xaf\x55\x87\xaa\xca\x3c\xfa\x85\x6d\xb0\xff\xd9",
      307);
  return jpeg;
}

// No default: a new kind fails to compile (-Werror=switch) until the tests change it too.
void ChangeOne(Component& c, int round) {
  const std::string mark = " " + std::to_string(round);
  switch (c.Kind()) {
    case ComponentKind::kForm:
    case ComponentKind::kStatusBar:
      c.SetCaption(c.Caption() + mark);
      return;
    case ComponentKind::kMainMenu:
      return;
    case ComponentKind::kMenuItem:
      if (c.check_group.empty()) c.SetChecked(!c.Checked());  // groups: see Change()
      [[fallthrough]];
    case ComponentKind::kMenu:
    case ComponentKind::kBitBtn:
    case ComponentKind::kSpeedButton:
    case ComponentKind::kButton:
    case ComponentKind::kLabel:
    case ComponentKind::kGroupBox:
      c.SetCaption(c.Caption() + mark);
      c.SetEnabled(!c.Enabled());
      break;
    case ComponentKind::kSeparator:
    case ComponentKind::kPanel:
      break;
    case ComponentKind::kListBox:
      c.AddLine("line" + mark);
      break;
    case ComponentKind::kFileList: {
      // The first round fills the list; later ones change rows in place, as a download does.
      std::vector<std::string> rows;
      // As many cells as the list has columns, the last one changing.
      for (int i = 0; i < 4; ++i) {
        std::string row = "GOPR000" + std::to_string(i) + ".JPG";
        for (std::size_t k = 1; k + 1 < c.columns.size(); ++k) row += "\tcell " + std::to_string(k);
        rows.push_back(row + "\t" + (round > 1 ? std::to_string(10 * round) + "%" : ""));
      }
      if (round == 1) {
        c.SetLines(rows);
      } else {
        for (std::size_t i = 0; i < rows.size(); ++i) c.SetLine(i, rows[i]);
      }
      c.SetSelection(round % 2 ? std::vector<int>{0, 2} : std::vector<int>{3});
      c.SetEnabled(round % 2 == 0);
      break;
    }
    case ComponentKind::kProgressBar:
      c.SetValue(250 * round % 1001);
      c.SetCaption("File" + mark);
      break;
    case ComponentKind::kPicture:
      c.SetData(round % 2 ? Jpeg() : std::string());
      c.SetCaption(round % 2 ? "" : "No picture");
      break;
  }
  // Every third control hides (its children stay as they are), and shows again next round.
  if (std::hash<std::string>()(c.Name()) % 3 == 0) c.SetVisible(!c.Visible());
}

}  // namespace

EveryWindow::EveryWindow(EventLoop& loop) {
  std::random_device seed;
  std::mt19937_64 random(seed());
  for (int attempt = 0; attempt < 100 && dir_.empty(); ++attempt) {
    const auto candidate = std::filesystem::temp_directory_path() /
                           ("kivo-windows-" + std::to_string(random() % 1000000000));
    std::error_code error;
    if (std::filesystem::create_directory(candidate, error))
      dir_ = candidate.generic_string() + "/";
  }
  if (dir_.empty()) throw std::runtime_error("no temporary folder");
  form_ = std::make_unique<TForm1>(
      FormEnvironment{loop, clock_, dialogs_, shell_, dir_, "/usr/bin/vlc"});
  form_->FormCreate();
  net_ = std::make_unique<Tnet>(*form_);
  browse_ = std::make_unique<TBrowseForm>(*form_);
  cameras_ = std::make_unique<TCamerasForm>(*form_);
}

EveryWindow::~EveryWindow() {
  cameras_.reset();
  browse_.reset();
  net_.reset();
  form_.reset();
  std::error_code error;
  std::filesystem::remove_all(dir_, error);
}

std::vector<EveryWindow::Window> EveryWindow::Windows() {
  return {{&form_->Model(), "Form1", "MainMenu1"},
          {&browse_->Model(), "Browse", "BrowseMenu"},
          {&net_->Model(), "net", "NetMenu"},
          {&cameras_->Model(), "Cameras", "CamerasMenu"}};
}

void EveryWindow::Change() {
  ++round_;
  for (const Window& w : Windows()) {
    std::map<std::string, std::vector<Component*>> groups;
    for (const auto& c : w.model->All()) {
      ChangeOne(*c, round_);
      if (!c->check_group.empty()) groups[c->check_group].push_back(c.get());
    }
    // Exclusive choices: another one of each set is the checked one.
    for (auto& [name, members] : groups) {
      for (std::size_t i = 0; i < members.size(); ++i)
        members[i]->SetChecked(i == static_cast<std::size_t>(round_) % members.size());
    }
  }
}

std::string Lines(const std::vector<std::string>& differences) {
  std::string text;
  for (const std::string& d : differences) text += d + "\n";
  return text;
}

}  // namespace kivo::testing
