// Run-time errors raised by platform operations, and the "report, then carry on" step runner
// that procedures with one error handler use.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

namespace vtr {

// A run-time error: a number (32-bit) and a description, read by the error handler it enters.
struct RunError {
  int32_t number = 0;
  std::wstring description;
};

// What an error handler decides after it has reported an error.
enum class OnError { Resume, Stop };

// Runs the steps in order. When a step raises a RunError the handler decides: Resume goes on
// with the next step, Stop ends the run. Returns false when a handler stopped it.
inline bool RunSteps(std::initializer_list<std::function<void()>> steps,
                     const std::function<OnError(const RunError&)>& handler) {
  for (const auto& step : steps) {
    try {
      step();
    } catch (const RunError& error) {
      if (handler(error) == OnError::Stop) {
        return false;
      }
    }
  }
  return true;
}

// Runs one statement of a procedure whose handler reports the error and resumes with the
// next statement.
inline void Attempt(const std::function<void()>& statement,
                    const std::function<void(const RunError&)>& report) {
  try {
    statement();
  } catch (const RunError& error) {
    report(error);
  }
}

}  // namespace vtr
