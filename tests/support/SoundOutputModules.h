#pragma once
// The sound output library loads its driver modules (and the JACK client)
// for an attempt and unloads them again; when no server answers they leak a
// few blocks of their own. Keeping them loaded lets the leak checker name
// them, so those leaks can be told apart from ours.
void PinSoundOutputModules();
