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

  // A status line on standard output. A write there that fails (a closed
  // pipe, a full disk) is remembered: the file in hand still ends as it
  // would, and the batch starts no other file.
  void Status(const std::string& text);
  // Standard output took a write no more; StandardOutputError says why.
  bool StandardOutputFailed() const { return outError_ != 0; }
  // Writes out what standard output still holds; false when that fails.
  bool FlushStandardOutput();
  // The line that reports a failed standard output ("write error: ...").
  std::string StandardOutputError() const;
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
  void CheckOut(bool written);

  TConsoleStreams streams_;
  TTextGauge gauge_;
  std::string subject_;
  TFileOutcome outcome_ = TFileOutcome::Done;
  int outError_ = 0;  // errno of the first failed write to standard output
};

// A message of the commands as a terminal shows it: the carriage returns
// that break its lines in a box become line feeds.
std::string TerminalText(std::string text);

// An error text followed by the file or folder at fault, when there is one:
// "Erreur E/S 5. (/tmp/x)".
std::string WithCause(const std::string& text, const std::string& cause);
