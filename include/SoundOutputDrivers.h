#pragma once
// The sound outputs that libout123 may open, in the order it tries them, for
// the decoder library and the media-control service alike. Real desktop
// outputs only: libout123's own default list waits seconds on network drivers
// when no sound server runs, and one of its fallbacks spins forever.
// Header only, so that neither library depends on the other or on a third.
inline constexpr const char* kSoundOutputDrivers = "pulse,alsa,oss,jack";
