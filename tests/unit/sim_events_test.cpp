// The scripted user at the wizard: how events are read, played and written, and what a form
// snapshot says. Scenario tests pin whole roads; these pin the rules the scenarios rely on.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/outcome.h"
#include "platform/recording_view.h"
#include "sim/form_snapshot.h"
#include "sim/sim_platform.h"
#include "startup/main.h"

namespace vtr {
namespace {

using nlohmann::json;
using nlohmann::ordered_json;

std::string Refusal(const json& events) {
  try {
    SimPlatform p(json{{"events", events}});
  } catch (const std::invalid_argument& e) {
    return e.what();
  }
  return "";
}

TEST(SimEvents, BadEventsAreRefusedNamingTheField) {
  struct Case {
    json event;
    std::string expected;
  };
  const std::vector<Case> cases = {
      {json::object(), "events[0]: an event needs one of"},
      {{{"click", "cmdNext"}, {"key", "Enter"}}, "events[0]: an event is one action"},
      {{{"clik", "cmdNext"}}, "unknown field \"clik\""},
      {{{"click", ""}}, "events[0].click: the name of a control is needed"},
      {{{"click", "cmdOpt"}, {"index", -1}}, "events[0].index"},
      {{{"click", "cmdOpt"}, {"index", 40000}}, "events[0].index"},
      {{{"key", "Enter"}, {"index", 1}}, "\"index\" belongs to a control"},
      {{{"key", "Tab"}}, "events[0].key: the keys are \"Enter\" and \"Escape\""},
      {{{"close", false}}, "events[0].close"},
      {{{"snapshot", ""}}, "a snapshot needs a label"},
      {{{"check", "ckOpt"}, {"index", 0}}, "\"check\" needs the \"value\""},
      {{{"check", "ckOpt"}, {"index", 0}, {"value", 2}}, "events[0].value"},
      {{{"click", "ckOpt"}, {"index", 0}, {"value", 1}}, "\"value\" belongs to \"check\" only"},
      {{{"type", "txPath"}, {"index", 1}}, "\"type\" needs the \"text\""},
      {{{"select", "optInstall"}, {"index", 1}, {"text", "x"}}, "\"text\" belongs to \"type\""},
  };
  for (const Case& c : cases) {
    const std::string message = Refusal(json::array({c.event}));
    EXPECT_NE(message.find(c.expected), std::string::npos)
        << c.event.dump() << " gave: " << message;
  }
  // Every well-formed kind is accepted; keys ignore case as message-box answers do.
  EXPECT_EQ(Refusal(json::array({{{"click", "cmdNext"}},
                                 {{"check", "ckOpt"}, {"index", 0}, {"value", 0}},
                                 {{"select", "optInstall"}, {"index", 2}},
                                 {{"type", "txPath"}, {"index", 1}, {"text", ""}},
                                 {{"key", "escape"}},
                                 {{"close", true}},
                                 {{"snapshot", "x"}}})),
            "");
  EXPECT_NE(Refusal(json{{"click", "cmdNext"}}).find("events: expected a list"), std::string::npos);
}

// A machine with the packages beside the setup program, run from start-up to its end.
struct WizardRun {
  explicit WizardRun(json scenario) {
    scenario["files"] = {"C:\\Downloads\\vtr3p.msi", "C:\\Downloads\\vtr3db.msi"};
    p = std::make_unique<SimPlatform>(scenario);
    exitCode = Main(*p, p->EditionId());
  }
  // The transcript's lines from the wizard's event loop on.
  std::vector<ordered_json> WizardLines() const {
    std::vector<ordered_json> lines;
    bool inLoop = false;
    for (const auto& line : p->Transcript()) {
      inLoop = inLoop || line.value("op", "") == "RunEventLoop";
      if (inLoop) {
        lines.push_back(line);
      }
    }
    return lines;
  }
  std::string Dump(std::size_t i) const { return WizardLines().at(i).dump(); }

  std::unique_ptr<SimPlatform> p;
  int exitCode = 0;
};

TEST(SimEvents, EachEventIsWrittenBeforeWhatItCaused) {
  WizardRun run(json{{"answers", {{"folderPicker", {"D:\\Shared"}}}},
                     {"events",
                      {{{"click", "cmdOpt"}, {"index", 2}},
                       {{"click", "cmdPath"}, {"index", 2}},
                       {{"key", "Escape"}}}}});
  EXPECT_EQ(run.Dump(0), R"({"op":"RunEventLoop"})");
  EXPECT_EQ(run.Dump(1), R"({"event":{"click":"cmdOpt","index":2},"accepted":true})");
  EXPECT_EQ(run.Dump(2), R"({"event":{"click":"cmdPath","index":2},"accepted":true})");
  EXPECT_EQ(run.WizardLines().at(3)["op"], "BrowseForFolder");
  EXPECT_EQ(run.Dump(4), R"({"event":{"key":"Escape"},"accepted":true})");
  EXPECT_EQ(run.WizardLines().size(), 5u);  // Escape closed the wizard: nothing more is played
  EXPECT_EQ(run.exitCode, kExitCancelled);
  EXPECT_TRUE(run.p->ScenarioErrors().empty());
  // The picked folder reached the box, with the data folder added.
  EXPECT_EQ(run.p->View().Control({L"txPath", 2}).caption, L"D:\\Shared\\Vantora Data");
}

TEST(SimEvents, RefusedAndUnneededActionsAreMarked) {
  WizardRun run(json{{"events",
                      {{{"click", "cmdBack"}},
                       {{"click", "cmdOpt"}, {"index", 1}},
                       {{"check", "ckInstall"}, {"index", 1}, {"value", 1}},
                       {{"check", "ckInstall"}, {"index", 2}, {"value", 1}},
                       {{"type", "txPath"}, {"index", 2}, {"text", "E:\\Data"}},
                       {{"close", true}}}}});
  // Back is disabled on the first panel; the form refuses it.
  EXPECT_EQ(run.Dump(1), R"({"event":{"click":"cmdBack"},"accepted":false})");
  // Network ticks the program box already: no click, and the box stays ticked.
  EXPECT_EQ(
      run.Dump(3),
      R"({"event":{"check":"ckInstall","index":1,"value":1},"accepted":true,"already":true})");
  EXPECT_EQ(run.p->View().Control({L"ckInstall", 1}).value, 1);
  // The database box was cleared, so one click ticks it and its text box takes typing.
  EXPECT_EQ(run.Dump(4), R"({"event":{"check":"ckInstall","index":2,"value":1},"accepted":true})");
  EXPECT_EQ(run.p->View().Control({L"ckInstall", 2}).value, 1);
  EXPECT_EQ(run.Dump(5),
            R"({"event":{"type":"txPath","index":2,"text":"E:\\Data"},"accepted":true})");
  EXPECT_EQ(run.p->View().Control({L"txPath", 2}).caption, L"E:\\Data");
  EXPECT_EQ(run.Dump(6), R"({"event":{"close":true},"accepted":true})");
  EXPECT_TRUE(run.p->ScenarioErrors().empty());
}

TEST(SimEvents, TypingIntoADisabledBoxIsRefusedAndLeavesItsText) {
  // Network clears the database box, which disables its text box.
  WizardRun run(json{{"events",
                      {{{"click", "cmdOpt"}, {"index", 1}},
                       {{"type", "txPath"}, {"index", 2}, {"text", "E:\\Data"}},
                       {{"close", true}}}}});
  EXPECT_EQ(run.WizardLines().at(2)["accepted"], false);
  EXPECT_EQ(run.p->View().Control({L"txPath", 2}).caption, L"C:\\ProgramData\\Vantora Data");
}

TEST(SimEvents, EventsThatFitNoControlAreScenarioErrors) {
  WizardRun run(json{{"events",
                      {{{"click", "cmdNxt"}},
                       {{"check", "cmdOpt"}, {"index", 0}, {"value", 1}},
                       {{"select", "ckOpt"}, {"index", 0}},
                       {{"type", "lbErr"}, {"text", "x"}},
                       {{"click", "cmdOpt"}, {"index", 9}},
                       {{"click", "cmdNext"}, {"index", 1}},
                       {{"check", "ckInstall"}, {"value", 1}},
                       {{"close", true}}}}});
  const std::vector<std::string> errors = run.p->ScenarioErrors();
  ASSERT_EQ(errors.size(), 7u);
  EXPECT_EQ(errors[0], "events[0]: the form has no control cmdNxt");
  EXPECT_EQ(errors[1], "events[1]: cmdOpt(0) is not a check box");
  EXPECT_EQ(errors[2], "events[2]: ckOpt(0) is not an option button");
  EXPECT_EQ(errors[3], "events[3]: lbErr is not a text box");
  EXPECT_EQ(
      errors[4],
      "events[4]: the form has no control cmdOpt(9); cmdOpt has the indexes 0, 1, 2, 3, 4, 5");
  EXPECT_EQ(errors[5], "events[5]: the form has no control cmdNext(1); cmdNext has no index");
  EXPECT_EQ(errors[6],
            "events[6]: the form has no control ckInstall; ckInstall has the indexes 1, 2");
  EXPECT_EQ(
      run.Dump(1),
      R"({"event":{"click":"cmdNxt"},"accepted":false,"error":"the form has no control cmdNxt"})");
  // None of them reached the form: the wizard is still on its first panel when closed.
  EXPECT_TRUE(run.p->View().Control({L"frWiz", 0}).visible);
  EXPECT_EQ(run.exitCode, kExitCancelled);
}

TEST(SimEvents, RunningOutClosesTheWizardAndLeftoversAreErrors) {
  WizardRun open(json{{"events", {{{"click", "cmdOpt"}, {"index", 2}}}}});
  const auto lines = open.WizardLines();
  EXPECT_EQ(lines.back().dump(), R"({"unscripted":"no more events: the user closes the window"})");
  EXPECT_EQ(open.exitCode, kExitCancelled);
  EXPECT_TRUE(open.p->View().Unloaded());
  EXPECT_TRUE(open.p->ScenarioErrors().empty());
  // The event lines among the calls are no calls of any operation.
  EXPECT_EQ(open.p->Calls("RunEventLoop").size(), 1u);

  WizardRun closed(
      json{{"events", {{{"key", "Escape"}}, {{"snapshot", "too late"}}, {{"key", "Enter"}}}}});
  ASSERT_EQ(closed.p->ScenarioErrors().size(), 1u);
  EXPECT_EQ(closed.p->ScenarioErrors()[0],
            "events[1] and after: 2 scripted events were not played, because the wizard was not "
            "open any more (or never opened)");

  WizardRun silent(json{{"commandLine", "S"}, {"events", {{{"close", true}}}}});
  ASSERT_EQ(silent.p->ScenarioErrors().size(), 1u);
  EXPECT_NE(silent.p->ScenarioErrors()[0].find("1 scripted event was not played"),
            std::string::npos);
}

TEST(SimEvents, SnapshotLineShowsTheWindowAtThatMoment) {
  WizardRun run(
      json{{"events",
            {{{"click", "cmdOpt"}, {"index", 1}}, {{"snapshot", "folders"}}, {{"close", true}}}}});
  const ordered_json line = run.WizardLines().at(2);
  EXPECT_EQ(line["snapshot"], "folders");
  const ordered_json& form = line["form"];
  std::vector<std::string> keys;
  for (const auto& [key, value] : form.items()) {
    keys.push_back(key);
  }
  EXPECT_EQ(keys, (std::vector<std::string>{"window", "panel", "caption", "buttons", "focus",
                                            "controls", "banner"}));
  EXPECT_EQ(form["panel"], 7);
  EXPECT_EQ(form["buttons"]["cmdNext"], "enabled front default");
  EXPECT_EQ(form["buttons"]["cmdFinish"], "hidden disabled");
  EXPECT_EQ(form["focus"], "cmdNext");
  EXPECT_EQ(form["controls"]["ckInstall(2)"].dump(),
            R"({"caption":"Install Database:","value":0})");
  EXPECT_EQ(form["controls"]["txPath(2)"].dump(),
            R"({"text":"C:\\ProgramData\\Vantora Data","enabled":false})");
}

// A view drawn by hand, for what no sound road of the wizard shows.
class NoEvents : public WizardEvents {
 public:
  bool Click(const ControlRef&) override { return false; }
  bool TextChanged(const ControlRef&, const std::wstring&) override { return false; }
  bool PressDefault() override { return false; }
  bool PressCancel() override { return false; }
  bool FocusChanged(const ControlRef&) override { return false; }
  void CloseRequested() override {}
};

ControlState Made(ControlRef ref, ControlKind kind, ControlRef container, std::wstring caption) {
  ControlState c;
  c.ref = std::move(ref);
  c.kind = kind;
  c.container = std::move(container);
  c.caption = std::move(caption);
  return c;
}

TEST(SimSnapshot, ReadsTheViewsCopyAsAUserWouldSeeIt) {
  RecordingView view;
  NoEvents events;
  WindowState window;
  window.title = L"T";
  std::vector<ControlState> controls = {
      Made({L"frBanner"}, ControlKind::Frame, {}, L""),
      Made({L"lbErr"}, ControlKind::Label, {L"frBanner"}, L"Bad"),
      Made({L"frWiz", 0}, ControlKind::Frame, {}, L" Zero "),
      Made({L"frWiz", 7}, ControlKind::Frame, {}, L" Seven "),
      Made({L"frInner"}, ControlKind::Frame, {L"frWiz", 7}, L""),
      Made({L"ckInner"}, ControlKind::CheckBox, {L"frInner"}, L"Inner"),
      Made({L"txBox"}, ControlKind::TextBox, {L"frWiz", 7}, L"C:\\x"),
      Made({L"cmdCancel"}, ControlKind::Button, {}, L"&Cancel"),
      Made({L"cmdBack"}, ControlKind::Button, {}, L"&Back"),
      Made({L"cmdNext"}, ControlKind::Button, {}, L"&Next"),
      Made({L"cmdFinish"}, ControlKind::Button, {}, L"&Finish"),
  };
  for (int i = 0; i < static_cast<int>(controls.size()); ++i) {
    controls[static_cast<std::size_t>(i)].zOrder = i;
  }
  view.CreateForm(window, controls, events);
  view.ShowWindow();
  view.SetForeColour({L"txBox"}, Colour::Rgb(255, 0, 0));
  view.SetFocus({L"txBox"});

  ordered_json form = sim::FormSnapshot(view);
  // Two panels on show at once is a fault: the snapshot lists both and names no caption.
  EXPECT_EQ(form["panel"].dump(), "[0,7]");
  EXPECT_FALSE(form.contains("caption"));
  EXPECT_EQ(form["controls"].dump(),
            R"({"frInner":{"visible":true},"ckInner":{"caption":"Inner","value":0},)"
            R"("txBox":{"text":"C:\\x","colour":"255,0,0"}})");
  EXPECT_EQ(form["focus"], "txBox");
  // Finish was added last, so it is drawn above Next until Next is brought to the front.
  EXPECT_EQ(form["buttons"]["cmdFinish"], "enabled front");
  view.BringToFront({L"cmdNext"});
  view.SetDefaultButton({L"cmdNext"});
  view.SetCancelButton({L"cmdCancel"});
  form = sim::FormSnapshot(view);
  EXPECT_EQ(form["buttons"]["cmdNext"], "enabled front default");
  EXPECT_EQ(form["buttons"]["cmdFinish"], "enabled");
  EXPECT_EQ(form["buttons"]["cmdCancel"], "enabled cancel");

  view.SetVisible({L"frWiz", 0}, false);
  view.SetVisible({L"frInner"}, false);
  view.SetEnabled({L"txBox"}, false);
  view.SetVisible({L"lbErr"}, false);
  form = sim::FormSnapshot(view);
  EXPECT_EQ(form["panel"], 7);
  EXPECT_EQ(form["caption"], " Seven ");
  // What stands in a hidden frame is not on screen; a hidden control shows only that.
  EXPECT_EQ(
      form["controls"].dump(),
      R"({"frInner":{"visible":false},"txBox":{"text":"C:\\x","enabled":false,"colour":"255,0,0"}})");
  EXPECT_EQ(form["banner"].dump(), R"({"lbErr":{"visible":false}})");
  // A disabled control cannot keep the focus, whatever the view was last told.
  EXPECT_TRUE(form["focus"].is_null());

  view.HideWindow();
  form = sim::FormSnapshot(view);
  EXPECT_EQ(form["window"].dump(), R"({"title":"T","visible":false})");
}

}  // namespace
}  // namespace vtr
