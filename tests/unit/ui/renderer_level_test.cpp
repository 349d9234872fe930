// Every window of the program through the headless renderer: each component is shown with the
// model's properties when the window is made and after two rounds of changes. And the
// comparison itself notices each kind of difference a renderer can make.
#include <gtest/gtest.h>

#include <memory>

#include "platform/poll_event_loop.h"
#include "ui/every_window.h"
#include "ui/headless_renderer.h"
#include "ui/native_view.h"

namespace kivo {
namespace {

using testing::EveryWindow;
using testing::Lines;

TEST(RendererLevel, HeadlessShowsEveryComponentOfEveryWindow) {
  PollEventLoop loop;
  EveryWindow windows(loop);
  std::vector<std::unique_ptr<HeadlessRenderer>> renderers;
  for (const auto& w : windows.Windows())
    renderers.push_back(std::make_unique<HeadlessRenderer>(*w.model));
  for (const char* when : {"as made", "after changes", "after more changes"}) {
    for (std::size_t i = 0; i < renderers.size(); ++i) {
      const EveryWindow::Window w = windows.Windows()[i];
      EXPECT_EQ(Lines(CompareWithModel(*w.model, renderers[i]->Inspect())), "")
          << w.form << " " << when;
    }
    windows.Change();
  }
}

// One property of one component shown wrongly is one difference, naming both.
TEST(RendererLevel, ComparisonNamesEachWrongProperty) {
  PollEventLoop loop;
  EveryWindow windows(loop);
  windows.Change();
  ComponentModel& browse = *windows.Windows()[1].model;
  HeadlessRenderer renderer(browse);
  const std::vector<NativeControl> right = renderer.Inspect();
  ASSERT_EQ(CompareWithModel(browse, right), std::vector<std::string>{});
  struct Fault {
    const char* component;
    void (*spoil)(NativeControl&);
    const char* expected;  // the start of the one difference
  };
  const Fault faults[] = {
      {"Browse", [](NativeControl& n) { n.caption = "Kivo"; }, "Browse (form) caption"},
      {"RefreshBtn", [](NativeControl& n) { n.enabled = !n.enabled; }, "RefreshBtn (button) enabled"},
      {"FolderLabel", [](NativeControl& n) { n.visible = !n.visible; },
       "FolderLabel (label) visible"},
      {"FileList", [](NativeControl& n) { n.items.pop_back(); }, "FileList (file list) items"},
      {"FileList", [](NativeControl& n) { n.items[1] += "x"; }, "FileList (file list) items"},
      {"FileList", [](NativeControl& n) { n.columns.clear(); }, "FileList (file list) columns"},
      {"FileList", [](NativeControl& n) { n.selection = {1}; }, "FileList (file list) selection"},
      {"FileProgress", [](NativeControl& n) { n.value = 0; }, "FileProgress (progress bar) value"},
      {"BatchProgress", [](NativeControl& n) { n.caption.clear(); },
       "BatchProgress (progress bar) caption"},
      {"Picture", [](NativeControl& n) { n.shows_picture = false; },
       "Picture (picture) picture"},
      {"BrowseStatus", [](NativeControl& n) { n.native_class.clear(); },
       "BrowseStatus: no native control"},
  };
  for (const Fault& fault : faults) {
    std::vector<NativeControl> shown = right;
    for (NativeControl& n : shown)
      if (n.component == fault.component) fault.spoil(n);
    const std::vector<std::string> differences = CompareWithModel(browse, shown);
    ASSERT_EQ(differences.size(), 1u) << fault.expected << "\n" << Lines(differences);
    EXPECT_EQ(differences[0].rfind(fault.expected, 0), 0u) << differences[0];
  }
  // A menu item's check mark counts; a hidden menu entry is compared on its visibility alone.
  ComponentModel& main = *windows.Windows()[0].model;
  main["Video1"].SetVisible(true);
  HeadlessRenderer main_renderer(main);
  std::vector<NativeControl> shown = main_renderer.Inspect();
  for (NativeControl& n : shown) {
    if (n.component == "Video1") n.checked = !n.checked;
    if (n.component == "AutoVAN") n.caption = "?";
  }
  main["AutoVAN"].SetVisible(false);
  for (NativeControl& n : shown)
    if (n.component == "AutoVAN") n.visible = false;
  const std::vector<std::string> differences = CompareWithModel(main, shown);
  ASSERT_EQ(differences.size(), 1u) << Lines(differences);
  EXPECT_EQ(differences[0].rfind("Video1 (menu item) checked", 0), 0u) << differences[0];
}

}  // namespace
}  // namespace kivo
