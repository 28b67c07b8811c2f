#pragma once
// Where the program finds its own pieces and keeps the user's settings. None
// of these depends on the working directory the program was started from.

#include <functional>
#include <string>

// The folder that holds the running executable, ending in the delimiter
// (from /proc/self/exe on Linux, GetModuleFileNameW on Windows). Falls back
// to the working directory only when the system cannot say.
std::string ApplicationDirectory();

// The fixed place the MP3 command also looks for the decoder library, ending
// in the delimiter. Linux: the folder the library is installed into,
// computed from the application directory, so any install prefix works (in
// the build tree it names a folder that does not exist; the library lies
// beside the executable there). Windows: the Windows folder.
std::string PrivateLibraryDirectory(const std::string& applicationDirectory);

// Linux: $XDG_CONFIG_HOME/vantrel/S16c.ini. An unset, empty or relative
// XDG_CONFIG_HOME means ~/.config; an unset or relative HOME means the home
// folder of the user's account. Windows: %APPDATA%\Vantrel\S16c.ini (the
// roaming application data folder).
std::string SettingsFileName();

// The rules behind SettingsFileName on Linux, apart from the system: configHome is
// $XDG_CONFIG_HOME (null when unset) and homeDirectory gives the home folder,
// asked only when the configuration folder needs it.
std::string SettingsFileNameFrom(const char* configHome, const std::function<std::string()>& homeDirectory);

// The home folder: $HOME (null when unset) when absolute, else the account's
// folder (null when unknown) when absolute, else "/".
std::string HomeDirectoryFrom(const char* home, const char* accountHome);
