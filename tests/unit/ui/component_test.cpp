#include "ui/component.h"
#include "ui/headless_renderer.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace kivo {
namespace {

TEST(ComponentModel, SettersNotifyOnlyOnChange) {
  ComponentModel model;
  Component& item = model.Add("Video1", ComponentKind::kMenuItem);
  int notified = 0;
  model.Subscribe([&](Component& c, Property p) {
    EXPECT_EQ(&c, &item);
    EXPECT_EQ(p, Property::kChecked);
    ++notified;
  });
  item.SetChecked(true);
  item.SetChecked(true);
  item.SetChecked(false);
  EXPECT_EQ(notified, 2);
}

TEST(ComponentModel, ClickRunsHandlerButNeverTogglesTheCheckMark) {
  ComponentModel model;
  Component& item = model.Add("Protune1", ComponentKind::kMenuItem);
  int clicks = 0;
  item.OnClick = [&] { ++clicks; };
  model.Click("Protune1");
  model.Click("Protune1");
  EXPECT_EQ(clicks, 2);
  EXPECT_FALSE(item.Checked());
}

TEST(ComponentModel, ClickOnDisabledComponentDoesNothing) {
  ComponentModel model;
  Component& item = model.Add("RecordBtn", ComponentKind::kSpeedButton);
  int clicks = 0;
  item.OnClick = [&] { ++clicks; };
  item.SetEnabled(false);
  model.Click("RecordBtn");
  EXPECT_EQ(clicks, 0);
}

TEST(ComponentModel, EscapingExceptionBecomesAnErrorMessage) {
  ComponentModel model;
  model.Add("OnBtn", ComponentKind::kBitBtn).OnClick = [] {
    throw std::runtime_error("HTTP component is busy");
  };
  std::vector<std::string> shown;
  model.OnException = [&](const std::string& text) { shown.push_back(text); };
  model.Click("OnBtn");
  model.Dispatch([] { throw 42; });
  ASSERT_EQ(shown.size(), 2u);
  EXPECT_EQ(shown[0], "HTTP component is busy");
  EXPECT_EQ(shown[1], "Unknown error");
}

TEST(ComponentModel, NamesAreUniqueAndLookupsOfUnknownNamesThrow) {
  ComponentModel model;
  Component& menu = model.Add("Mode1", ComponentKind::kMenu);
  model.Add("Video1", ComponentKind::kMenuItem, &menu);
  EXPECT_THROW(model.Add("Video1", ComponentKind::kMenuItem), std::logic_error);
  EXPECT_THROW(model.Get("NoSuchThing"), std::out_of_range);
  EXPECT_EQ(model.Find("NoSuchThing"), nullptr);
  ASSERT_EQ(menu.Children().size(), 1u);
  EXPECT_EQ(menu.Children()[0]->Name(), "Video1");
}

TEST(ComponentModel, ObserverMayUnsubscribeWhileNotified) {
  ComponentModel model;
  Component& label = model.Add("ModeL", ComponentKind::kLabel);
  int id = 0, calls = 0;
  id = model.Subscribe([&](Component&, Property) {
    ++calls;
    model.Unsubscribe(id);
  });
  label.SetCaption("Video");
  label.SetCaption("Photo");
  EXPECT_EQ(calls, 1);
}

}  // namespace
}  // namespace kivo

namespace kivo {
namespace {

TEST(HeadlessRenderer, ClicksOnlyWhatAUserCouldReach) {
  ComponentModel model;
  Component& form = model.Add("Form1", ComponentKind::kForm);
  Component& bar = model.Add("MainMenu1", ComponentKind::kMainMenu, &form);
  Component& mode = model.Add("Mode1", ComponentKind::kMenu, &bar);
  Component& video = model.Add("Video1", ComponentKind::kMenuItem, &mode);
  Component& hidden = model.Add("N4", ComponentKind::kMenuItem, &mode);
  hidden.SetVisible(false);
  int clicks = 0;
  video.OnClick = [&] { ++clicks; };
  hidden.OnClick = [&] { ++clicks; };
  HeadlessRenderer view(model);

  mode.SetEnabled(false);
  EXPECT_FALSE(view.CanClick("Video1"));
  EXPECT_FALSE(view.UserClick("Video1"));
  mode.SetEnabled(true);
  EXPECT_TRUE(view.UserClick("Video1"));
  EXPECT_FALSE(view.UserClick("N4"));
  EXPECT_FALSE(view.UserClick("NoSuchItem"));
  EXPECT_EQ(clicks, 1);

  int openings = 0;
  mode.OnClick = [&] { ++openings; };
  EXPECT_TRUE(view.OpenMenu("Mode1"));
  EXPECT_FALSE(view.OpenMenu("Video1"));  // an item is not a menu
  EXPECT_EQ(openings, 1);
}

TEST(HeadlessRenderer, KeepsATranscriptAndTheStatusHistory) {
  ComponentModel model;
  Component& status = model.Add("StatusBar", ComponentKind::kStatusBar);
  Component& item = model.Add("Protune1", ComponentKind::kMenuItem);
  HeadlessRenderer view(model);
  status.SetCaption("Connecting...");
  item.SetChecked(true);
  status.SetCaption("Connected Camera is on");
  status.SetCaption("Connected Camera is on");  // unchanged: not a change
  ASSERT_EQ(view.Transcript().size(), 3u);
  EXPECT_EQ(view.Transcript()[1].component, "Protune1");
  EXPECT_EQ(view.Transcript()[1].value, "1");
  EXPECT_EQ(view.StatusHistory(),
            (std::vector<std::string>{"Connecting...", "Connected Camera is on"}));
}

TEST(ComponentModel, SetLineChangesOneRowAndNamesIt) {
  ComponentModel model;
  Component& list = model.Add("FileList", ComponentKind::kFileList);
  list.SetLines({"a\t1", "b\t2", "c\t3"});
  HeadlessRenderer view(model);
  list.SetLine(1, "b\t50%");
  list.SetLine(1, "b\t50%");  // unchanged
  list.SetLine(3, "d\t4");    // no such row
  list.SetLine(0, "a\tDone");
  EXPECT_EQ(list.Lines(), (std::vector<std::string>{"a\tDone", "b\t50%", "c\t3"}));
  ASSERT_EQ(view.Transcript().size(), 2u);
  EXPECT_EQ(view.Transcript()[0].property, Property::kLine);
  EXPECT_EQ(view.Transcript()[0].value, "1:b\t50%");
  EXPECT_EQ(view.Transcript()[1].value, "0:a\tDone");
}

}  // namespace
}  // namespace kivo
