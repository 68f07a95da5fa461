// sd_vokdar's command loop and its speaking thread.
#include "speechd/module.h"

#include "common/datadirs.h"
#include "libvokdar/vokdar.h"
#include "speechd/protocol.h"
#include "speechd/ssml.h"
#include "speechd/tempo.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cerrno>
#include <cmath>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include <dirent.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

bool read_module_config(const char* path, ModuleConfig& config, std::string& why)
{
    std::ifstream in(path);
    if (!in)
        return true;  // no file: the defaults
    std::string line;
    int number = 0;
    while (std::getline(in, line)) {
        ++number;
        const std::size_t start = line.find_first_not_of(" \t\r");
        if (start == std::string::npos || line[start] == '#')
            continue;
        const std::size_t name_end = line.find_first_of(" \t", start);
        const std::string name = line.substr(start, name_end - start);
        std::string value;
        if (name_end != std::string::npos) {
            value = line.substr(line.find_first_not_of(" \t", name_end) == std::string::npos
                                    ? line.size()
                                    : line.find_first_not_of(" \t", name_end));
            while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
                value.pop_back();
            if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
                value = value.substr(1, value.size() - 2);
        }
        if (name == "DefaultVoice" && !value.empty())
            config.voice = value;
        else if (name == "VokdarDataDir")
            config.data_dir = value;
        else if (name == "VokdarDictionary")
            config.dictionary = value;
        else if (name == "VokdarReading" && (value == "0" || value == "1"))
            config.reading = value[0] - '0';
        else if (name != "Debug" && name != "DebugFile") {
            why = std::string(path) + ":" + std::to_string(number) + ": unknown setting " + name;
            return false;
        }
    }
    return true;
}

namespace {

int clamp_setting(int v)
{
    return v < -100 ? -100 : v > 100 ? 100 : v;
}

}  // namespace

// +100, speech-dispatcher's default volume ("DefaultVolume 100": the
// synthesizer's own loudness), is vokdar's default loudness factor 3.0, as in
// rech.wav; -100 is silence, linearly between.
double volume_for(int volume)
{
    return 3.0 * (clamp_setting(volume) + 100) / 200.0;
}

// A step of 100 is an octave.
double pitch_factor_for(int pitch)
{
    return std::exp2(clamp_setting(pitch) / 100.0);
}

Punctuation punctuation_for(std::string_view mode)
{
    if (mode == "all")
        return Punctuation::all;
    if (mode == "most")
        return Punctuation::most;
    if (mode == "some")
        return Punctuation::some;
    return Punctuation::none;
}

Capitals capitals_for(std::string_view mode)
{
    if (mode == "spell")
        return Capitals::spell;
    if (mode == "icon")
        return Capitals::icon;
    return Capitals::none;
}

namespace {

// Replies and events: whole messages, one writer at a time.
class Output {
public:
    explicit Output(int fd) : fd_(fd) {}
    void write(std::string_view s)
    {
        std::lock_guard lock(mutex_);
        while (!s.empty() && !failed_) {
            const ssize_t n = ::write(fd_, s.data(), s.size());
            if (n > 0)
                s.remove_prefix(static_cast<std::size_t>(n));
            else if (n < 0 && errno != EINTR)
                failed_ = true;  // the server is gone
        }
    }
    bool failed() const { return failed_; }

private:
    int fd_;
    std::mutex mutex_;
    std::atomic<bool> failed_{false};
};

struct Settings {
    int rate = 0;
    int pitch = 0;
    int volume = 100;  // speech-dispatcher's default: the synthesizer's own loudness
    Punctuation punctuation = Punctuation::none;
    bool spelling = false;
    Capitals capitals = Capitals::none;
    std::string voice;  // synthesis_voice; empty for the configured one
};

// A stretch of a message spoken by one call of the engine, then the mark reached.
struct Part {
    std::string text;
    bool tone = false;  // a capital letter, told by a tone before it
    std::string mark;
};

enum class MessageKind { text, character, key, icon };

// The separator of letters read one by one: the reader pauses as at a comma.
constexpr std::string_view LETTER_PAUSE = ", ";

std::vector<Part> parts_for(MessageKind kind, std::string_view body, const Settings& s)
{
    std::vector<Part> parts;
    if (kind == MessageKind::icon)
        return parts;  // no sound icons of our own: nothing is said
    if (kind != MessageKind::text) {
        const SpokenChar c = kind == MessageKind::key ? key_name(body, s.capitals) : char_name(body, s.capitals);
        parts.push_back({c.words, c.capital && s.capitals == Capitals::icon, {}});
        return parts;
    }
    for (const SsmlPiece& piece : read_ssml(body)) {
        if (!piece.spell && !s.spelling) {
            parts.push_back({shape_punctuation(piece.text, s.punctuation), false, piece.mark});
            continue;
        }
        const std::vector<SpokenChar> letters = spell_text(piece.text, s.capitals);
        if (s.capitals == Capitals::icon) {
            for (const SpokenChar& c : letters)
                parts.push_back({c.words + std::string(LETTER_PAUSE), c.capital, {}});
        } else {
            std::string text;
            for (const SpokenChar& c : letters) {
                if (!text.empty())
                    text += LETTER_PAUSE;
                text += c.words;
            }
            parts.push_back({text, false, {}});
        }
        if (parts.empty())
            parts.emplace_back();
        parts.back().mark = piece.mark;
    }
    return parts;
}

// The tone before a capital letter: 60 ms at 1200 Hz with 5 ms fades.
std::vector<std::int16_t> capital_tone(double volume)
{
    constexpr int LENGTH = VOKDAR_SAMPLE_RATE * 60 / 1000;
    constexpr int FADE = VOKDAR_SAMPLE_RATE * 5 / 1000;
    constexpr double PI = 3.14159265358979323846;
    std::vector<std::int16_t> tone(LENGTH);
    for (int i = 0; i < LENGTH; ++i) {
        const int edge = std::min(i, LENGTH - 1 - i);
        const double fade = edge < FADE ? static_cast<double>(edge) / FADE : 1.0;
        tone[static_cast<std::size_t>(i)] = static_cast<std::int16_t>(
            std::lround(2000.0 * volume * fade * std::sin(2 * PI * 1200.0 * i / VOKDAR_SAMPLE_RATE)));
    }
    return tone;
}

// The directories voices and dictionaries are looked for in: the user's own
// data directory, the one the configuration names, then vokdar's usual places.
std::vector<std::string> data_dirs(const ModuleConfig& config)
{
    std::vector<std::string> dirs;
    if (const char* home = std::getenv("XDG_DATA_HOME"); home && home[0])
        dirs.push_back(std::string(home) + "/vokdar/");
    else if (const char* h = std::getenv("HOME"); h && h[0])
        dirs.push_back(std::string(h) + "/.local/share/vokdar/");
    if (!config.data_dir.empty())
        dirs.push_back(config.data_dir + "/");
    auto more = std::make_unique<DataDirs>();
    data_search_dirs(DataKind::data, *more);
    for (int i = 0; i < more->count; ++i)
        dirs.emplace_back(more->dir[i]);
    return dirs;
}

bool is_dir(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool is_file(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

// A voice is a directory of recordings: it holds at least one ".pcm" file.
bool holds_recordings(const std::string& dir)
{
    DIR* d = opendir(dir.c_str());
    if (!d)
        return false;
    bool found = false;
    while (const dirent* e = readdir(d)) {
        const std::string_view name = e->d_name;
        if (name.size() > 4 && name.ends_with(".pcm")) {
            found = true;
            break;
        }
    }
    closedir(d);
    return found;
}

// Wakes a speaking thread that waits for the audio to be played when the
// message is interrupted.
struct Waker {
    std::mutex mutex;
    std::condition_variable cv;
};

// Hands the samples of one message to the server. A message of one part is
// spoken by the engine with its silences trimmed; of several parts (index
// marks, letters with tones), each is spoken whole and the sink leaves out the
// silence before the first sound, the lead-in of every later part (speaking
// the text in one piece would not have made it) and the silence after the last
// sound, so a screen reader's next message follows at once. The chain is
// thousands of times faster than speech: the audio goes out in blocks kept at
// most ModuleConfig::audio_lead ahead of the time it takes to play, so a long text never
// piles up in the server and a STOP finds little sent in advance.
class AudioSink {
public:
    static constexpr std::size_t BLOCK = 1024;  // samples per AUDIO event: 46 ms

    AudioSink(Output& out, std::atomic<int>& interrupt, Waker& waker, double lead, double tempo)
        : out_(out), interrupt_(interrupt), waker_(waker), lead_(lead), tempo_(tempo)
    {
    }

    static int take(void* user, const std::int16_t* samples, std::size_t count)
    {
        return static_cast<AudioSink*>(user)->add(samples, count);
    }
    int add(const std::int16_t* samples, std::size_t count)
    {
        if (interrupt_ != 0)
            return 1;
        if (!trim_zeros_) {
            send(samples, count);
            return interrupt_ != 0;
        }
        std::size_t i = 0;
        if (part_start_) {
            while (i < count && samples[i] == 0)
                ++i;
            if (i == count)
                return 0;
            part_start_ = false;
        }
        block_.clear();
        for (; i < count; ++i) {
            if (samples[i] == 0) {
                ++held_zeros_;
                continue;
            }
            block_.insert(block_.end(), held_zeros_, 0);
            held_zeros_ = 0;
            block_.push_back(samples[i]);
        }
        send(block_.data(), block_.size());
        return interrupt_ != 0;
    }
    void trim_zeros(bool on) { trim_zeros_ = on; }
    void next_part() { part_start_ = true; }
    // Samples of the message, in order: to the server at the message's tempo.
    void send(const std::int16_t* samples, std::size_t count)
    {
        if (!tempo_.active()) {
            emit(samples, count);
            return;
        }
        tempo_.put(samples, count, tempo_out_);
        emit(tempo_out_.data(), tempo_out_.size());
    }
    // The end of the message: what the tempo change still holds.
    void finish()
    {
        if (!tempo_.active() || interrupt_ != 0)
            return;
        tempo_.finish(tempo_out_);
        emit(tempo_out_.data(), tempo_out_.size());
    }
    void emit(const std::int16_t* samples, std::size_t count)
    {
        for (std::size_t at = 0; at < count && interrupt_ == 0; at += BLOCK) {
            const std::size_t n = std::min(BLOCK, count - at);
            begin();
            wait_for_playing();
            if (interrupt_ != 0)
                return;
            out_.write(audio_event(samples + at, n, VOKDAR_SAMPLE_RATE));
            sent_ += n;
        }
    }
    void begin()
    {
        if (began_)
            return;
        out_.write(EVENT_BEGIN);
        began_ = true;
        start_ = std::chrono::steady_clock::now();
    }

private:
    Output& out_;
    std::atomic<int>& interrupt_;
    Waker& waker_;
    double lead_;
    Tempo tempo_;
    std::vector<std::int16_t> tempo_out_;
    bool began_ = false;
    std::chrono::steady_clock::time_point start_;
    std::size_t sent_ = 0;  // samples sent since the beginning
    bool trim_zeros_ = true;
    bool part_start_ = true;
    std::size_t held_zeros_ = 0;  // silence kept back until a sound follows it
    std::vector<std::int16_t> block_;

    void wait_for_playing()
    {
        const double ahead = static_cast<double>(sent_) / VOKDAR_SAMPLE_RATE - lead_;
        if (ahead <= 0)
            return;
        const auto due = start_ + std::chrono::duration_cast<std::chrono::steady_clock::duration>(
                                      std::chrono::duration<double>(ahead));
        std::unique_lock lock(waker_.mutex);
        waker_.cv.wait_until(lock, due, [this] { return interrupt_ != 0; });
    }
};

class Module {
public:
    Module(int in_fd, int out_fd, const ModuleConfig& config) : in_(in_fd), out_(out_fd), config_(config) {}
    ~Module()
    {
        finish_speaking();
        for (auto& [name, engine] : engines_)
            vokdar_close(engine);
    }

    int run();

private:
    LineReader in_;
    Output out_;
    ModuleConfig config_;
    Settings settings_;
    std::map<std::string, vokdar_engine*> engines_;  // by voice name, opened once
    std::string dictionary_;                        // "" to speak without one

    // The speaking thread and what it shares with the command loop.
    std::thread speaker_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool busy_ = false;         // a message is accepted and not yet ended
    bool ready_ = false;        // ...and handed to the speaker
    bool quitting_ = false;
    std::vector<Part> job_;
    Settings job_settings_;
    vokdar_engine* speaking_ = nullptr;  // the engine of the message, for STOP
    std::atomic<int> interrupt_{0};      // 0, or the event that ends the message early
    Waker waker_;

    bool read_block(std::vector<std::string>& lines);
    void init();
    void receive_settings(std::string_view ack, std::string_view done);
    void receive_audio();
    void speak(MessageKind kind);
    void interrupt(std::string_view event);
    void list_voices();
    void finish_speaking();

    vokdar_engine* engine_for(const std::string& voice, std::string& why);
    void speaker_loop();
    void speak_job(const std::vector<Part>& parts, const Settings& s);
};

bool Module::read_block(std::vector<std::string>& lines)
{
    std::string line;
    while (in_.next(line)) {
        if (line == ".")
            return true;
        lines.emplace_back(unstuff_line(line));
    }
    return false;
}

vokdar_engine* Module::engine_for(const std::string& voice, std::string& why)
{
    if (auto it = engines_.find(voice); it != engines_.end())
        return it->second;
    if (voice.empty() || voice.find('/') != std::string::npos || voice[0] == '.') {
        why = "no voice named \"" + voice + "\"";
        return nullptr;
    }
    std::string dir;
    for (const std::string& d : data_dirs(config_))
        if (is_dir(d + voice)) {
            dir = d + voice;
            break;
        }
    if (dir.empty()) {
        why = "the voice " + voice + " is in none of the data directories";
        return nullptr;
    }
    vokdar_engine* engine = nullptr;
    const int status = vokdar_open(dir.c_str(), dictionary_.empty() ? nullptr : dictionary_.c_str(), &engine);
    if (status != VOKDAR_OK) {
        why = dir + ": " + vokdar_strerror(status);
        return nullptr;
    }
    engines_[voice] = engine;
    return engine;
}

void Module::init()
{
    dictionary_ = config_.dictionary;
    if (dictionary_.empty())
        for (const std::string& d : data_dirs(config_))
            if (is_file(d + "replace.txt")) {
                dictionary_ = d + "replace.txt";
                break;
            }
    std::string why;
    if (dictionary_.empty()) {
        why = "replace.txt is in none of the data directories";
    } else if (vokdar_engine* engine = engine_for(config_.voice, why)) {
        out_.write("299-vokdar " + std::string(vokdar_version()) + ": voice " + config_.voice +
                   ", dictionary " + dictionary_ + "\n299 OK LOADED SUCCESSFULLY\n");
        (void)engine;
        speaker_ = std::thread(&Module::speaker_loop, this);
        return;
    }
    out_.write("399-" + why + "\n399 ERR CANT INIT MODULE\n");
}

void Module::receive_settings(std::string_view ack, std::string_view done)
{
    out_.write(ack);
    std::vector<std::string> lines;
    if (!read_block(lines))
        return;
    std::string name, value;
    for (const std::string& line : lines) {
        if (!split_setting(line, name, value))
            continue;
        const int number = std::atoi(value.c_str());
        if (name == "rate")
            settings_.rate = number;
        else if (name == "pitch")
            settings_.pitch = number;
        else if (name == "volume")
            settings_.volume = number;
        else if (name == "punctuation_mode")
            settings_.punctuation = punctuation_for(value);
        else if (name == "spelling_mode")
            settings_.spelling = value == "on";
        else if (name == "cap_let_recogn")
            settings_.capitals = capitals_for(value);
        else if (name == "synthesis_voice")
            settings_.voice = value == "NULL" ? "" : value;
        // voice (a voice type), language and pitch_range: one Russian voice
        // speaks every language and type, so nothing changes.
    }
    out_.write(done);
}

// The server offers its own audio output first; the audio is always handed to
// it, so every other method is refused.
void Module::receive_audio()
{
    out_.write("207 OK RECEIVING AUDIO SETTINGS\n");
    std::vector<std::string> lines;
    if (!read_block(lines))
        return;
    std::string name, value, method;
    for (const std::string& line : lines)
        if (split_setting(line, name, value) && name == "audio_output_method")
            method = value;
    if (method == "server")
        out_.write("203 OK AUDIO INITIALIZED\n");
    else
        out_.write("300-sd_vokdar hands its audio to the server only\n300 UNKNOWN ERROR\n");
}

void Module::speak(MessageKind kind)
{
    out_.write("202 OK RECEIVING MESSAGE\n");
    std::vector<std::string> lines;
    if (!read_block(lines))
        return;
    std::string body;
    for (const std::string& line : lines) {
        if (!body.empty())
            body += '\n';
        body += line;
    }
    // A NUL byte would end the text for the chain: read as a space.
    std::replace(body.begin(), body.end(), '\0', ' ');
    {
        std::lock_guard lock(mutex_);
        if (!speaker_.joinable()) {
            out_.write("300 ERR NOT INITIALIZED\n");
            return;
        }
        if (busy_) {
            out_.write("401 ERROR ALREADY SPEAKING\n");
            return;
        }
        busy_ = true;
        interrupt_ = 0;
        job_ = parts_for(kind, body, settings_);
        job_settings_ = settings_;
    }
    // No event of the message may come before this reply.
    out_.write("200 OK SPEAKING\n");
    {
        std::lock_guard lock(mutex_);
        ready_ = true;
    }
    wake_.notify_one();
}

void Module::interrupt(std::string_view event)
{
    std::lock_guard lock(mutex_);
    if (!busy_)
        return;
    {
        std::lock_guard wake_lock(waker_.mutex);
        int expected = 0;
        interrupt_.compare_exchange_strong(expected, event == EVENT_PAUSE ? 2 : 1);
    }
    waker_.cv.notify_all();
    if (speaking_)
        vokdar_cancel(speaking_);
}

void Module::list_voices()
{
    std::string reply;
    std::vector<std::string> seen;
    for (const std::string& d : data_dirs(config_)) {
        DIR* dir = opendir(d.c_str());
        if (!dir)
            continue;
        std::vector<std::string> names;
        while (const dirent* e = readdir(dir))
            if (e->d_name[0] != '.' && holds_recordings(d + e->d_name))
                names.emplace_back(e->d_name);
        closedir(dir);
        std::sort(names.begin(), names.end());
        for (const std::string& n : names)
            if (std::find(seen.begin(), seen.end(), n) == seen.end()) {
                seen.push_back(n);
                reply += "200-" + n + "\tru\tnone\n";
            }
    }
    out_.write(reply + "200 OK VOICE LIST SENT\n");
}

void Module::finish_speaking()
{
    if (!speaker_.joinable())
        return;
    interrupt(EVENT_STOP);
    {
        std::lock_guard lock(mutex_);
        quitting_ = true;
    }
    wake_.notify_one();
    speaker_.join();
}

void Module::speaker_loop()
{
    // Signals are the command loop's.
    sigset_t all;
    sigfillset(&all);
    pthread_sigmask(SIG_BLOCK, &all, nullptr);
    for (;;) {
        std::vector<Part> parts;
        Settings s;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return ready_ || quitting_; });
            if (!ready_)
                return;
            ready_ = false;
            parts.swap(job_);
            s = job_settings_;
        }
        speak_job(parts, s);
    }
}

void Module::speak_job(const std::vector<Part>& parts, const Settings& s)
{
    std::string why;
    vokdar_engine* engine = engine_for(s.voice.empty() ? config_.voice : s.voice, why);
    if (!engine) {
        std::fprintf(stderr, "sd_vokdar: %s; speaking with %s\n", why.c_str(), config_.voice.c_str());
        engine = engine_for(config_.voice, why);
    }
    AudioSink sink(out_, interrupt_, waker_, config_.audio_lead, tempo_for_rate(s.rate));
    bool failed = engine == nullptr;
    if (engine) {
        // The rate is the sink's tempo: the engine's speed would shorten the pauses only.
        vokdar_set_speed(engine, 100);
        vokdar_set_volume(engine, volume_for(s.volume));
        vokdar_set_reading(engine, config_.reading);
        const bool whole = parts.size() == 1 && !parts[0].tone;
        vokdar_set_trim(engine, whole);
        sink.trim_zeros(!whole);
        if (vokdar_set_pitch(engine, pitch_factor_for(s.pitch)) != VOKDAR_OK && s.pitch != 0)
            std::fprintf(stderr, "sd_vokdar: pitch %d is not supported by this engine\n", s.pitch);
        {
            std::lock_guard lock(mutex_);
            speaking_ = engine;
        }
        for (const Part& part : parts) {
            if (interrupt_ != 0)
                break;
            if (part.tone) {
                const std::vector<std::int16_t> tone = capital_tone(volume_for(s.volume) / 3.0);
                sink.send(tone.data(), tone.size());
            }
            sink.next_part();
            const int status = vokdar_speak(engine, part.text.data(), part.text.size(), VOKDAR_TEXT_UTF8,
                                            &AudioSink::take, &sink);
            if (status != VOKDAR_OK && status != VOKDAR_ERR_CANCELLED) {
                std::fprintf(stderr, "sd_vokdar: %s\n", vokdar_strerror(status));
                failed = true;
                break;
            }
            if (interrupt_ != 0)
                break;
            if (!part.mark.empty()) {
                sink.begin();
                out_.write(mark_event(part.mark));
            }
        }
    }
    sink.finish();
    sink.begin();
    std::string_view end = failed ? EVENT_STOP : EVENT_END;
    {
        std::lock_guard lock(mutex_);
        speaking_ = nullptr;
        if (interrupt_ != 0)
            end = interrupt_ == 2 ? EVENT_PAUSE : EVENT_STOP;
        busy_ = false;
    }
    // Written after busy_ is cleared: the server sends the next message on it.
    out_.write(end);
}

int Module::run()
{
    std::string line;
    while (!out_.failed() && in_.next(line)) {
        switch (parse_command(line)) {
        case Command::init:
            if (speaker_.joinable())
                out_.write("299 OK LOADED SUCCESSFULLY\n");
            else
                init();
            break;
        case Command::audio:
            receive_audio();
            break;
        case Command::loglevel:
            receive_settings("207 OK RECEIVING LOGLEVEL SETTINGS\n", "203 OK LOGLEVEL SET\n");
            break;
        case Command::set:
            receive_settings("203 OK RECEIVING SETTINGS\n", "203 OK SETTINGS RECEIVED\n");
            break;
        case Command::speak:
            speak(MessageKind::text);
            break;
        case Command::char_:
            speak(MessageKind::character);
            break;
        case Command::key:
            speak(MessageKind::key);
            break;
        case Command::sound_icon:
            speak(MessageKind::icon);
            break;
        case Command::stop:
            interrupt(EVENT_STOP);
            break;
        case Command::pause:
            interrupt(EVENT_PAUSE);
            break;
        case Command::list_voices:
            list_voices();
            break;
        case Command::debug:
            out_.write("200 OK DEBUGGING\n");
            break;
        case Command::quit:
            finish_speaking();
            out_.write("210 OK QUIT\n");
            return 0;
        case Command::unknown:
            out_.write("300 ERR UNKNOWN COMMAND\n");
            break;
        }
    }
    return 0;
}

}  // namespace

int run_module(int in_fd, int out_fd, const ModuleConfig& config)
{
    signal(SIGPIPE, SIG_IGN);
    Module module(in_fd, out_fd, config);
    return module.run();
}
