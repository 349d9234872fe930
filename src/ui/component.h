// Plain UI components (menus, items, buttons, labels, group boxes, list box, status bar) with
// the properties the window logic reads and writes. The model is the single source of truth:
// a renderer mirrors it and forwards user events back. Loop thread only.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace kivo {

class ComponentModel;

struct Rgb {
  std::uint8_t r = 0, g = 0, b = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

enum class ComponentKind {
  kForm,
  kMainMenu,
  kMenu,       // a menu that holds items (top-level menu or submenu)
  kMenuItem,
  kSeparator,
  kBitBtn,
  kSpeedButton,
  kButton,
  kLabel,
  kGroupBox,
  kPanel,
  kListBox,
  kStatusBar,
  kFileList,     // rows of tab-separated cells (Lines) under |columns|; Selection is the user's
  kProgressBar,  // Value 0..1000, Caption the text on the bar
  kPicture,      // Data: an encoded image (JPEG); Caption shown when there is none
};

// What changed, for observers.
enum class Property {
  kCaption,
  kChecked,
  kEnabled,
  kVisible,
  kHint,
  kFontColor,
  kLines,
  kLine,  // one row of Lines() replaced in place; its index is Component::ChangedLine()
  kBounds,
  kValue,
  kData,
  kSelection,
};

struct Bounds {
  int left = 0, top = 0, width = 0, height = 0;
  friend bool operator==(const Bounds&, const Bounds&) = default;
};

struct FontSpec {
  std::string family;  // empty: the form's font
  int height_px = 0;   // character height; 0: the form's
  bool bold = false;
};

class Component {
 public:
  Component(ComponentModel& model, std::string name, ComponentKind kind, Component* parent);
  Component(const Component&) = delete;
  Component& operator=(const Component&) = delete;

  const std::string& Name() const { return name_; }
  ComponentKind Kind() const { return kind_; }
  Component* Parent() const { return parent_; }
  const std::vector<Component*>& Children() const { return children_; }

  // Setters return early when nothing changes, and otherwise notify every observer.
  const std::string& Caption() const { return caption_; }
  void SetCaption(std::string caption);
  bool Checked() const { return checked_; }
  void SetChecked(bool checked);
  bool Enabled() const { return enabled_; }
  void SetEnabled(bool enabled);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  const std::string& Hint() const { return hint_; }
  void SetHint(std::string hint);
  Rgb FontColor() const { return font_color_; }
  void SetFontColor(Rgb color);
  const std::vector<std::string>& Lines() const { return lines_; }
  void SetLines(std::vector<std::string> lines);
  void AddLine(std::string line);
  // Per-row updates: SetLine replaces row |row| of Lines() (ignored when out of range or
  // unchanged) and notifies Property::kLine; during that notification ChangedLine() names the
  // row. A renderer redraws only that row, so the cost of one update does not grow with the
  // number of rows. SetLines stays the way to replace, add or remove rows (Property::kLines).
  void SetLine(std::size_t row, std::string line);
  std::size_t ChangedLine() const { return changed_line_; }
  const Bounds& GetBounds() const { return bounds_; }
  void SetBounds(Bounds bounds);
  int Value() const { return value_; }
  void SetValue(int value);
  const std::string& Data() const { return data_; }
  void SetData(std::string data);
  // Selected rows of a file list, ascending. A renderer sets it from the user's selection and
  // then clicks the list.
  const std::vector<int>& Selection() const { return selection_; }
  void SetSelection(std::vector<int> rows);

  // Design-time properties: set while the window is built, read by renderers.
  std::string short_cut;      // "Ctrl+W", "F1", "Alt+V" ...; empty for none
  std::optional<Rgb> color;   // background of group boxes and panels
  FontSpec font;
  std::vector<std::string> columns;  // a file list's column titles
  std::vector<int> column_widths;    // and their widths in pixels
  int min_width = 0, min_height = 0;  // forms: the smallest size the user may give the window
  // For assistive technology: the label naming a value label, or a name for a control that
  // shows no text of its own (renderers otherwise use the visible text).
  std::string caption_label;
  std::string accessible_name;
  // Menu items mirroring a camera setting: |check_group| names a set of exclusive choices
  // (radio items); |checkable| marks an on/off item. Others show a mark only when checked.
  std::string check_group;
  bool checkable = false;
  // Changes many times a second (a download's rate line): a renderer may paint only the latest
  // text every few frames, as it does for progress bars and the status bar.
  bool frequent = false;

  // User events. Handlers run through ComponentModel::Dispatch (see there).
  std::function<void()> OnClick;
  // A file list's row chosen to act on (a double-click, or Enter), after the selection has
  // reached the model.
  std::function<void()> OnActivate;

 private:
  void Changed(Property what);

  ComponentModel& model_;
  std::string name_;
  ComponentKind kind_;
  Component* parent_;
  std::vector<Component*> children_;
  std::string caption_;
  bool checked_ = false;
  bool enabled_ = true;
  bool visible_ = true;
  std::string hint_;
  Rgb font_color_{};
  std::vector<std::string> lines_;
  std::size_t changed_line_ = 0;
  Bounds bounds_{};
  int value_ = 0;
  std::string data_;
  std::vector<int> selection_;
};

class ComponentModel {
 public:
  using Observer = std::function<void(Component&, Property)>;

  ComponentModel() = default;
  ComponentModel(const ComponentModel&) = delete;
  ComponentModel& operator=(const ComponentModel&) = delete;

  // Adds a component; names are unique (a duplicate throws std::logic_error).
  Component& Add(std::string name, ComponentKind kind, Component* parent = nullptr);
  Component* Find(std::string_view name) const;
  // Like Find, but a missing name throws std::out_of_range naming it.
  Component& Get(std::string_view name) const;
  Component& operator[](std::string_view name) const { return Get(name); }
  // Every component in the order it was added.
  const std::vector<std::unique_ptr<Component>>& All() const { return components_; }

  int Subscribe(Observer observer);
  void Unsubscribe(int id);

  // The one place where events reach handlers: user clicks, timer ticks, network completions.
  // An exception that escapes |handler| is passed to OnException (the application's default
  // error handler, which shows its text in an error box) and goes no further.
  void Dispatch(const std::function<void()>& handler);
  // A click from the user: runs the component's OnClick through Dispatch. A click never changes
  // a check mark by itself; only handlers do.
  void Click(std::string_view name);
  // The user chose the selected row of a file list to act on: runs its OnActivate the same way.
  void Activate(std::string_view name);
  std::function<void(const std::string& message)> OnException;

 private:
  friend class Component;
  void Notify(Component& component, Property what);

  std::vector<std::unique_ptr<Component>> components_;
  std::vector<std::pair<int, Observer>> observers_;
  int next_observer_id_ = 1;
};

}  // namespace kivo
