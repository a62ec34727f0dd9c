// The scenario reader on any JSON, and a whole simulated run of the program on every scenario
// it accepts: a scenario is either refused with a reason or played to the end.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <stdexcept>

#include <nlohmann/json.hpp>

#include "fuzz_run.h"
#include "sim/sim_platform.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const nlohmann::json scenario = nlohmann::json::parse(data, data + size, nullptr, false);
  if (scenario.is_discarded()) {
    return 0;
  }
  std::unique_ptr<vtr::SimPlatform> p;
  try {
    p = std::make_unique<vtr::SimPlatform>(scenario);
  } catch (const std::invalid_argument&) {
    return 0;  // refused, with the field named: what vtrsim reports
  }
  vtr::fuzz::RunProgram(*p);
  return 0;
}
