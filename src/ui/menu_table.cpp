#include "ui/menu_table.h"

#include "ui/component.h"
#include "ui/main_menu_rows.h"

namespace kivo {

std::span<const MenuSpec> MainMenuTable() { return kMainMenuRows; }

const MenuSpec* FindMenuSpec(std::string_view name) {
  for (const MenuSpec& spec : kMainMenuRows)
    if (name == spec.name) return &spec;
  return nullptr;
}

bool IsMenu(std::string_view name) {
  for (const MenuSpec& spec : kMainMenuRows)
    if (name == spec.parent) return true;
  return false;
}

void AddMainMenu(ComponentModel& model, Component* form) {
  Component* top = model.Find(kMainMenuName);
  if (!top) top = &model.Add(kMainMenuName, ComponentKind::kMainMenu, form);
  for (const MenuSpec& spec : kMainMenuRows) {
    Component* parent =
        std::string_view(spec.parent) == kMainMenuName ? top : &model.Get(spec.parent);
    ComponentKind kind = ComponentKind::kMenuItem;
    if (std::string_view(spec.caption) == kSeparatorCaption)
      kind = ComponentKind::kSeparator;
    else if (IsMenu(spec.name))
      kind = ComponentKind::kMenu;
    Component& item = model.Add(spec.name, kind, parent);
    item.SetCaption(spec.caption);
    item.short_cut = spec.short_cut;
    item.SetHint(spec.hint);
    item.SetVisible(spec.visible);
    item.SetEnabled(spec.enabled);
  }
}

}  // namespace kivo
