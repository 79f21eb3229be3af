#pragma once
// Sound output of wave sounds: one sound at a time for the whole program, a
// new one cutting off the last. Without an audio device (or with one that
// cannot take the format) playing fails at once; it never blocks the GUI
// thread longer than a waited-for sound lasts.
#include "platform/WaveFile.h"

namespace kc {

enum class WavePlayMode : std::uint8_t {
  Async,     // returns at once, the sound plays on
  AsyncLoop, // returns at once, the sound repeats until stopped
  Wait,      // returns when the sound has ended (events keep being served)
};

bool playWave(const WaveSound &sound, WavePlayMode mode);
void stopWave();
// Whether a sound is being played.
bool wavePlaying();

} // namespace kc
