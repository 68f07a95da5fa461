// speech-dispatcher's output-module protocol as sd_vokdar speaks it: commands
// read line by line from the server on standard input, replies and events
// written back on standard output.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// Reads LF-ended lines from a file descriptor. Plain read(2), so a thread
// blocked here holds no lock another thread needs.
class LineReader {
public:
    explicit LineReader(int fd) : fd_(fd) {}
    // The next line without its LF; false at the end of input or on an error.
    // A last line without LF is still returned.
    bool next(std::string& line);

private:
    int fd_;
    std::string buffer_;
    std::size_t start_ = 0;
    bool ended_ = false;
};

enum class Command {
    init, audio, loglevel, set, speak, char_, key, sound_icon, stop, pause, list_voices, quit, debug,
    unknown
};
Command parse_command(std::string_view line);

// "name=value", as in the blocks of SET, AUDIO and LOGLEVEL; false without '='.
bool split_setting(std::string_view line, std::string& name, std::string& value);

// A line of a message as the server sends it: a line that starts with a dot
// has had one more dot put before it.
std::string_view unstuff_line(std::string_view line);

// Events.
inline constexpr std::string_view EVENT_BEGIN = "701 BEGIN\n";
inline constexpr std::string_view EVENT_END = "702 END\n";
inline constexpr std::string_view EVENT_STOP = "703 STOP\n";
inline constexpr std::string_view EVENT_PAUSE = "704 PAUSE\n";
std::string mark_event(std::string_view name);
// One block of 16-bit mono samples for the server to play, its bytes escaped
// (LF and 0x7D become 0x7D and the byte with bit 5 flipped).
std::string audio_event(const std::int16_t* samples, std::size_t count, int sample_rate);
