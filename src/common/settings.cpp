// The process-wide settings record and its defaults.
#include "common/settings.h"

#include <cstddef>

namespace {

constexpr SettingsRecord defaults()
{
    SettingsRecord r = {DEFAULT_SPEED, DEFAULT_VOLUME, DEFAULT_STUTTER, {}, DEFAULT_READING};
    for (std::size_t i = 0; i < sizeof DEFAULT_VOICE; ++i)
        r.voice[i] = DEFAULT_VOICE[i];
    return r;
}

}  // namespace

SettingsRecord Settings = defaults();

void settings_defaults() { Settings = defaults(); }
