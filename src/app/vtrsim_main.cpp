// vtrsim: runs the setup program against a simulated Windows described by a scenario file and
// writes what the program did: one JSON line per platform call, with the scripted user's
// events and form snapshots among them, then {"exit": code}, then {"final": state}. With
// --pinned only the part the scenario's "pin" field names. See docs/scenarios.md.
#include <cerrno>
#include <cstring>
#include <exception>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "sim/scenario.h"
#include "sim/sim_platform.h"
#include "sim/utf8.h"
#include "startup/main.h"

namespace {

// A scenario that cannot be played, or arguments that make no sense.
constexpr int kStatusBadInput = 2;
// The program let an error escape: a defect in the program, reported in the transcript.
constexpr int kStatusUncaught = 3;

const char* const kUsage =
    "usage: vtrsim SCENARIO.json [--pinned] [-o TRANSCRIPT.jsonl]\n"
    "         --pinned: only the part of the transcript the scenario pins\n"
    "       vtrsim --failure-results   (the failing results a fault may give each operation)\n"
    "       vtrsim --operations        (each operation: an action or a query)";

int Refuse(const std::string& message) {
  std::cerr << "vtrsim: " << message << "\n";
  return kStatusBadInput;
}

std::string Dump(const nlohmann::ordered_json& line) {
  return line.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> args(argv + 1, argv + argc);
  std::string scenarioPath;
  std::string outputPath;
  bool pinnedOnly = false;
  for (std::size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "-o" && i + 1 < args.size() && outputPath.empty()) {
      outputPath = args[++i];
    } else if (args[i] == "-h" || args[i] == "--help") {
      std::cout << kUsage << "\n";
      return 0;
    } else if (args[i] == "--failure-results" && args.size() == 1) {
      std::cout << Dump(vtr::sim::FailureResults()) << "\n";
      return 0;
    } else if (args[i] == "--operations" && args.size() == 1) {
      std::cout << Dump(vtr::sim::OperationKinds()) << "\n";
      return 0;
    } else if (args[i] == "--pinned" && !pinnedOnly) {
      pinnedOnly = true;
    } else if (!args[i].empty() && args[i][0] != '-' && scenarioPath.empty()) {
      scenarioPath = args[i];
    } else {
      return Refuse("unexpected argument \"" + args[i] + "\"\n" + kUsage);
    }
  }
  if (scenarioPath.empty()) {
    return Refuse(std::string("no scenario file given\n") + kUsage);
  }

  std::ifstream in(scenarioPath, std::ios::binary);
  if (!in) {
    return Refuse("cannot read scenario \"" + scenarioPath + "\": " + std::strerror(errno));
  }
  std::ostringstream text;
  text << in.rdbuf();

  nlohmann::json scenario;
  try {
    scenario = nlohmann::json::parse(text.str());
  } catch (const nlohmann::json::parse_error& e) {
    return Refuse(scenarioPath + ": not valid JSON: " + e.what());
  }

  std::unique_ptr<vtr::SimPlatform> platform;
  try {
    platform = std::make_unique<vtr::SimPlatform>(scenario);
  } catch (const std::invalid_argument& e) {
    return Refuse(scenarioPath + ": " + e.what());
  }

  std::ofstream file;
  if (!outputPath.empty()) {
    file.open(outputPath, std::ios::binary | std::ios::trunc);
    if (!file) {
      return Refuse("cannot write \"" + outputPath + "\": " + std::strerror(errno));
    }
  }
  std::ostream& out = outputPath.empty() ? std::cout : file;

  int exitCode = 0;
  std::optional<nlohmann::ordered_json> uncaught;
  try {
    exitCode = vtr::Main(*platform, platform->EditionId());
  } catch (const vtr::RunError& e) {
    uncaught = nlohmann::ordered_json{{"number", e.number},
                                      {"description", vtr::sim::ToUtf8(e.description)}};
  } catch (const std::exception& e) {
    uncaught = nlohmann::ordered_json{{"exception", e.what()}};
  }
  // The program ends a run that something other than a run-time error stopped as a failure,
  // as a user needs it; here it is still a defect of the program, named by its line.
  std::string unexpected;
  const std::string unexpectedLine = "VTR Setup: " + vtr::sim::ToUtf8(vtr::kUnexpectedErrorLine);
  for (const auto& call : platform->Calls("WriteStandardError")) {
    const auto line = call["args"]["line"].get<std::string>();
    if (line.rfind(unexpectedLine, 0) == 0) {
      unexpected = line;
    }
  }

  for (const auto& line : platform->Transcript()) {
    if (!pinnedOnly || platform->Pins(line)) {
      out << Dump(line) << "\n";
    }
  }
  if (uncaught) {
    out << Dump(nlohmann::ordered_json{{"uncaught", *uncaught}}) << "\n";
  } else {
    out << Dump(nlohmann::ordered_json{{"exit", exitCode}}) << "\n";
  }
  out << Dump(nlohmann::ordered_json{{"final", platform->FinalState()}}) << "\n";
  out.flush();
  if (!out) {
    return Refuse("could not write the transcript");
  }

  for (const std::string& error : platform->ScenarioErrors()) {
    std::cerr << "vtrsim: " << scenarioPath << ": scenario error: " << error << "\n";
  }
  for (const std::string& note : platform->UnusedAnswers()) {
    std::cerr << "vtrsim: " << scenarioPath << ": note: " << note << "\n";
  }
  if (uncaught) {
    std::cerr << "vtrsim: " << scenarioPath
              << ": the program let an error escape: " << uncaught->dump() << "\n";
    return kStatusUncaught;
  }
  if (!unexpected.empty()) {
    std::cerr << "vtrsim: " << scenarioPath << ": an error escaped the run: " << unexpected << "\n";
    return kStatusUncaught;
  }
  return 0;
}
