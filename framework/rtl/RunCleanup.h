#pragma once
// Files and folders that a run of a command has made and not yet handed over
// (a hidden replacement, a hidden backup copy, the private temporary folder
// and its file). When SIGINT, SIGTERM or SIGHUP ends the program, the handler
// removes every one still watched (files first, then folders) and ends the
// program with the signal's usual status, so that an interrupted run leaves
// nothing of its own behind and every file of the user's as it was.
//
// The handler does only async-signal-safe work: it reads a fixed table of
// paths, unlinks and removes, and raises the signal again with its default
// action.

#include <string>

// Installs the handler for SIGINT, SIGTERM and SIGHUP; a signal the program
// was started with ignored (nohup) stays ignored.
void RemoveRunFilesOnEndingSignals();

// One watched path. Not copyable; forgotten on destruction.
class TRunFile {
 public:
  TRunFile() = default;
  ~TRunFile() { Forget(); }
  TRunFile(const TRunFile&) = delete;
  TRunFile& operator=(const TRunFile&) = delete;

  // Watches path, a file or (folder) a folder removed after the files. False
  // when the table is full or the path too long for it.
  bool Watch(const std::string& path, bool folder = false);
  // The path is the user's now (renamed into place) or already gone.
  void Forget();

 private:
  int slot_ = -1;
};

// Holds the ending signals back for the life of the object, so that a file
// created and then watched in between is never missed by the handler; a
// signal that came meanwhile is handled when the object goes.
class TEndingSignalsHeld {
 public:
  TEndingSignalsHeld();
  ~TEndingSignalsHeld();
  TEndingSignalsHeld(const TEndingSignalsHeld&) = delete;
  TEndingSignalsHeld& operator=(const TEndingSignalsHeld&) = delete;

 private:
  unsigned char old_[128];  // the previous signal mask (a sigset_t)
};
