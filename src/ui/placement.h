// A window's controls as a table - name, kind, caption, place and the handler a click runs -
// and the one loop that adds them to the window's model. Loop thread only.
#pragma once

#include <cstddef>

#include "ui/component.h"

namespace kivo {

template <typename Form>
struct Placement {
  const char* name;
  ComponentKind kind;
  const char* caption;
  Bounds bounds;
  void (Form::*click)();  // nullptr: a click does nothing
};

// Adds every control of |places| under |parent|, in order; a click runs its handler on |form|.
template <typename Form, std::size_t N>
void AddPlaced(ComponentModel& model, Component& parent, const Placement<Form> (&places)[N],
               Form* form) {
  for (const Placement<Form>& p : places) {
    Component& c = model.Add(p.name, p.kind, &parent);
    c.SetCaption(p.caption);
    c.SetBounds(p.bounds);
    if (p.click) {
      auto click = p.click;
      c.OnClick = [form, click] { (form->*click)(); };
    }
  }
}

}  // namespace kivo
