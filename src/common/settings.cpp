// The process-wide settings record and its defaults.
#include "common/settings.h"

#include <cstring>

SettingsRecord Settings = {DEFAULT_SPEED, DEFAULT_VOLUME, DEFAULT_STUTTER, "torvy/", DEFAULT_READING};

void settings_defaults()
{
    Settings.speed = DEFAULT_SPEED;
    Settings.volume = DEFAULT_VOLUME;
    Settings.stutter = DEFAULT_STUTTER;
    std::memset(Settings.voice, 0, sizeof Settings.voice);
    std::strcpy(Settings.voice, DEFAULT_VOICE);
    Settings.reading = DEFAULT_READING;
}
