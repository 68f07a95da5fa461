// sd_vokdar: speech-dispatcher's output module for vokdar. It reads the
// server's commands, keeps one engine per voice loaded from INIT on, and
// speaks each message on a thread of its own, handing the audio to the server
// in blocks as the chain makes them, so STOP and PAUSE are heard at once.
#pragma once

#include "speechd/names.h"

#include <string>
#include <string_view>

// The module's own settings, from the configuration file the server names.
struct ModuleConfig {
    std::string voice = "torvy";  // DefaultVoice
    std::string data_dir;         // VokdarDataDir: the installed share/vokdar
    std::string dictionary;       // VokdarDictionary: a replace.txt of the user's choice
    int reading = 1;              // VokdarReading: 1 everyday, 0 the original rules
    double audio_lead = 1.0;      // seconds of audio sent ahead of the time it takes to play
};
// Reads "Name value" lines ('#' starts a comment; values may be quoted); a
// missing file leaves the defaults. false, with why, on a line it refuses.
bool read_module_config(const char* path, ModuleConfig& config, std::string& why);

// speech-dispatcher's settings (-100..100) as the engine's.
double volume_for(int volume);          // loudness factor, 0.0..3.0, 3.0 at +100
double pitch_factor_for(int pitch);     // 0.5..2.0, 1.0 at 0
Punctuation punctuation_for(std::string_view mode);
Capitals capitals_for(std::string_view mode);

// Runs the module on the two descriptors until QUIT or the end of input;
// returns the exit status.
int run_module(int in_fd, int out_fd, const ModuleConfig& config);
