// The command line as Windows hands it over: the splitter sys_parse on any text and with any
// delimiter, the Win32 rule that cuts the program's own name off, and start-up reading the
// words of what is left in a whole simulated run.
#include <cstddef>
#include <cstdint>
#include <string>

#include <nlohmann/json.hpp>

#include "fuzz_run.h"
#include "fuzz_support.h"
#include "platform/win32/text_rules.h"
#include "sim/utf8.h"
#include "startup/command_line.h"

using vtr::fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
  const std::wstring text = vtr::fuzz::Text(data, size);

  // Every call takes a word off the front and consumes something, so reading ends.
  for (const std::wstring delimiter : {L" ", L"\t", L", ", L""}) {
    for (const bool trimLeading : {true, false}) {
      std::wstring rest = text;
      while (!rest.empty()) {
        const std::size_t before = rest.size();
        const std::wstring word = vtr::sys_parse(rest, delimiter, trimLeading);
        Check(rest.size() < before, "sys_parse consumes some of the text");
        Check(delimiter.empty() || word.find(delimiter) == std::wstring::npos,
              "a word holds no delimiter");
      }
      Check(vtr::sys_parse(rest, delimiter, trimLeading).empty(), "an empty text has no word");
    }
  }

  // SetupVTR.exe reads its words from what follows its own name on the command line.
  const std::wstring arguments = vtr::win32::ArgumentsAfterProgramName(text);
  Check(vtr::fuzz::EndsWith(text, arguments), "the arguments are the end of the command line");

  vtr::SimPlatform p(nlohmann::json{{"commandLine", vtr::sim::ToUtf8(arguments)},
                                    {"files", {"C:\\Downloads\\vtr3p.msi"}}});
  const int code = vtr::fuzz::RunProgram(p);
  bool usageShown = false;
  for (const auto& box : p.Calls("MsgBox")) {
    usageShown = usageShown || box["args"]["text"].get<std::string>().rfind("Parameter:", 0) == 0;
  }
  Check(usageShown == (code == vtr::kExitUsage), "the usage box and exit code 1639 go together");
  if (usageShown) {
    // A word the program does not know ends the run: nothing is shown, started or stored.
    for (const char* op : {"WizardView", "StartProcess", "StartAsDesktopUser", "SaveSetting"}) {
      Check(!vtr::fuzz::Called(p, op), "nothing runs after an invalid word");
    }
  }
  return 0;
}
