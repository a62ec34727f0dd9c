// The administrator's guide lists every exit code a run can end with, in the words the setup log
// writes for each: its table and the outcome's are compared, so the two cannot disagree.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "engine/outcome.h"
#include "sim/utf8.h"

namespace vtr {
namespace {

std::string Trim(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  const auto last = text.find_last_not_of(' ');
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

// The rows of the first table under the guide's "## Exit codes": each row's code and the setup
// log's words (the second column, in backquotes).
std::vector<std::pair<std::string, std::string>> GuideTable() {
  std::ifstream guide(VTR_SOURCE_DIR "/docs/deploying.md");
  EXPECT_TRUE(guide) << "docs/deploying.md cannot be read";
  std::vector<std::pair<std::string, std::string>> rows;
  std::string line;
  bool inSection = false;
  bool inTable = false;
  while (std::getline(guide, line)) {
    if (line.rfind("## ", 0) == 0) {
      if (inSection) {
        break;
      }
      inSection = line == "## Exit codes";
      continue;
    }
    if (!inSection) {
      continue;
    }
    if (line.rfind("|", 0) != 0) {
      if (inTable) {
        break;  // the table ended
      }
      continue;
    }
    std::vector<std::string> cells;
    std::stringstream row(line.substr(1));
    for (std::string cell; std::getline(row, cell, '|');) {
      cells.push_back(Trim(cell));
    }
    const bool heading = !inTable;
    inTable = true;
    if (heading || cells.size() < 2 || cells[0].find_first_not_of("-:") == std::string::npos) {
      continue;  // the heading and the line below it
    }
    std::string words = cells[1];
    if (words.size() >= 2 && words.front() == '`' && words.back() == '`') {
      words = words.substr(1, words.size() - 2);
    }
    rows.emplace_back(cells[0], words);
  }
  return rows;
}

TEST(ExitCodes, TheGuidesTableIsTheOutcomes) {
  std::vector<std::pair<std::string, std::string>> expected;
  for (const int code : kExitCodes) {
    expected.emplace_back(std::to_string(code), "exit code: " + std::to_string(code) + " (" +
                                                    sim::ToUtf8(ExitCodeMeaning(code)) + ")");
  }
  EXPECT_EQ(GuideTable(), expected);
}

TEST(ExitCodes, EveryResultEndsWithACodeTheGuideLists) {
  for (const Result r :
       {Result::Success, Result::SuccessRestartNeeded, Result::RestartStarted, Result::Failure,
        Result::Busy, Result::ProductRunning, Result::Cancelled}) {
    EXPECT_NE(std::find(std::begin(kExitCodes), std::end(kExitCodes), ExitCodeFor(r)),
              std::end(kExitCodes))
        << ExitCodeFor(r);
  }
}

}  // namespace
}  // namespace vtr
