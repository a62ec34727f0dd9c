// What the wizard tests share: a simulated machine with the product's packages beside the
// setup program, a session as start-up leaves it, the wizard drawn into a recording view, and
// the user's clicks delivered through the view's events as a real window would.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "platform/recording_view.h"
#include "sim/sim_platform.h"
#include "sim/utf8.h"
#include "startup/edition.h"
#include "wizard/controls.h"
#include "wizard/fm_main.h"

namespace vtr::testing {

// The machine and the run the wizard starts on.
struct Start {
  std::wstring edition = L"VTRPRO_3";
  bool update = false;
  bool installed = false;    // the program package
  bool dbInstalled = false;  // the database package of this mode
  bool debug = false;
  std::wstring appPath = L"C:\\Program Files (x86)\\Vantora Contact Management";
  std::wstring dbPath = L"C:\\ProgramData\\Vantora Data";
  nlohmann::json scenario = nlohmann::json::object();  // added to the machine's scenario
};

// What one SYS_Install call was asked, and whether the run succeeded.
struct InstallCall {
  bool program, database, outlook, repair, remove;
  std::wstring appPath, dbPath;
  bool result;
  bool windowShown;  // the wizard window was on screen while the engine ran
};

inline std::string Utf8(const std::wstring& text) {
  return sim::ToUtf8(text);
}

// The flags set in one call, in argument order: "program database outlook repair remove".
inline std::string Targets(const InstallCall& call) {
  std::string set;
  const std::pair<bool, const char*> flags[] = {{call.program, "program"},
                                                {call.database, "database"},
                                                {call.outlook, "outlook"},
                                                {call.repair, "repair"},
                                                {call.remove, "remove"}};
  for (const auto& [on, name] : flags) {
    if (on) {
      set += (set.empty() ? "" : " ") + std::string(name);
    }
  }
  return set;
}

class Wizard {
 public:
  explicit Wizard(const Start& start) {
    edition = EditionFor(start.edition, start.update);
    options.gbDebug = start.debug;
    detected.installed.gbInstalled = start.installed;
    detected.installed.gbDBInstalled = start.dbInstalled;
    detected.folders.gsProgramFiles = L"C:\\Program Files (x86)";
    detected.folders.gsSystemDir = L"C:\\windows\\system32";
    detected.folders.gsAppPath = start.appPath;
    detected.folders.gsDBPath = start.dbPath;

    nlohmann::json scenario = {
        {"editionId", Utf8(start.edition)},
        {"files",
         {"C:\\Downloads\\vtr3p.msi", "C:\\Downloads\\vtr3db.msi", "C:\\Downloads\\vtr3l.msi",
          "C:\\Downloads\\vtr3dbl.msi", "C:\\Downloads\\vtr3p_update.msi",
          "C:\\Downloads\\vtr3db_update.msi", "C:\\Downloads\\vtr3l_update.msi",
          "C:\\Downloads\\vtr3dbl_update.msi"}},
        {"installer",
         {{"productStates",
           {{Utf8(edition.gsProdID), start.installed ? 5 : -1},
            {Utf8(edition.gsDBProdID), start.dbInstalled ? 5 : -1}}}}}};
    for (const auto& [key, value] : start.scenario.items()) {
      if (key == "files") {
        for (const auto& file : value) {
          scenario["files"].push_back(file);
        }
      } else {
        scenario[key] = value;
      }
    }
    p = std::make_unique<SimPlatform>(scenario);

    InstallEngine engine = [this](Platform& platform, const Request& r) {
      InstallCall call{r.bProgram, r.bDatabase, r.bOutlook,
                       r.bRepair,  r.bRemove,   r.gsAppPath,
                       r.gsDBPath, false,       form->Form().Window().visible};
      const Outcome outcome = RealInstallEngine(edition, options, detected)(platform, r);
      call.result = !outcome.Failed();
      installs.push_back(call);
      return outcome;
    };
    form = std::make_unique<fmMain>(*p, edition, options, detected, view, engine);
    form->Load();
  }
  // The form keeps references into this object.
  Wizard(const Wizard&) = delete;
  Wizard& operator=(const Wizard&) = delete;

  // The user's actions, through the view as a window would report them.
  bool Click(const ControlRef& control) {
    return view.Events() != nullptr && view.Events()->Click(control);
  }
  bool Type(const ControlRef& control, const std::wstring& text) {
    return view.Type(control, text);
  }

  const ControlState& C(const ControlRef& control) const { return form->Form().At(control); }
  int Panel() const { return form->PanelOnShow(); }
  std::vector<int16_t> Road() const { return form->State().iPanelSeq; }
  // The panels visible now (one at a time, if all is well).
  std::vector<int> VisiblePanels() const {
    std::vector<int> shown;
    for (int i = 0; i < kPanelCount; ++i) {
      if (C(ctl::frWiz(i)).visible) {
        shown.push_back(i);
      }
    }
    return shown;
  }
  bool Focused(const ControlRef& control) const {
    const auto focus = form->Form().Focus();
    return focus && *focus == control;
  }
  bool IsDefault(const ControlRef& control) const { return C(control).isDefault; }
  // The button of the shared Next/Finish place that is drawn on top.
  ControlRef FrontOfNextAndFinish() const {
    return C(ctl::cmdNext()).zOrder > C(ctl::cmdFinish()).zOrder ? ctl::cmdNext()
                                                                 : ctl::cmdFinish();
  }

  // The button row as the user sees it, in one line:
  // "Back:on Next:hidden,off Finish:on front:cmdFinish default:cmdFinish focus:cmdFinish".
  std::string Buttons() const {
    std::string row;
    for (const ControlRef& b : {ctl::cmdBack(), ctl::cmdNext(), ctl::cmdFinish()}) {
      const ControlState& c = C(b);
      row += Utf8(b.name.substr(3)) + ":" + (c.visible ? "" : "hidden,") +
             (c.enabled ? "on " : "off ");
    }
    const auto name = [](const std::optional<ControlRef>& c) {
      return c ? Utf8(ControlName(*c)) : std::string("none");
    };
    return row + "front:" + name(FrontOfNextAndFinish()) +
           " default:" + name(form->Form().DefaultButton()) +
           " focus:" + name(form->Form().Focus());
  }

  // The texts of every message box shown so far.
  std::vector<std::string> Boxes() const {
    std::vector<std::string> texts;
    for (const auto& line : p->Calls("MsgBox")) {
      texts.push_back(line["args"]["text"].get<std::string>());
    }
    return texts;
  }
  // The command lines of every Windows Installer run started so far.
  std::vector<std::string> Processes() const {
    std::vector<std::string> lines;
    for (const auto& line : p->Calls("StartProcess")) {
      std::string commandLine = line["args"]["commandLine"].get<std::string>();
      if (commandLine.rfind("msiexec.exe ", 0) == 0) {
        lines.push_back(std::move(commandLine));
      }
    }
    return lines;
  }
  // The programs launched for the person at the desktop so far.
  std::vector<std::string> LaunchedFiles() const {
    std::vector<std::string> files;
    for (const auto& line : p->Calls("StartAsDesktopUser")) {
      files.push_back(line["args"]["program"].get<std::string>());
    }
    return files;
  }

  Edition edition;
  RunOptions options;
  Detected detected;
  std::unique_ptr<SimPlatform> p;
  RecordingView view;
  std::vector<InstallCall> installs;
  std::unique_ptr<fmMain> form;
};

}  // namespace vtr::testing
