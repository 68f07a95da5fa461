// The four user settings, one record for the whole process. The driver loads
// and edits them; the sound stage reads them.
#pragma once

#include "platform.h"  // PATH_SEPARATOR, DEFAULT_VOICE

// The voice prefix: a directory name and its separator, NUL included.
constexpr int VOICE_BYTES = 32;

constexpr int DEFAULT_SPEED = 100;
constexpr float DEFAULT_VOLUME = 3.0f;
constexpr float DEFAULT_STUTTER = 10.0f;

struct SettingsRecord {
    int speed;      // reading speed in percent, 1..200
    float volume;   // loudness factor, 0.0..4.0
    float stutter;  // a recording's samples divided by it give its length unit
    char voice[VOICE_BYTES];  // path prefix of the recordings, ends in PATH_SEPARATOR
};

extern SettingsRecord Settings;

// Puts the built-in defaults back (the state at program start).
void settings_defaults();
