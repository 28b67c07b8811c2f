#pragma once
// What the program settles for itself before anything else, window and
// command line alike. On Linux:
// - descriptors 0, 1 and 2 that are not open are opened on /dev/null, so
//   that no file the program opens (a user's WAV) can take their place and
//   receive what is written to standard output or error;
// - SIGPIPE and SIGXFSZ are ignored, so that a write to a pipe without a
//   reader or past the file size limit fails with EPIPE or EFBIG, which the
//   file services report, instead of ending the program in the middle of a
//   file;
// - SIGINT, SIGTERM and SIGHUP remove the files of the run in hand before the
//   program ends (RunCleanup.h).
// On Windows: no system dialog for a drive without its disc, and the
// console's Ctrl+C, Ctrl+Break and close remove the run's files
// (RunCleanup.h).
void PrepareProcess();
