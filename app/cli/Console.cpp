#include "Console.h"

#include <algorithm>

std::string TerminalText(std::string text) {
  std::replace(text.begin(), text.end(), '\r', '\n');
  return text;
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
  std::fputs((text + "\n").c_str(), streams_.Out);
  // A script reading the output sees each step as it happens.
  std::fflush(streams_.Out);
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
  std::fputs(question.c_str(), streams_.Err);
  std::fflush(streams_.Err);
  std::string answer;
  for (int c = std::fgetc(streams_.In); c != EOF && c != '\n'; c = std::fgetc(streams_.In))
    answer += static_cast<char>(c);
  return answer;
}

void TConsole::ToErr(const std::string& text) {
  gauge_.Erase();
  // Keep the order of status and error lines when both go to one place.
  std::fflush(streams_.Out);
  const std::string prefix = subject_.empty() ? "vantrel: " : "vantrel: " + subject_ + ": ";
  std::fputs((prefix + text + "\n").c_str(), streams_.Err);
  std::fflush(streams_.Err);
}
