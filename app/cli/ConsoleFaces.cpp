#include "ConsoleFaces.h"

#include <cctype>

#include "CheckedFile.h"
#include "Exceptions.h"
#include "FileOpening.h"

namespace {

bool MeansYes(std::string answer) {
  for (char& c : answer) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return answer == "y" || answer == "yes";
}

}  // namespace

TGivenFileDialog::TGivenFileDialog(TConsole& console, std::string given, bool mustExist)
    : console_(console), given_(std::move(given)), mustExist_(mustExist) {}

bool TGivenFileDialog::Execute() {
  if (mustExist_) {
    // A folder, a FIFO or a device is no sound file.
    const int code = RegularFileCode(given_);
    if (code != 0) {
      console_.Error(ErrorDisplayText(InOutErrorMessage(code)));
      return false;
    }
  }
  fileName_ = given_;
  return true;
}

TConsoleMessages::TConsoleMessages(TConsole& console, TModalResult answer, std::optional<std::string> outDir)
    : console_(console), answer_(answer), outDir_(std::move(outDir)) {}

TModalResult TConsoleMessages::MessageDialog(const std::string& text, TMsgDlgType, TMsgDlgButtons, int) {
  const std::string question = TerminalText(text);
  if (answer_ == mrYes) return mrYes;
  if (answer_ == mrNo) {
    console_.Note(question);
    console_.Skipped("answered No (--no)");
    return mrNo;
  }
  if (!console_.CanAsk()) {
    console_.Note(question);
    console_.Skipped("no terminal to answer on; give --yes or --no");
    return mrNo;
  }
  if (MeansYes(console_.Ask(question + " [y/N] "))) return mrYes;
  console_.Skipped("answered No");
  return mrNo;
}

void TConsoleMessages::PlainMessage(const std::string& text) { console_.Error(TerminalText(text)); }

void TConsoleMessages::PlainMessageAbout(const std::string& text, const std::string& cause) {
  console_.Error(WithCause(TerminalText(text), cause));
}

bool TConsoleMessages::PickDirectory(const std::string&, const std::string&, std::string& directory) {
  if (!outDir_) {
    console_.Error("the file lies on an optical disc; give a folder for the WAV with --out-dir");
    return false;
  }
  directory = *outDir_;
  return true;
}

void TConsoleStatusLine::SetStatusText(const std::string& text) {
  text_ = text;
  console_.Status(text);
}
