// The module run on two pipes in a thread of the test, and what it sends back
// read as replies and events (AUDIO events decoded into samples).
#pragma once

#include "speechd/module.h"

#include <cstdint>
#include <string>
#include <thread>
#include <vector>

struct ModuleEvent {
    std::string line;                   // the reply or event line ("701 BEGIN"); "705 AUDIO" for audio
    std::vector<std::int16_t> samples;  // of an AUDIO event
    std::string mark;                   // of an INDEX MARK event
};

class ModuleSession {
public:
    explicit ModuleSession(const ModuleConfig& config);
    ~ModuleSession();  // QUIT, then the module's end is awaited

    void send(const std::string& text);
    // The next reply or event; line "" at the end of output or after timeout_ms.
    ModuleEvent next(int timeout_ms = 5000);
    // Events up to and including the first of 702, 703, 704; the audio of the
    // AUDIO events among them joined into samples.
    std::vector<ModuleEvent> until_end(std::vector<std::int16_t>* samples = nullptr);
    // INIT, AUDIO (server), and the replies checked.
    void start();
    // A SPEAK-like command with its body; the two replies checked.
    void speak(const std::string& command, const std::string& body);
    void set(const std::string& settings);  // "rate=20\npitch=0"
    // speak(), then the samples played up to the message's end.
    std::vector<std::int16_t> say(const std::string& command, const std::string& body);

private:
    int to_module_[2];
    int from_module_[2];
    std::thread thread_;
    std::string buffer_;
    bool read_line(std::string& line, int timeout_ms);
};

// The data directory of the build: the default voice and dictionary.
ModuleConfig test_module_config();
// What the engine makes of text with the module's mapping of the settings,
// the silences trimmed, as the module speaks a message of one part.
std::vector<std::int16_t> engine_speech(const std::string& text, int rate = 0, int volume = 100,
                                        const std::string& voice = "torvy");
