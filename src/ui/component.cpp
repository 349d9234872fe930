#include "ui/component.h"

#include <exception>
#include <stdexcept>

namespace kivo {

Component::Component(ComponentModel& model, std::string name, ComponentKind kind,
                     Component* parent)
    : model_(model), name_(std::move(name)), kind_(kind), parent_(parent) {
  if (parent_) parent_->children_.push_back(this);
}

void Component::Changed(Property what) { model_.Notify(*this, what); }

void Component::SetCaption(std::string caption) {
  if (caption == caption_) return;
  caption_ = std::move(caption);
  Changed(Property::kCaption);
}

void Component::SetChecked(bool checked) {
  if (checked == checked_) return;
  checked_ = checked;
  Changed(Property::kChecked);
}

void Component::SetEnabled(bool enabled) {
  if (enabled == enabled_) return;
  enabled_ = enabled;
  Changed(Property::kEnabled);
}

void Component::SetVisible(bool visible) {
  if (visible == visible_) return;
  visible_ = visible;
  Changed(Property::kVisible);
}

void Component::SetHint(std::string hint) {
  if (hint == hint_) return;
  hint_ = std::move(hint);
  Changed(Property::kHint);
}

void Component::SetFontColor(Rgb color) {
  if (color == font_color_) return;
  font_color_ = color;
  Changed(Property::kFontColor);
}

void Component::SetLines(std::vector<std::string> lines) {
  if (lines == lines_) return;
  lines_ = std::move(lines);
  Changed(Property::kLines);
}

void Component::AddLine(std::string line) {
  lines_.push_back(std::move(line));
  Changed(Property::kLines);
}

void Component::SetLine(std::size_t row, std::string line) {
  if (row >= lines_.size() || lines_[row] == line) return;
  lines_[row] = std::move(line);
  changed_line_ = row;
  Changed(Property::kLine);
}

void Component::SetBounds(Bounds bounds) {
  if (bounds == bounds_) return;
  bounds_ = bounds;
  Changed(Property::kBounds);
}

void Component::SetValue(int value) {
  if (value == value_) return;
  value_ = value;
  Changed(Property::kValue);
}

void Component::SetData(std::string data) {
  if (data == data_) return;
  data_ = std::move(data);
  Changed(Property::kData);
}

void Component::SetSelection(std::vector<int> rows) {
  if (rows == selection_) return;
  selection_ = std::move(rows);
  Changed(Property::kSelection);
}

Component& ComponentModel::Add(std::string name, ComponentKind kind, Component* parent) {
  if (Find(name)) throw std::logic_error("duplicate component name " + name);
  components_.push_back(std::make_unique<Component>(*this, std::move(name), kind, parent));
  return *components_.back();
}

Component* ComponentModel::Find(std::string_view name) const {
  for (const auto& c : components_)
    if (c->Name() == name) return c.get();
  return nullptr;
}

Component& ComponentModel::Get(std::string_view name) const {
  Component* c = Find(name);
  if (!c) throw std::out_of_range("no component named " + std::string(name));
  return *c;
}

int ComponentModel::Subscribe(Observer observer) {
  int id = next_observer_id_++;
  observers_.emplace_back(id, std::move(observer));
  return id;
}

void ComponentModel::Unsubscribe(int id) {
  std::erase_if(observers_, [id](const auto& entry) { return entry.first == id; });
}

void ComponentModel::Notify(Component& component, Property what) {
  // Copy: an observer may subscribe or unsubscribe while being notified.
  auto observers = observers_;
  for (auto& [id, observer] : observers) observer(component, what);
}

void ComponentModel::Dispatch(const std::function<void()>& handler) {
  if (!handler) return;
  try {
    handler();
  } catch (const std::exception& e) {
    if (OnException) OnException(e.what());
  } catch (...) {
    if (OnException) OnException("Unknown error");
  }
}

void ComponentModel::Click(std::string_view name) {
  Component& c = Get(name);
  if (!c.Enabled() || !c.OnClick) return;
  auto handler = c.OnClick;  // the handler may replace OnClick while it runs
  Dispatch(handler);
}

void ComponentModel::Activate(std::string_view name) {
  Component& c = Get(name);
  if (!c.Enabled() || !c.OnActivate) return;
  auto handler = c.OnActivate;
  Dispatch(handler);
}

}  // namespace kivo
