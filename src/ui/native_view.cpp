#include "ui/native_view.h"

#include <map>
#include <type_traits>

namespace kivo {
namespace {

enum Check : unsigned {
  kCaption = 1u << 0,
  kEnabled = 1u << 1,
  kVisible = 1u << 2,
  kChecked = 1u << 3,
  kItems = 1u << 4,
  kColumns = 1u << 5,
  kSelection = 1u << 6,
  kValue = 1u << 7,
  kPicture = 1u << 8,
};

constexpr unsigned kControl = kEnabled | kVisible;

// What a renderer must show of each kind. No default: a new kind fails to compile (with
// -Werror=switch) until it is given its checks here.
unsigned ChecksFor(ComponentKind kind) {
  switch (kind) {
    case ComponentKind::kForm:
    case ComponentKind::kStatusBar:
      return kCaption;
    case ComponentKind::kMainMenu:
      return 0;
    case ComponentKind::kMenu:
      return kCaption | kControl;
    case ComponentKind::kMenuItem:
      return kCaption | kControl | kChecked;
    case ComponentKind::kSeparator:
      return kVisible;
    case ComponentKind::kBitBtn:
    case ComponentKind::kSpeedButton:
    case ComponentKind::kButton:
    case ComponentKind::kLabel:
    case ComponentKind::kGroupBox:
      return kCaption | kControl;
    case ComponentKind::kPanel:
      return kControl;
    case ComponentKind::kListBox:
      return kItems | kControl;
    case ComponentKind::kFileList:
      return kItems | kColumns | kSelection | kControl;
    case ComponentKind::kProgressBar:
      return kCaption | kValue | kControl;
    case ComponentKind::kPicture:
      return kCaption | kPicture | kControl;
  }
  return 0;
}

bool IsMenuEntry(ComponentKind kind) {
  return kind == ComponentKind::kMenu || kind == ComponentKind::kMenuItem ||
         kind == ComponentKind::kSeparator;
}

template <typename T>
std::string Joined(const std::vector<T>& values) {
  std::string text;
  for (const T& v : values) {
    if (!text.empty()) text += " | ";
    if constexpr (std::is_same_v<T, std::string>) {
      text += v;
    } else {
      text += std::to_string(v);
    }
  }
  return "[" + text + "]";
}

}  // namespace

std::vector<std::string> CompareWithModel(const ComponentModel& model,
                                          const std::vector<NativeControl>& shown) {
  std::map<std::string, const NativeControl*> by_name;
  for (const NativeControl& n : shown) by_name[n.component] = &n;
  std::vector<std::string> differences;
  for (const auto& owned : model.All()) {
    const Component& c = *owned;
    auto it = by_name.find(c.Name());
    if (it == by_name.end() || it->second->native_class.empty()) {
      differences.push_back(c.Name() + ": no native control");
      continue;
    }
    const NativeControl& n = *it->second;
    unsigned checks = ChecksFor(c.Kind());
    // A hidden menu entry is not in the menu at all: there is nothing more to read.
    if (IsMenuEntry(c.Kind()) && !c.Visible() && !n.visible) checks = 0;
    auto differ = [&](const char* what, const std::string& want, const std::string& have) {
      differences.push_back(c.Name() + " (" + n.native_class + ") " + what + ": model \"" +
                            want + "\", shown \"" + have + "\"");
    };
    auto flag = [](bool b) { return std::string(b ? "1" : "0"); };
    if ((checks & kCaption) && n.caption != c.Caption()) differ("caption", c.Caption(), n.caption);
    if ((checks & kEnabled) && n.enabled != c.Enabled())
      differ("enabled", flag(c.Enabled()), flag(n.enabled));
    if ((checks & kVisible) && n.visible != c.Visible())
      differ("visible", flag(c.Visible()), flag(n.visible));
    if ((checks & kChecked) && n.checked != c.Checked())
      differ("checked", flag(c.Checked()), flag(n.checked));
    if ((checks & kItems) && n.items != c.Lines())
      differ("items", Joined(c.Lines()), Joined(n.items));
    if ((checks & kColumns) && n.columns != c.columns)
      differ("columns", Joined(c.columns), Joined(n.columns));
    if ((checks & kSelection) && n.selection != c.Selection())
      differ("selection", Joined(c.Selection()), Joined(n.selection));
    if ((checks & kValue) && n.value != c.Value())
      differ("value", std::to_string(c.Value()), std::to_string(n.value));
    if ((checks & kPicture) && n.shows_picture != !c.Data().empty())
      differ("picture", flag(!c.Data().empty()), flag(n.shows_picture));
  }
  return differences;
}

}  // namespace kivo
