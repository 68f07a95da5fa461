// The module on pipes, for the tests.
#include "session.h"

#include "libvokdar/vokdar.h"
#include "speechd/protocol.h"
#include "speechd/tempo.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <poll.h>
#include <unistd.h>

ModuleSession::ModuleSession(const ModuleConfig& config)
{
    if (pipe(to_module_) != 0 || pipe(from_module_) != 0)
        std::abort();
    thread_ = std::thread([this, config] {
        run_module(to_module_[0], from_module_[1], config);
        close(from_module_[1]);
    });
}

ModuleSession::~ModuleSession()
{
    send("QUIT\n");
    close(to_module_[1]);
    // Whatever the module still writes is read, so it never waits on a full pipe.
    char chunk[65536];
    while (read(from_module_[0], chunk, sizeof chunk) > 0) {
    }
    thread_.join();
    close(to_module_[0]);
    close(from_module_[0]);
}

void ModuleSession::send(const std::string& text)
{
    std::size_t at = 0;
    while (at < text.size()) {
        const ssize_t n = write(to_module_[1], text.data() + at, text.size() - at);
        if (n <= 0)
            return;
        at += static_cast<std::size_t>(n);
    }
}

bool ModuleSession::read_line(std::string& line, int timeout_ms)
{
    for (;;) {
        const std::size_t lf = buffer_.find('\n');
        if (lf != std::string::npos) {
            line = buffer_.substr(0, lf);
            buffer_.erase(0, lf + 1);
            return true;
        }
        pollfd p{from_module_[0], POLLIN, 0};
        if (poll(&p, 1, timeout_ms) <= 0)
            return false;
        char chunk[65536];
        const ssize_t n = read(from_module_[0], chunk, sizeof chunk);
        if (n <= 0)
            return false;
        buffer_.append(chunk, static_cast<std::size_t>(n));
    }
}

ModuleEvent ModuleSession::next(int timeout_ms)
{
    ModuleEvent e;
    std::string line;
    if (!read_line(line, timeout_ms))
        return e;
    if (line.starts_with("700-")) {
        e.mark = line.substr(4);
        read_line(e.line, timeout_ms);  // 700 INDEX MARK
        return e;
    }
    if (!line.starts_with("705-")) {
        e.line = line;
        return e;
    }
    // 705-bits=16 ... 705-AUDIO, NUL, the escaped bytes, then 705 AUDIO.
    while (!line.starts_with("705-AUDIO")) {
        if (!read_line(line, timeout_ms))
            return e;
    }
    std::string bytes;
    for (std::size_t i = 10; i < line.size(); ++i) {
        if (line[i] == 0x7D && i + 1 < line.size())
            bytes += static_cast<char>(line[++i] ^ 0x20);
        else
            bytes += line[i];
    }
    for (std::size_t i = 0; i + 1 < bytes.size(); i += 2)
        e.samples.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(bytes[i]) |
                                                      static_cast<unsigned char>(bytes[i + 1]) << 8));
    read_line(e.line, timeout_ms);
    return e;
}

std::vector<ModuleEvent> ModuleSession::until_end(std::vector<std::int16_t>* samples)
{
    std::vector<ModuleEvent> events;
    for (;;) {
        ModuleEvent e = next();
        if (samples)
            samples->insert(samples->end(), e.samples.begin(), e.samples.end());
        events.push_back(std::move(e));
        const std::string& l = events.back().line;
        if (l.empty() || l == "702 END" || l == "703 STOP" || l == "704 PAUSE")
            return events;
    }
}

void ModuleSession::start()
{
    send("INIT\n");
    ModuleEvent e = next();
    while (e.line.starts_with("299-"))
        e = next();
    ASSERT_EQ(e.line, "299 OK LOADED SUCCESSFULLY");
    send("AUDIO\naudio_output_method=server\n.\n");
    ASSERT_EQ(next().line, "207 OK RECEIVING AUDIO SETTINGS");
    ASSERT_EQ(next().line, "203 OK AUDIO INITIALIZED");
}

void ModuleSession::speak(const std::string& command, const std::string& body)
{
    send(command + "\n");
    ASSERT_EQ(next().line, "202 OK RECEIVING MESSAGE");
    // Each line that starts with a dot gets one more, as the server sends it.
    std::string stuffed;
    std::size_t start = 0;
    for (;;) {
        const std::size_t lf = body.find('\n', start);
        const std::string line = body.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
        if (line.starts_with("."))
            stuffed += '.';
        stuffed += line;
        stuffed += '\n';
        if (lf == std::string::npos)
            break;
        start = lf + 1;
    }
    send(stuffed + ".\n");
    ASSERT_EQ(next().line, "200 OK SPEAKING");
}

std::vector<std::int16_t> ModuleSession::say(const std::string& command, const std::string& body)
{
    speak(command, body);
    std::vector<std::int16_t> played;
    until_end(&played);
    return played;
}

void ModuleSession::set(const std::string& settings)
{
    send("SET\n" + settings + "\n.\n");
    ASSERT_EQ(next().line, "203 OK RECEIVING SETTINGS");
    ASSERT_EQ(next().line, "203 OK SETTINGS RECEIVED");
}

ModuleConfig test_module_config()
{
    // Nothing of the developer's own data directory.
    setenv("XDG_DATA_HOME", "/nonexistent", 1);
    setenv("XDG_DATA_DIRS", "/nonexistent", 1);
    ModuleConfig config;
    config.data_dir = VOKDAR_BUILD_DIR;
    config.audio_lead = 1000;  // as fast as the engine makes it
    return config;
}

std::vector<std::int16_t> engine_speech(const std::string& text, int rate, int volume, const std::string& voice)
{
    struct Made {
        Tempo tempo;
        std::vector<std::int16_t> samples;
        std::vector<std::int16_t> part;
        void add(const std::int16_t* s, std::size_t n)
        {
            if (!tempo.active()) {
                samples.insert(samples.end(), s, s + n);
                return;
            }
            tempo.put(s, n, part);
            samples.insert(samples.end(), part.begin(), part.end());
        }
    } made{Tempo(tempo_for_rate(rate)), {}, {}};
    vokdar_engine* engine = nullptr;
    const std::string dir = std::string(VOKDAR_BUILD_DIR) + "/" + voice;
    const std::string dictionary = std::string(VOKDAR_BUILD_DIR) + "/replace.txt";
    if (vokdar_open(dir.c_str(), dictionary.c_str(), &engine) != VOKDAR_OK)
        return {};
    vokdar_set_volume(engine, volume_for(volume));
    vokdar_set_trim(engine, 1);
    vokdar_speak(engine, text.data(), text.size(), VOKDAR_TEXT_UTF8,
                 [](void* user, const std::int16_t* s, std::size_t n) {
                     static_cast<Made*>(user)->add(s, n);
                     return 0;
                 },
                 &made);
    vokdar_close(engine);
    if (made.tempo.active()) {
        made.tempo.finish(made.part);
        made.samples.insert(made.samples.end(), made.part.begin(), made.part.end());
    }
    return made.samples;
}
