#pragma once
// Checked file variables: every operation stores its outcome in the per-thread
// I/O result and, when that is not 0, raises EInOutError at once (reading the
// code and setting the I/O result back to 0 first).
//
// Codes: platform codes (2 missing file, 3 missing folder, 4 too many open
// files, 5 access denied or read-only, 32 held by another program, 87 invalid
// parameter: a record size below 1 or a transfer whose byte count overflows,
// 112 disk full, 131 a seek before the start of the file ...), and the
// run-time's 100..106 (102 no name or bad state, 103 not open / not open for
// writing).

#include <cstdint>
#include <string>

#include "FileServices.h"

// The run-time's global file mode; 2 = read and write. Opening an existing
// file through a file variable asks for this access.
extern int FileMode;

enum class TFileState { fmClosed, fmInput, fmOutput, fmInOut };

struct TFileVar {
  THandle Handle = INVALID_HANDLE_VALUE;
  TFileState State = TFileState::fmClosed;
  int RecSize = 128;
  std::string Name;
};

// The per-thread I/O result (0 = no error). Exposed for tests.
int& InOutRes();
// The message of an I/O error code ("Fichier introuvable", ..., "Erreur E/S %d").
std::string InOutErrorMessage(int code);
// Raises EInOutError when the I/O result is not 0, after resetting it.
void InOutCheck();

void AssignFile(TFileVar& f, const std::string& name);
// Opens an existing file for reading and writing (FileMode 2); closes f first if open.
void Reset(TFileVar& f, int recSize);
// Creates the file (an existing one is emptied), open for reading and writing.
void Rewrite(TFileVar& f, int recSize);
void Seek(TFileVar& f, int64_t recIndex);
// Reads up to count records; actual = records read. A short read is no error.
void BlockRead(TFileVar& f, void* buf, int64_t count, int64_t& actual);
// Writes count records; actual = records written. A short write is no error here.
void BlockWrite(TFileVar& f, const void* buf, int64_t count, int64_t& actual);
void CloseFile(TFileVar& f);
