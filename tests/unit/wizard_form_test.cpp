// The form toolkit under the wizard: value notifications, exclusive option buttons, focus
// that cannot be taken, default and cancel buttons, the design a view draws from, and a view
// that mirrors every change the model makes.
#include <set>

#include "wizard/form_model.h"
#include "wizard/layout.h"
#include "wizard_fixture.h"

namespace vtr {
namespace {

using namespace ctl;
using testing::Start;
using testing::Wizard;

ControlState Control(const ControlRef& ref, ControlKind kind, const ControlRef& container = {}) {
  ControlState c;
  c.ref = ref;
  c.kind = kind;
  c.container = container;
  return c;
}

// A small form of its own: two frames, option buttons in each, a check box, two buttons.
class SmallForm : public ::testing::Test {
 protected:
  void SetUp() override {
    form.Add(Control({L"fr", 0}, ControlKind::Frame));
    form.Add(Control({L"fr", 1}, ControlKind::Frame));
    for (int i = 0; i < 3; ++i) {
      ControlState o = Control({L"opt", i}, ControlKind::OptionButton, {L"fr", 0});
      o.value = i == 0 ? 1 : 0;
      form.Add(o);
    }
    ControlState other = Control({L"opt", 5}, ControlKind::OptionButton, {L"fr", 1});
    other.value = 1;
    form.Add(other);
    form.Add(Control({L"ck"}, ControlKind::CheckBox, {L"fr", 1}));
    form.Add(Control({L"cmdA"}, ControlKind::Button));
    form.Add(Control({L"cmdB"}, ControlKind::Button));
    form.Add(Control({L"lb"}, ControlKind::Label));
    for (const wchar_t* name : {L"opt", L"ck"}) {
      form.SetClickHandler(name, [this, name](int i) { clicks.push_back(ControlName({name, i})); });
    }
    form.Draw(events);
    form.ShowWindow();
  }

  class NoEvents : public WizardEvents {
    bool Click(const ControlRef&) override { return false; }
    bool TextChanged(const ControlRef&, const std::wstring&) override { return false; }
    bool PressDefault() override { return false; }
    bool PressCancel() override { return false; }
    bool FocusChanged(const ControlRef&) override { return false; }
    void CloseRequested() override {}
  } events;
  RecordingView view;
  FormModel form{view};
  std::vector<std::wstring> clicks;
};

TEST_F(SmallForm, CheckBoxNotifiesOnlyARealChange) {
  form.SetValue({L"ck"}, 1);
  form.SetValue({L"ck"}, 1);
  form.SetValue({L"ck"}, 0);
  EXPECT_EQ(clicks, (std::vector<std::wstring>{L"ck", L"ck"}));
  EXPECT_THROW(form.SetValue({L"ck"}, 3), RunError);
  EXPECT_EQ(form.At({L"ck"}).value, 0);
}

TEST_F(SmallForm, OptionButtonsAreExclusiveWithinTheirFrame) {
  form.Select({L"opt", 2});
  EXPECT_EQ(form.At({L"opt", 0}).value, 0);
  EXPECT_EQ(form.At({L"opt", 2}).value, 1);
  EXPECT_EQ(form.At({L"opt", 5}).value, 1);  // another frame, another group
  form.Select({L"opt", 2});                  // already selected: no second click
  form.SetValue({L"opt", 1}, 1);             // a value of 1 selects too
  EXPECT_EQ(form.At({L"opt", 2}).value, 0);
  EXPECT_EQ(clicks, (std::vector<std::wstring>{L"opt(2)", L"opt(1)"}));
  EXPECT_EQ(view.Control({L"opt", 2}).value, 0);
  EXPECT_EQ(view.Control({L"opt", 1}).value, 1);
}

TEST_F(SmallForm, FocusThatCannotBeTakenRaises) {
  form.SetFocus({L"cmdA"});
  EXPECT_EQ(form.Focus(), (ControlRef{L"cmdA"}));
  EXPECT_EQ(view.Focus(), (ControlRef{L"cmdA"}));

  const auto raisesFive = [&](const ControlRef& ref) {
    try {
      form.SetFocus(ref);
    } catch (const RunError& e) {
      return e.number == 5 && e.description == L"Invalid procedure call or argument";
    }
    return false;
  };
  form.SetEnabled({L"cmdB"}, false);
  EXPECT_TRUE(raisesFive({L"cmdB"}));
  form.SetVisible({L"fr", 1}, false);  // the frame hides what it holds
  EXPECT_TRUE(raisesFive({L"ck"}));
  EXPECT_TRUE(raisesFive({L"lb"}));  // a label takes no focus
  form.HideWindow();
  EXPECT_TRUE(raisesFive({L"cmdA"}));
  EXPECT_EQ(form.Focus(), std::nullopt);

  // Focus on a control that is then disabled is gone.
  form.ShowWindow();
  form.SetFocus({L"cmdA"});
  form.SetEnabled({L"cmdA"}, false);
  EXPECT_EQ(form.Focus(), std::nullopt);
}

TEST_F(SmallForm, UnknownControlsRaiseTheToolkitsErrors) {
  try {
    form.At({L"opt", 9});
    ADD_FAILURE();
  } catch (const RunError& e) {
    EXPECT_EQ(e.number, 340);
    EXPECT_EQ(e.description, L"Control array element '9' doesn't exist");
  }
  EXPECT_THROW(form.SetCaption({L"nothing"}, L"x"), RunError);
  EXPECT_THROW(form.SetDefaultButton({L"lb"}), RunError);
}

TEST_F(SmallForm, OneDefaultAndOneCancelButtonAndTheDrawingOrder) {
  form.SetDefaultButton({L"cmdA"});
  form.SetDefaultButton({L"cmdB"});
  form.SetCancelButton({L"cmdA"});
  EXPECT_EQ(form.DefaultButton(), (ControlRef{L"cmdB"}));
  EXPECT_FALSE(form.At({L"cmdA"}).isDefault);
  EXPECT_EQ(form.CancelButton(), (ControlRef{L"cmdA"}));
  EXPECT_LT(form.At({L"cmdA"}).zOrder, form.At({L"cmdB"}).zOrder);
  form.BringToFront({L"cmdA"});
  EXPECT_GT(form.At({L"cmdA"}).zOrder, form.At({L"cmdB"}).zOrder);
}

TEST_F(SmallForm, NothingChangesOnceUnloaded) {
  form.UnloadWindow();
  const std::size_t calls = view.Calls().size();
  form.SetCaption({L"lb"}, L"late");
  form.SetValue({L"ck"}, 1);
  form.ShowWindow();
  EXPECT_EQ(view.Calls().size(), calls);
  EXPECT_TRUE(clicks.empty());
  EXPECT_EQ(view.Calls().back(), L"UnloadWindow");
}

TEST(WizardDesign, WhatAViewDrawsBeforeStartUp) {
  RecordingView view;
  FormModel form(view);
  LayOutForm(form);
  EXPECT_EQ(form.Window().title, L"Vantora Setup");

  std::set<std::wstring> seen;
  for (const ControlState& c : form.Controls()) {
    // Containers come before what they hold, so a view can create them in this order.
    if (!c.container.name.empty()) {
      EXPECT_TRUE(seen.contains(ControlName(c.container))) << ControlName(c.ref).c_str();
    }
    EXPECT_TRUE(seen.insert(ControlName(c.ref)).second);
    EXPECT_GT(c.width, 0);
    EXPECT_GT(c.height, 0);
  }
  // No panel is shown, the folder boxes and their buttons are off, the boxes unticked.
  for (int i = 0; i < kPanelCount; ++i) {
    EXPECT_FALSE(form.At(frWiz(i)).visible);
    EXPECT_EQ(form.At(frWiz(i)).foreColour, kBlue);
  }
  for (int i : {1, 2}) {
    EXPECT_FALSE(form.At(txPath(i)).enabled);
    EXPECT_FALSE(form.At(cmdPath(i)).enabled);
    EXPECT_EQ(form.At(ckInstall(i)).value, 0);
  }
  EXPECT_EQ(form.At(cmdPath(1)).toolTip, L"Look for folder to install program");
  EXPECT_EQ(form.At(cmdPath(2)).toolTip, L"Look for folder to install database");
  EXPECT_EQ(form.CancelButton(), cmdCancel());
  EXPECT_EQ(form.At(lbErr()).foreColour, kRed);
  EXPECT_EQ(form.At(ckOpt(0)).container, frConfig(0));
  EXPECT_EQ(form.At(frConfig(0)).container, frWiz(2));
  // Next and Finish share one place; the panels stand above the banner.
  EXPECT_EQ(form.At(cmdNext()).left, form.At(cmdFinish()).left);
  EXPECT_EQ(form.At(cmdNext()).top, form.At(cmdFinish()).top);
  EXPECT_GT(form.At(frWiz(0)).zOrder, form.At(frBanner()).zOrder);
}

// After any road, a view that applied every call it got shows exactly the model.
void ExpectViewMirrorsModel(const Wizard& w) {
  const auto& model = w.form->Form().Controls();
  const auto& shown = w.view.Controls();
  ASSERT_EQ(model.size(), shown.size());
  for (std::size_t i = 0; i < model.size(); ++i) {
    const ControlState& m = model[i];
    const ControlState& v = shown[i];
    const std::string name = testing::Utf8(ControlName(m.ref));
    EXPECT_EQ(m.caption, v.caption) << name;
    EXPECT_EQ(m.value, v.value) << name;
    EXPECT_EQ(m.enabled, v.enabled) << name;
    EXPECT_EQ(m.visible, v.visible) << name;
    EXPECT_EQ(m.left, v.left) << name;
    EXPECT_EQ(m.top, v.top) << name;
    EXPECT_EQ(m.foreColour, v.foreColour) << name;
    EXPECT_EQ(m.zOrder, v.zOrder) << name;
    EXPECT_EQ(m.isDefault, v.isDefault) << name;
    EXPECT_EQ(m.isCancel, v.isCancel) << name;
  }
  const WindowState& mw = w.form->Form().Window();
  EXPECT_EQ(mw.title, w.view.Window().title);
  EXPECT_EQ(mw.width, w.view.Window().width);
  EXPECT_EQ(mw.visible, w.view.Window().visible);
  if (w.form->Form().Focus()) {
    EXPECT_EQ(w.form->Form().Focus(), w.view.Focus());
  }
}

TEST(WizardView, MirrorsEveryChangeAlongTheRoads) {
  Start update;
  update.update = true;
  Wizard folders(update);
  folders.Click(cmdOpt(2));
  folders.Type(txPath(1), L"C:\\New\\Deeper");
  folders.Click(cmdNext());  // red box, error line
  folders.Click(ckInstall(1));
  ExpectViewMirrorsModel(folders);
  folders.Click(cmdBack());
  ExpectViewMirrorsModel(folders);

  Start installed;
  installed.installed = true;
  installed.dbInstalled = true;
  Wizard repair(installed);
  repair.Click(cmdOpt(3));
  repair.Click(ckOpt(5));
  repair.Click(cmdNext());
  repair.Click(cmdFinish());
  ASSERT_EQ(repair.Panel(), 5);
  ExpectViewMirrorsModel(repair);
}

TEST(WizardView, TheWindowIsHiddenWhileTheEngineRuns) {
  Wizard w(Start{});
  w.Click(cmdOpt(0));
  w.view.ClearCalls();
  w.Click(cmdFinish());
  const auto& calls = w.view.Calls();
  ASSERT_FALSE(calls.empty());
  EXPECT_EQ(calls.front(), L"HideWindow");
  EXPECT_NE(std::find(calls.begin(), calls.end(), L"ShowWindow"), calls.end());
  EXPECT_TRUE(w.view.Window().visible);
}

TEST(WizardEventsTest, OnlyWhatTheUserCanReachTakesAClick) {
  Wizard w(Start{});
  EXPECT_FALSE(w.Click(cmdNext()));                 // disabled
  EXPECT_FALSE(w.Click(cmdFinish()));               // hidden
  EXPECT_FALSE(w.Click(cmdOpt(3)));                 // on a hidden panel
  EXPECT_FALSE(w.Click(ControlRef{L"cmdOpt", 7}));  // not on the form
  EXPECT_FALSE(w.Type(lbErr(), L"text"));           // not a text box
  EXPECT_TRUE(w.Click(lbOpt(0)));                   // a label takes a click and does nothing
  EXPECT_EQ(w.Panel(), 0);
  EXPECT_TRUE(w.view.Events()->FocusChanged(cmdOpt(2)));
  EXPECT_EQ(w.form->Form().Focus(), cmdOpt(2));
  EXPECT_FALSE(w.view.Events()->FocusChanged(cmdNext()));
}

TEST(WizardEventsTest, NoClickGetsInWhileAHandlerRuns) {
  // A view that lets the user click Back while the folder check is still colouring boxes,
  // as a window whose message loop runs inside a handler would.
  struct ImpatientView : RecordingView {
    std::vector<bool> taken;
    void SetForeColour(const ControlRef& control, const Colour& colour) override {
      RecordingView::SetForeColour(control, colour);
      taken.push_back(Events()->Click(cmdBack()));
    }
  };
  Wizard machine(Start{});  // for its session and platform
  ImpatientView view;
  fmMain form(*machine.p, machine.edition, machine.options, machine.detected, view);
  form.Load();
  ASSERT_TRUE(form.Click(cmdOpt(2)));
  ASSERT_TRUE(form.TextChanged(txPath(1), L"C:\\Bad?"));
  EXPECT_TRUE(form.Click(cmdNext()));
  EXPECT_EQ(form.PanelOnShow(), 7);
  ASSERT_FALSE(view.taken.empty());
  EXPECT_EQ(view.taken, std::vector<bool>(view.taken.size(), false));
  EXPECT_TRUE(form.Click(cmdBack()));  // once the handler is done, Back works
  EXPECT_EQ(form.PanelOnShow(), 0);
}

}  // namespace
}  // namespace vtr
