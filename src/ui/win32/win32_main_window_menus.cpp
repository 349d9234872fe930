// The Win32 main window's menus: the menu bar and its popups built from the model, each popup
// refilled from the model as it opens (Win32 menus have no hidden items), the bar kept in step
// with the model without disturbing an open menu, the accelerators, and menu items chosen as
// the user would. UI thread only.
#include "ui/win32/win32_main_window.h"

#include <vector>

#include "platform/win32/wide_text.h"
#include "ui/win32/short_cut.h"

namespace kivo {
namespace {

using win32::Wide;

constexpr UINT kFirstCommand = 1000;

}  // namespace

void Win32MainWindow::BuildMenus(Component& main_menu) {
  main_menu_ = &main_menu;
  menu_bar_ = CreateMenu();
  for (Component* top : main_menu.Children()) {
    HMENU popup = CreatePopupMenu();
    popups_[popup] = top;
    popup_of_[top] = popup;
    BuildMenu(popup, *top);
  }
  FillMenuBar();
}

void Win32MainWindow::BuildMenu(HMENU menu, Component& parent) {
  for (Component* item : parent.Children()) {
    if (item->Kind() == ComponentKind::kMenu) {
      HMENU sub = CreatePopupMenu();
      popups_[sub] = item;
      popup_of_[item] = sub;
      BuildMenu(sub, *item);
    } else {  // items, and separators so that each entry can be found again
      const UINT id = kFirstCommand + static_cast<UINT>(by_command_.size());
      by_command_[id] = item;
      command_of_[item] = id;
    }
  }
  FillMenu(menu);
}

// Win32 menus have no hidden items, so a menu is refilled from the model each time it opens.
void Win32MainWindow::FillMenu(HMENU menu) {
  Component* parent = popups_[menu];
  while (GetMenuItemCount(menu) > 0) RemoveMenu(menu, 0, MF_BYPOSITION);
  for (Component* item : parent->Children()) {
    if (!item->Visible()) continue;
    const UINT grayed = item->Enabled() ? 0 : MF_GRAYED;
    if (item->Kind() == ComponentKind::kSeparator) {
      AppendMenuW(menu, MF_SEPARATOR, command_of_[item], nullptr);
    } else if (item->Kind() == ComponentKind::kMenu) {
      AppendMenuW(menu, MF_POPUP | grayed, reinterpret_cast<UINT_PTR>(popup_of_[item]),
                  Wide(item->Caption()).c_str());
    } else {
      std::string text = item->Caption();
      if (!item->short_cut.empty()) text += "\t" + item->short_cut;
      AppendMenuW(menu, MF_STRING | grayed | (item->Checked() ? MF_CHECKED : 0),
                  command_of_[item], Wide(text).c_str());
      if (!item->check_group.empty()) {  // one of exclusive choices: Windows' radio bullet
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE;
        info.fType = MFT_STRING | MFT_RADIOCHECK;
        SetMenuItemInfoW(menu, command_of_[item], FALSE, &info);
      }
    }
  }
}

// The menu bar follows the model by changing only what changed: a menu greyed or enabled is
// that entry's state, set in place. Windows tracks the bar's entries while a menu is open (from
// the keyboard or the mouse), and removing them under it leaves the menu loop spinning; so a
// change of which menus show, or of their captions, waits for the loop to end, as does the
// redrawing of the bar.
void Win32MainWindow::FillMenuBar() {
  std::vector<Component*> shown;
  for (Component* top : main_menu_->Children()) {
    if (top->Visible()) shown.push_back(top);
  }
  bool same = GetMenuItemCount(menu_bar_) == static_cast<int>(shown.size()) &&
              bar_captions_.size() == shown.size();
  for (size_t i = 0; same && i < shown.size(); ++i) {
    same = GetSubMenu(menu_bar_, static_cast<int>(i)) == popup_of_[shown[i]] &&
           bar_captions_[i] == shown[i]->Caption();
  }
  if (same) {
    bool changed = false;
    for (size_t i = 0; i < shown.size(); ++i) {
      const UINT position = static_cast<UINT>(i);
      const bool grayed = (GetMenuState(menu_bar_, position, MF_BYPOSITION) & MF_GRAYED) != 0;
      if (grayed == !shown[i]->Enabled()) continue;
      EnableMenuItem(menu_bar_, position,
                     MF_BYPOSITION | (shown[i]->Enabled() ? MF_ENABLED : MF_GRAYED));
      changed = true;
    }
    if (changed) RedrawMenuBar();
    return;
  }
  if (in_menu_loop_) {
    menu_bar_stale_ = true;
    return;
  }
  while (GetMenuItemCount(menu_bar_) > 0) RemoveMenu(menu_bar_, 0, MF_BYPOSITION);
  bar_captions_.clear();
  for (Component* top : shown) {
    AppendMenuW(menu_bar_, MF_POPUP | (top->Enabled() ? 0 : MF_GRAYED),
                reinterpret_cast<UINT_PTR>(popup_of_[top]), Wide(top->Caption()).c_str());
    bar_captions_.push_back(top->Caption());
  }
  RedrawMenuBar();
}

void Win32MainWindow::RedrawMenuBar() {
  if (in_menu_loop_) {
    menu_bar_stale_ = true;
  } else if (window_ != nullptr) {
    DrawMenuBar(window_);
  }
}

void Win32MainWindow::BuildAccelerators() {
  std::vector<ACCEL> table;
  for (const auto& [item, id] : command_of_) {
    ACCEL accel{};
    if (item->short_cut.empty() || !win32::ParseShortCut(item->short_cut, &accel)) continue;
    accel.cmd = static_cast<WORD>(id);
    table.push_back(accel);
  }
  if (!table.empty())
    accelerators_ = CreateAcceleratorTableW(table.data(), static_cast<int>(table.size()));
}

bool Win32MainWindow::UserCanChoose(const Component& item) const {
  for (const Component* c = &item; c != nullptr && c != main_menu_; c = c->Parent()) {
    if (!c->Visible() || !c->Enabled()) return false;
  }
  return true;
}

bool Win32MainWindow::ChooseMenuItem(const std::string& name) {
  Component* item = model_.Find(name);
  if (item == nullptr || !command_of_.count(item) || !UserCanChoose(*item)) return false;
  SendMessageW(window_, WM_COMMAND, MAKEWPARAM(command_of_[item], 0), 0);
  return true;
}

}  // namespace kivo
