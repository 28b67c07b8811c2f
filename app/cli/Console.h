#pragma once
// Where the command line writes: status texts to standard output, one a line;
// errors and notes to standard error, each line naming the file it is about;
// the text gauge on standard error when that is a terminal. It also keeps
// what became of the file being worked on, as the faces report it.

#include <cstdio>
#include <string>

#include "TextGauge.h"

enum class TFileOutcome { Done, Failed, Skipped };

struct TConsoleStreams {
  std::FILE* Out = stdout;
  std::FILE* Err = stderr;
  std::FILE* In = stdin;
  bool InIsTerminal = false;   // questions may be asked (and are seen)
  bool ErrIsTerminal = false;  // the gauge is drawn
  bool Quiet = false;          // no status lines and no gauge; errors still
};

class TConsole {
 public:
  explicit TConsole(TConsoleStreams streams);

  TTextGauge& Gauge() { return gauge_; }
  bool CanAsk() const { return streams_.InIsTerminal; }

  // Starts a file: its outcome is Done until a face says otherwise.
  // subject: how error lines name it, e.g. "song.mp3" or "a.wav -> bsound01.16".
  void BeginFile(const std::string& subject);
  TFileOutcome Outcome() const { return outcome_; }

  void Status(const std::string& text);
  // The file failed; the text goes to standard error.
  void Error(const std::string& text);
  // The file failed, and there is nothing to say.
  void FailQuietly() { outcome_ = TFileOutcome::Failed; }
  // The file was left alone on purpose.
  void Skipped(const std::string& reason);
  // A line on standard error that changes no outcome.
  void Note(const std::string& text);
  // Writes the question on standard error and reads one line of answer
  // (without its line end; empty at the end of input).
  std::string Ask(const std::string& question);

 private:
  void ToErr(const std::string& text);

  TConsoleStreams streams_;
  TTextGauge gauge_;
  std::string subject_;
  TFileOutcome outcome_ = TFileOutcome::Done;
};

// A message of the commands as a terminal shows it: the carriage returns
// that break its lines in a box become line feeds.
std::string TerminalText(std::string text);
