#include "ui/every_window.h"

#include <filesystem>
#include <functional>
#include <map>
#include <random>
#include <stdexcept>

#include "jpeg_writer.h"

namespace kivo::testing {
namespace {

// A photo's thumbnail as the camera embeds it.
const std::string& Jpeg() {
  static const std::string jpeg = [] {
    camsim::PhotoSpec spec{{2015, 3, 1, 12, 0, 0}, 7, "HERO3"};
    spec.width_blocks = 20;
    spec.height_blocks = 15;
    return camsim::MakeJpeg(spec);
  }();
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
      // The first round fills the list; later ones change cells in place, as a download does.
      std::vector<std::string> rows;
      for (int i = 0; i < 4; ++i)
        rows.push_back("GOPR000" + std::to_string(i) + ".JPG\t2015-03-01 12:00\t2.1 MB\tPhoto\t" +
                       (round > 1 ? std::to_string(10 * round) + "%" : ""));
      c.SetLines(rows);
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
}

EveryWindow::~EveryWindow() {
  browse_.reset();
  net_.reset();
  form_.reset();
  std::error_code error;
  std::filesystem::remove_all(dir_, error);
}

std::vector<EveryWindow::Window> EveryWindow::Windows() {
  return {{&form_->Model(), "Form1", "MainMenu1"},
          {&browse_->Model(), "Browse", "BrowseMenu"},
          {&net_->Model(), "net", "NetMenu"}};
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
