// Speech made faster or slower without a change of pitch, for the rate a
// screen-reader user sets: the engine's own speed shortens only the pauses.
// The work is done by sonic (libsonic-dev), a library made for the job.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

struct sonicStreamStruct;

class Tempo {
public:
    // factor > 1 is faster; 1 passes the samples through untouched.
    explicit Tempo(double factor);
    ~Tempo();
    Tempo(const Tempo&) = delete;
    Tempo& operator=(const Tempo&) = delete;

    bool active() const { return stream_ != nullptr; }
    // Feeds count samples; out receives (replacing its contents) what is ready.
    void put(const std::int16_t* samples, std::size_t count, std::vector<std::int16_t>& out);
    // What is still held, at the end of the speech.
    void finish(std::vector<std::int16_t>& out);

private:
    sonicStreamStruct* stream_ = nullptr;
    std::vector<short> in_;
    void take(std::vector<std::int16_t>& out);
};

// speech-dispatcher's rate (-100..100) as a tempo factor: -100 is half the
// normal speed, +100 three times it, 1 at 0.
double tempo_for_rate(int rate);
