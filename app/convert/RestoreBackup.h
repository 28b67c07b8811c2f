#pragma once
// Undoing the conversion: a game sound file's backup (its name + ".bak", made
// before its first conversion) is put back over it. The backup stays, so a
// later conversion keeps it as the game's own file.
//
// The same care as the conversion: the backup is open for reading before
// anything else is done; its bytes go to a new file beside the game file,
// which takes the game file's place in one step (TReplacement) once it is
// complete, so the game file is never missing or half written.

#include <string>

#include "CommandPorts.h"

// Status texts: "Restoring " + game name, then "That's right". A missing
// backup, or one that is not a regular file, is said by a plain message and
// nothing is touched. Raises EInOutError for a failing file operation (a full
// disk as 101 "Disque plein"), and for a game file that is a folder, FIFO or
// device (5); the game file then keeps its content.
void RestoreBackup(const std::string& gamePath, IMessages& messages, IStatusLine& statusLine);

// The texts of the command; %s stands for the backup's name.
extern const char* const kNoBackup;
extern const char* const kBackupNotRegular;
