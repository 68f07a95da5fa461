// The protocol's framing: lines in, replies and events out.
#include "speechd/protocol.h"

#include <cerrno>
#include <cstring>
#include <unistd.h>

bool LineReader::next(std::string& line)
{
    for (;;) {
        const std::size_t lf = buffer_.find('\n', start_);
        if (lf != std::string::npos) {
            line.assign(buffer_, start_, lf - start_);
            start_ = lf + 1;
            return true;
        }
        if (ended_) {
            if (start_ >= buffer_.size())
                return false;
            line.assign(buffer_, start_, std::string::npos);
            start_ = buffer_.size();
            return true;
        }
        buffer_.erase(0, start_);
        start_ = 0;
        char chunk[4096];
        const ssize_t n = read(fd_, chunk, sizeof chunk);
        if (n > 0)
            buffer_.append(chunk, static_cast<std::size_t>(n));
        else if (n == 0 || errno != EINTR)
            ended_ = true;
    }
}

namespace {

struct CommandName {
    std::string_view name;
    Command command;
};
const CommandName COMMANDS[] = {
    {"INIT", Command::init},         {"AUDIO", Command::audio},
    {"LOGLEVEL", Command::loglevel}, {"SET", Command::set},
    {"SPEAK", Command::speak},       {"CHAR", Command::char_},
    {"KEY", Command::key},           {"SOUND_ICON", Command::sound_icon},
    {"STOP", Command::stop},         {"PAUSE", Command::pause},
    {"LIST VOICES", Command::list_voices}, {"QUIT", Command::quit},
    {"DEBUG", Command::debug},
};

}  // namespace

Command parse_command(std::string_view line)
{
    while (!line.empty() && (line.back() == '\r' || line.back() == ' '))
        line.remove_suffix(1);
    for (const CommandName& c : COMMANDS)
        if (line == c.name || (c.command == Command::debug && line.starts_with("DEBUG ")))
            return c.command;
    return Command::unknown;
}

bool split_setting(std::string_view line, std::string& name, std::string& value)
{
    const std::size_t eq = line.find('=');
    if (eq == std::string_view::npos)
        return false;
    name.assign(line.substr(0, eq));
    value.assign(line.substr(eq + 1));
    return true;
}

std::string_view unstuff_line(std::string_view line)
{
    if (line.starts_with(".."))
        line.remove_prefix(1);
    return line;
}

std::string mark_event(std::string_view name)
{
    std::string e = "700-";
    e.append(name);
    e += "\n700 INDEX MARK\n";
    return e;
}

std::string audio_event(const std::int16_t* samples, std::size_t count, int sample_rate)
{
    constexpr unsigned char ESCAPE = 0x7D;
    constexpr unsigned char FLIP = 0x20;  // the bit an escaped byte has flipped
    std::string e = "705-bits=16\n705-num_channels=1\n705-sample_rate=" + std::to_string(sample_rate) +
                    "\n705-num_samples=" + std::to_string(count) + "\n705-big_endian=0\n705-AUDIO";
    e += '\0';
    e.reserve(e.size() + count * 2 + count / 8 + 16);
    for (std::size_t i = 0; i < count; ++i) {
        const auto u = static_cast<std::uint16_t>(samples[i]);
        // Little-endian, as announced above.
        for (const unsigned char byte : {static_cast<unsigned char>(u & 0xFF), static_cast<unsigned char>(u >> 8)}) {
            if (byte == '\n' || byte == ESCAPE) {
                e += static_cast<char>(ESCAPE);
                e += static_cast<char>(byte ^ FLIP);
            } else {
                e += static_cast<char>(byte);
            }
        }
    }
    e += "\n705 AUDIO\n";
    return e;
}
