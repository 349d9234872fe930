#include "ui/headless_renderer.h"

namespace kivo {

HeadlessRenderer::HeadlessRenderer(ComponentModel& model) : model_(model) {
  observer_ = model_.Subscribe([this](Component& c, Property what) {
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
