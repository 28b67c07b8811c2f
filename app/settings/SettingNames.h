#pragma once
// The names under which the settings file keeps the last folders used.

inline constexpr const char kFolderSection[] = "Directory";
inline constexpr const char kWavFolderKey[] = "Wav";
inline constexpr const char kGp3FolderKey[] = "Gp3";
