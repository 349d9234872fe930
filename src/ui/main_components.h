// The main window's components as the designer laid them out: the form "Form1", its menu tree
// and every control, with captions, hints, bounds, fonts and the names assistive technology
// reads. Used by the window and by anything that decodes the camera the way the window shows it.
// Loop thread only (it builds into a model).
#pragma once

namespace kivo {

class Component;
class ComponentModel;

// Adds "Form1" and everything under it to |model|, which must not hold any of those names yet.
// Returns the form.
Component& BuildMainComponents(ComponentModel& model);

}  // namespace kivo
