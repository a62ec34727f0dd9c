// A whole run of the program against the simulated Windows, checked as the fault sweep checks
// it: no error escapes Main, every transcript line is JSON, the exit code is one of ours.
#pragma once

#include <exception>
#include <string>

#include <nlohmann/json.hpp>

#include "engine/outcome.h"
#include "fuzz_support.h"
#include "sim/sim_platform.h"
#include "sim/utf8.h"
#include "startup/main.h"

namespace vtr::fuzz {

inline int RunProgram(SimPlatform& p) {
  int code = 0;
  try {
    code = Main(p, p.EditionId());
  } catch (const RunError& e) {
    std::fprintf(stderr, "error %d escaped Main: %ls\n", e.number, e.description.c_str());
    std::abort();
  } catch (const std::exception& e) {
    std::fprintf(stderr, "exception escaped Main: %s\n", e.what());
    std::abort();
  }
  // Main ends such a run with 1603, as a user needs it; here it is a defect of the program.
  const std::string unexpected = "VTR Setup: " + sim::ToUtf8(kUnexpectedErrorLine);
  for (const auto& call : p.Calls("WriteStandardError")) {
    const auto line = call["args"]["line"].get<std::string>();
    if (line.rfind(unexpected, 0) == 0) {
      std::fprintf(stderr, "an exception escaped the run: %s\n", line.c_str());
      std::abort();
    }
  }
  Check(code == kExitSuccess || code == kExitCancelled || code == kExitInstallFailed ||
            code == kExitInstallerBusy || code == kExitUsage || code == kExitRestartStarted ||
            code == kExitRestartNeeded || code == kExitProductRunning,
        "the exit code is one the program documents");

  // What vtrsim writes: each line must read back as JSON.
  const auto dumpsAsJson = [](const nlohmann::ordered_json& line) {
    const std::string text =
        line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    return nlohmann::json::accept(text) && text.find('\n') == std::string::npos;
  };
  for (const auto& line : p.Transcript()) {
    Check(dumpsAsJson(line), "a transcript line is JSON on one line");
  }
  Check(dumpsAsJson(p.FinalState()), "the final state is JSON on one line");
  return code;
}

// True when the transcript holds a call of this operation.
inline bool Called(const SimPlatform& p, const char* op) {
  return !p.Calls(op).empty();
}

}  // namespace vtr::fuzz
