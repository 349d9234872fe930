#include "ui/main_components.h"

#include "ui/component.h"
#include "ui/control_table.h"
#include "ui/menu_table.h"

namespace kivo {

Component& BuildMainComponents(ComponentModel& model) {
  Component& form = model.Add("Form1", ComponentKind::kForm);
  form.SetCaption("Kivo");
  form.SetBounds({564, 110, kDesignedWidth, kDesignedHeight});
  form.min_width = kMinimumWidth;
  form.min_height = kMinimumHeight;
  AddMainMenu(model, &form);
  for (const ControlSpec& s : MainControlTable()) {
    Component* parent = *s.parent ? &model.Get(s.parent) : &form;
    Component& c = model.Add(s.name, s.kind, parent);
    c.SetCaption(s.caption);
    c.SetHint(s.hint);
    c.SetBounds(s.bounds);
    c.font = s.font;
    c.color = s.color;
    c.SetFontColor(s.font_color);
    c.SetEnabled(s.enabled);
  }
  for (const AccessibleSpec& a : AccessibleTable()) {
    model[a.name].caption_label = a.caption_label;
    model[a.name].accessible_name = a.own_name;
  }
  return form;
}

}  // namespace kivo
