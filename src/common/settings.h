// The user settings, one record for the whole process. The driver loads and
// edits them; the sound stage reads the first four, the normaliser reading.
#pragma once

#include "platform.h"  // PATH_SEPARATOR, DEFAULT_VOICE

// The voice prefix: a directory name and its separator, NUL included.
constexpr int VOICE_BYTES = 32;

// The settings' ranges: speed in percent, the loudness factor, and the
// stutter control (a recording's samples divided by it give its length unit).
constexpr int SPEED_MIN = 1;
constexpr int SPEED_MAX = 200;
constexpr float VOLUME_MIN = 0.0f;
constexpr float VOLUME_MAX = 4.0f;
constexpr float STUTTER_MIN = 1.0f;
constexpr float STUTTER_MAX = 21.0f;
constexpr bool speed_in_range(int speed) { return speed >= SPEED_MIN && speed <= SPEED_MAX; }

constexpr int DEFAULT_SPEED = 100;
constexpr float DEFAULT_VOLUME = 3.0f;
constexpr float DEFAULT_STUTTER = 10.0f;
// How the normaliser reads: 1 as a Russian reader reads everyday text, 0 by
// the original rules (text.tmp exactly as the first releases wrote it).
constexpr int READING_ORIGINAL = 0;
constexpr int READING_EVERYDAY = 1;
constexpr int DEFAULT_READING = READING_EVERYDAY;

struct SettingsRecord {
    int speed;      // reading speed in percent, 1..200
    float volume;   // loudness factor, 0.0..4.0
    float stutter;  // a recording's samples divided by it give its length unit
    char voice[VOICE_BYTES];  // path prefix of the recordings, ends in PATH_SEPARATOR
    int reading;    // READING_EVERYDAY or READING_ORIGINAL
};

extern SettingsRecord Settings;

// Puts the built-in defaults back (the state at program start).
void settings_defaults();
