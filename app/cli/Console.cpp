#include "Console.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "Terminal.h"

std::string TerminalText(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
}

std::string WithCause(const std::string& text, const std::string& cause) {
  return cause.empty() ? text : text + " (" + cause + ")";
}

TConsole::TConsole(TConsoleStreams streams)
    : streams_(streams), gauge_(streams.ErrIsTerminal && !streams.Quiet ? streams.Err : nullptr) {}

void TConsole::BeginFile(const std::string& subject) {
  subject_ = subject;
  outcome_ = TFileOutcome::Done;
}

void TConsole::Status(const std::string& text) {
  if (streams_.Quiet) return;
  gauge_.Erase();
  if (outError_ != 0) return;
  errno = 0;
  const bool put = PutText(text + "\n", streams_.Out) >= 0;
  // A script reading the output sees each step as it happens.
  CheckOut(put && std::fflush(streams_.Out) == 0);
}

bool TConsole::FlushStandardOutput() {
  if (outError_ == 0) {
    errno = 0;
    CheckOut(std::fflush(streams_.Out) == 0);
  }
  return outError_ == 0;
}

std::string TConsole::StandardOutputError() const { return std::string("write error: ") + std::strerror(outError_); }

void TConsole::CheckOut(bool written) {
  if (written && !std::ferror(streams_.Out)) return;
  outError_ = errno != 0 ? errno : EIO;
  // What is left in the buffer is never written: the next flush would fail
  // again, and the error is reported once.
  std::clearerr(streams_.Out);
  outcome_ = TFileOutcome::Failed;
}

void TConsole::Error(const std::string& text) {
  outcome_ = TFileOutcome::Failed;
  ToErr(text);
}

void TConsole::Skipped(const std::string& reason) {
  if (outcome_ == TFileOutcome::Done) outcome_ = TFileOutcome::Skipped;
  ToErr("skipped: " + reason);
}

void TConsole::Note(const std::string& text) { ToErr(text); }

std::string TConsole::Ask(const std::string& question) {
  gauge_.Erase();
  std::fflush(streams_.Out);
  PutText(question, streams_.Err);
  std::fflush(streams_.Err);
  std::string answer;
  for (int c = std::fgetc(streams_.In); c != EOF && c != '\n'; c = std::fgetc(streams_.In))
    answer += static_cast<char>(c);
  return answer;
}

void TConsole::ToErr(const std::string& text) {
  gauge_.Erase();
  // Keep the order of status and error lines when both go to one place.
  if (outError_ == 0) CheckOut(std::fflush(streams_.Out) == 0);
  const std::string prefix = subject_.empty() ? "vantrel: " : "vantrel: " + subject_ + ": ";
  PutText(prefix + text + "\n", streams_.Err);
  std::fflush(streams_.Err);
}
