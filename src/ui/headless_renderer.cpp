#include "ui/headless_renderer.h"

namespace kivo {
namespace {

// No default: a new kind fails to compile (-Werror=switch) until it is shown here.
const char* ClassOf(ComponentKind kind) {
  switch (kind) {
    case ComponentKind::kForm:
      return "form";
    case ComponentKind::kMainMenu:
      return "menu bar";
    case ComponentKind::kMenu:
      return "menu";
    case ComponentKind::kMenuItem:
      return "menu item";
    case ComponentKind::kSeparator:
      return "separator";
    case ComponentKind::kBitBtn:
    case ComponentKind::kSpeedButton:
    case ComponentKind::kButton:
      return "button";
    case ComponentKind::kLabel:
      return "label";
    case ComponentKind::kGroupBox:
      return "group box";
    case ComponentKind::kPanel:
      return "panel";
    case ComponentKind::kListBox:
      return "list box";
    case ComponentKind::kStatusBar:
      return "status bar";
    case ComponentKind::kFileList:
      return "file list";
    case ComponentKind::kProgressBar:
      return "progress bar";
    case ComponentKind::kPicture:
      return "picture";
  }
  return "";
}

constexpr Property kEveryProperty[] = {
    Property::kCaption, Property::kChecked, Property::kEnabled, Property::kVisible,
    Property::kHint,    Property::kFontColor, Property::kLines, Property::kBounds,
    Property::kValue,   Property::kData,      Property::kSelection};

}  // namespace

HeadlessRenderer::HeadlessRenderer(ComponentModel& model) : model_(model) {
  for (const auto& c : model_.All()) {
    NativeControl& shown = shown_[c.get()];
    shown.component = c->Name();
    shown.native_class = ClassOf(c->Kind());
    for (Property p : kEveryProperty) Mirror(*c, p);
  }
  observer_ = model_.Subscribe([this](Component& c, Property what) {
    Mirror(c, what);
    std::string value;
    switch (what) {
      case Property::kCaption:
        value = c.Caption();
        break;
      case Property::kChecked:
        value = c.Checked() ? "1" : "0";
        break;
      case Property::kEnabled:
        value = c.Enabled() ? "1" : "0";
        break;
      case Property::kVisible:
        value = c.Visible() ? "1" : "0";
        break;
      case Property::kHint:
        value = c.Hint();
        break;
      case Property::kLines:
        value = std::to_string(c.Lines().size());
        break;
      case Property::kLine:
        value = std::to_string(c.ChangedLine()) + ":" + c.Lines()[c.ChangedLine()];
        break;
      case Property::kValue:
        value = std::to_string(c.Value());
        break;
      case Property::kData:
        value = std::to_string(c.Data().size());
        break;
      case Property::kSelection:
        for (int row : c.Selection()) value += (value.empty() ? "" : ",") + std::to_string(row);
        break;
      case Property::kFontColor:
      case Property::kBounds:
        break;
    }
    transcript_.push_back({c.Name(), what, std::move(value)});
  });
}

HeadlessRenderer::~HeadlessRenderer() { model_.Unsubscribe(observer_); }

void HeadlessRenderer::Mirror(const Component& c, Property what) {
  auto it = shown_.find(&c);
  if (it == shown_.end()) return;  // added after the renderer was made: never shown
  NativeControl& shown = it->second;
  switch (what) {
    case Property::kCaption:
      shown.caption = c.Caption();
      break;
    case Property::kChecked:
      shown.checked = c.Checked();
      break;
    case Property::kEnabled:
      shown.enabled = c.Enabled();
      break;
    case Property::kVisible:
      shown.visible = c.Visible();
      break;
    case Property::kLines:
      shown.items = c.Lines();
      shown.columns = c.columns;
      break;
    case Property::kLine:
      if (c.ChangedLine() < shown.items.size()) {
        shown.items[c.ChangedLine()] = c.Lines()[c.ChangedLine()];
      } else {
        shown.items = c.Lines();
      }
      break;
    case Property::kValue:
      shown.value = c.Value();
      break;
    case Property::kData:
      shown.shows_picture = !c.Data().empty();
      break;
    case Property::kSelection:
      shown.selection = c.Selection();
      break;
    case Property::kHint:
    case Property::kFontColor:
    case Property::kBounds:
      break;
  }
}

std::vector<NativeControl> HeadlessRenderer::Inspect() const {
  std::vector<NativeControl> shown;
  for (const auto& c : model_.All()) {
    auto it = shown_.find(c.get());
    if (it != shown_.end()) shown.push_back(it->second);
  }
  return shown;
}

bool HeadlessRenderer::CanClick(std::string_view name) const {
  for (const Component* c = model_.Find(name); c; c = c->Parent()) {
    if (c->Kind() == ComponentKind::kForm || c->Kind() == ComponentKind::kMainMenu) break;
    if (!c->Visible() || !c->Enabled()) return false;
  }
  return model_.Find(name) != nullptr;
}

bool HeadlessRenderer::UserClick(std::string_view name) {
  if (!CanClick(name)) return false;
  model_.Click(name);
  return true;
}

bool HeadlessRenderer::OpenMenu(std::string_view name) {
  Component* menu = model_.Find(name);
  if (!menu || menu->Kind() != ComponentKind::kMenu || !CanClick(name)) return false;
  if (menu->OnClick) model_.Dispatch(menu->OnClick);
  return true;
}

std::vector<std::string> HeadlessRenderer::StatusHistory() const {
  std::vector<std::string> history;
  for (const Change& change : transcript_)
    if (change.component == "StatusBar" && change.property == Property::kCaption)
      history.push_back(change.value);
  return history;
}

}  // namespace kivo
