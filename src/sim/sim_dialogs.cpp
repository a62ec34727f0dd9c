// The simulated boxes and folder picker, answered from the scenario's script.
#include "sim/machine.h"
#include "sim/sim_platform.h"

namespace vtr {

using sim::Line;
using sim::Text;
using sim::TextOrNull;

namespace {

const char* ButtonsName(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return "OK";
    case MsgButtons::OkCancel:
      return "OKCancel";
    case MsgButtons::YesNo:
      return "YesNo";
    case MsgButtons::YesNoCancel:
      return "YesNoCancel";
    case MsgButtons::RetryCancel:
      return "RetryCancel";
  }
  return "?";
}

const char* IconName(MsgIcon icon) {
  switch (icon) {
    case MsgIcon::None:
      return "None";
    case MsgIcon::Critical:
      return "Critical";
    case MsgIcon::Question:
      return "Question";
    case MsgIcon::Exclamation:
      return "Exclamation";
    case MsgIcon::Information:
      return "Information";
  }
  return "?";
}

const char* AnswerName(MsgAnswer answer) {
  switch (answer) {
    case MsgAnswer::Ok:
      return "OK";
    case MsgAnswer::Cancel:
      return "Cancel";
    case MsgAnswer::Yes:
      return "Yes";
    case MsgAnswer::No:
      return "No";
    case MsgAnswer::Retry:
      return "Retry";
  }
  return "?";
}

bool IsButtonOf(MsgAnswer answer, MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return answer == MsgAnswer::Ok;
    case MsgButtons::OkCancel:
      return answer == MsgAnswer::Ok || answer == MsgAnswer::Cancel;
    case MsgButtons::YesNo:
      return answer == MsgAnswer::Yes || answer == MsgAnswer::No;
    case MsgButtons::YesNoCancel:
      return answer == MsgAnswer::Yes || answer == MsgAnswer::No || answer == MsgAnswer::Cancel;
    case MsgButtons::RetryCancel:
      return answer == MsgAnswer::Retry || answer == MsgAnswer::Cancel;
  }
  return false;
}

std::string ButtonList(MsgButtons buttons) {
  switch (buttons) {
    case MsgButtons::Ok:
      return "OK";
    case MsgButtons::OkCancel:
      return "OK, Cancel";
    case MsgButtons::YesNo:
      return "Yes, No";
    case MsgButtons::YesNoCancel:
      return "Yes, No, Cancel";
    case MsgButtons::RetryCancel:
      return "Retry, Cancel";
  }
  return "?";
}

}  // namespace

// --- User dialogs ---

MsgAnswer SimPlatform::MsgBox(const std::wstring& text, MsgButtons buttons, MsgIcon icon,
                              const std::optional<std::wstring>& title) {
  const std::size_t line = machine_->Begin("MsgBox", Line{{"text", Text(text)},
                                                          {"buttons", ButtonsName(buttons)},
                                                          {"icon", IconName(icon)},
                                                          {"title", TextOrNull(title)}});
  // Without a script the box is answered with its first button, as Enter would.
  // An unscripted box is answered as a user who agrees would; a Retry is never assumed, since
  // it could ask again for ever.
  const MsgAnswer fallback = buttons == MsgButtons::Ok || buttons == MsgButtons::OkCancel
                                 ? MsgAnswer::Ok
                             : buttons == MsgButtons::RetryCancel ? MsgAnswer::Cancel
                                                                  : MsgAnswer::Yes;
  const std::optional<MsgAnswer> scripted = machine_->NextMsgBoxAnswer();
  MsgAnswer answer = fallback;
  std::optional<std::string> error;
  if (!scripted) {
    machine_->CountUnscripted();
  } else if (IsButtonOf(*scripted, buttons)) {
    answer = *scripted;
  } else {
    error = std::string("the scripted answer ") + AnswerName(*scripted) +
            " is not a button of this box (" + ButtonList(buttons) + "); answered " +
            AnswerName(fallback);
    machine_->ScenarioError("MsgBox: " + *error);
  }
  machine_->Result(line, AnswerName(answer));
  if (!scripted) {
    machine_->Note(line, "unscripted", true);
  }
  if (error) {
    machine_->Note(line, "error", *error);
  }
  return answer;
}

std::wstring SimPlatform::InputBox(const std::wstring& prompt, const std::wstring& title,
                                   const std::wstring& defaultText) {
  const std::size_t line = machine_->Begin(
      "InputBox",
      Line{{"prompt", Text(prompt)}, {"title", Text(title)}, {"default", Text(defaultText)}});
  const auto scripted = machine_->NextInputBoxAnswer();
  // Without a script the user accepts the proposed text; a scripted null is Cancel.
  const std::wstring answer = scripted ? scripted->value_or(L"") : defaultText;
  machine_->Result(line, Text(answer));
  if (!scripted) {
    machine_->CountUnscripted();
    machine_->Note(line, "unscripted", true);
  }
  return answer;
}

void SimPlatform::SetMousePointer(MousePointer pointer) {
  machine_->Begin("SetMousePointer",
                  Line{{"pointer", pointer == MousePointer::Busy ? "Busy" : "Default"}});
}

// --- The folder picker ---

std::optional<std::wstring> SimPlatform::BrowseForFolder(const std::wstring& title,
                                                         bool programFilesRoot) {
  const std::size_t line = machine_->Begin(
      "BrowseForFolder", Line{{"title", Text(title)}, {"programFilesRoot", programFilesRoot}});
  const auto scripted = machine_->NextFolderPickerAnswer();
  // Without a script the user closes the picker.
  const std::optional<std::wstring> chosen = scripted ? *scripted : std::nullopt;
  machine_->Result(line, TextOrNull(chosen));
  if (!scripted) {
    machine_->CountUnscripted();
    machine_->Note(line, "unscripted", true);
  }
  return chosen;
}

}  // namespace vtr
