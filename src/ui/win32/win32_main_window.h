// Renders a ComponentModel as a Win32 main window: the menu bar (check marks and radio bullets,
// accelerators, shortcut texts, hints on the status bar), buttons, labels, coloured group boxes
// and panels, list box and status bar. Mirrors every property change of the model and forwards
// clicks, menu openings, moves, resizes and the close request back to it. The model's bounds
// are 96-dpi pixels, scaled by the window's DPI (and again when it moves to another monitor);
// Tab, Space and Enter work the buttons; controls carry the names assistive technology reads.
// UI thread only; the thread's event loop (PollEventLoop) pumps its messages.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/component.h"
#include "ui/form_window.h"
#include "ui/native_view.h"

namespace kivo {

class Win32Control;

class Win32MainWindow : public FormWindow {
 public:
  // |form| names the kForm component whose caption and bounds are the window's; |main_menu|
  // the kMainMenu component whose children are the menu bar's menus.
  Win32MainWindow(ComponentModel& model, const std::string& form, const std::string& main_menu);
  ~Win32MainWindow() override;
  Win32MainWindow(const Win32MainWindow&) = delete;
  Win32MainWindow& operator=(const Win32MainWindow&) = delete;

  HWND Handle() const { return window_; }

  // on_close runs when the user (or the system, at logoff) closes the window, before it goes
  // away (or, with hide_on_close, is hidden).
  bool hide_on_close = false;
  void OnEscape(std::function<void()> handler) override { on_escape_ = std::move(handler); }

  void ShowForm() override;
  void Close() override;
  void Raise() override { SetForegroundWindow(window_); }
  bool Shown() const override { return window_ != nullptr && IsWindowVisible(window_); }
  // Chooses the menu item |name| as the user would (it must be visible and enabled, with every
  // menu above it): the item's command goes through the window's own command message.
  bool ChooseMenuItem(const std::string& name);
  // Saves the window as it is on screen to a 24-bit BMP file.
  bool SaveScreenshot(const std::string& path);
  // The text the status bar control shows.
  std::string StatusBarText() const;
  // The name of the component whose control has the keyboard focus ("" for none).
  std::string FocusedName() const;
  // Called with a component's name whenever the user clicks it (mouse or keyboard).
  std::function<void(const std::string&)> on_click_trace;

  // What each component shows, read back from its native control or menu entry (menus are
  // refilled first, as opening them does). win32_main_window_controls.cpp.
  std::vector<NativeControl> Inspect();
  // Every shown control's name and place on the screen, read from its native window.
  std::vector<std::pair<std::string, RECT>> ControlRects() const;
  // Presses the button |name| as the user would; false when it is hidden or disabled.
  bool ClickControl(const std::string& name);
  // Selects |rows| of the list |name| as the user would (the model hears of it once the list
  // has settled); false when the list cannot be used.
  bool SelectRows(const std::string& name, const std::vector<int>& rows);

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM w, LPARAM l);
  static LRESULT CALLBACK BoxProc(HWND window, UINT message, WPARAM w, LPARAM l);
  LRESULT Handle(HWND window, UINT message, WPARAM w, LPARAM l);
  void BuildMenus(Component& main_menu);
  void BuildMenu(HMENU menu, Component& parent);
  void FillMenu(HMENU menu);
  void FillMenuBar();
  void RedrawMenuBar();
  void BuildAccelerators();
  void BuildControls();
  HWND BuildControl(Component& c, HWND parent);
  void Apply(Component& c, Property what);
  void ApplyAll(Component& c);
  void StoreGeometry();
  void DrawButton(const DRAWITEMSTRUCT& item);
  HFONT FontFor(const Component& c);
  HBRUSH BrushFor(Rgb color);
  bool UserCanChoose(const Component& item) const;
  bool FilterMessage(MSG& message);
  void LayOutStatusBar();
  void SetHint(Component& c, HWND control);
  // The file list, progress bar and picture (win32_main_window_controls.cpp).
  HWND BuildOwnControl(Component& c, HWND parent);
  bool NotifyOwnControl(const NMHDR& header, LRESULT* result);
  NativeControl InspectControl(const Component& c, HWND control) const;
  NativeControl InspectMenuEntry(const Component& c) const;
  // DPI: the window's size for the form's bounds, and every control placed and lettered anew.
  int Px(int design) const;
  RECT WindowRectFor(const Bounds& b) const;
  Bounds FormBoundsOf(const RECT& window) const;
  void PlaceControl(Component& c);
  // The screen (win32_main_window_layout.cpp): the window inside the work area of its monitor,
  // the controls of a window without a minimum size of its own following its edges, and the
  // file list's columns filling its width.
  RECT Fitted(const RECT& window) const;
  void SetUpFitting();
  void FollowEdges();
  void FitListColumns(Component& c, HWND list);
  void ApplyDpi(int dpi);
  // Keyboard: Tab and Shift+Tab move between the buttons, Enter presses the focused one.
  bool HandleKey(const MSG& message);
  void FocusFirst();
  void SetAccessibleName(Component& c);
  void ShowMenuHint(WPARAM w, LPARAM l);
  void UpdateListWidth(Component& c, HWND list, size_t first);

  ComponentModel& model_;
  Component& form_;
  Component* main_menu_ = nullptr;
  int observer_ = 0;
  int filter_ = 0;
  std::function<void()> on_escape_;
  bool applying_geometry_ = false;
  int dpi_ = 96;
  bool follows_edges_ = false;          // the controls follow the window's edges
  Bounds design_;                       // the form's bounds they were laid out for
  int min_width_ = 0, min_height_ = 0;  // the smallest the window may be, in 96-dpi pixels
  HWND focus_ = nullptr;          // the control to give the focus back to on activation
  HWND window_ = nullptr;
  HWND status_bar_ = nullptr;
  HWND tooltips_ = nullptr;
  bool hints_active_ = false;    // the pointer has moved since the window was shown
  DWORD pointer_at_show_ = 0;    // where it was then, as GetMessagePos() gives it
  HMENU menu_bar_ = nullptr;
  std::vector<std::string> bar_captions_;  // the menu bar's entries as last filled
  bool in_menu_loop_ = false;   // a menu is open: Windows is tracking the bar
  bool menu_bar_stale_ = false;  // the bar changed while it was tracked
  HACCEL accelerators_ = nullptr;
  std::map<const Component*, HWND> controls_;
  std::map<HWND, Component*> by_window_;
  std::map<HMENU, Component*> popups_;        // every menu that holds items
  std::map<const Component*, HMENU> popup_of_;
  std::map<UINT, Component*> by_command_;     // menu items by command id
  std::map<const Component*, UINT> command_of_;
  std::map<std::string, HFONT> fonts_;   // for the current DPI
  std::map<HWND, int> list_widths_;      // a list box's widest line, in pixels
  std::map<std::uint32_t, HBRUSH> brushes_;
  std::map<const Component*, std::unique_ptr<Win32Control>> own_controls_;
};

}  // namespace kivo
