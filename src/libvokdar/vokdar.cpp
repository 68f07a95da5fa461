// libvokdar: the chain of the vokdar program run in memory. The texts between
// the stages are held in strings of the engine (the bytes the program writes
// into text.tmp, text2.tmp and slogi.tmp), the samples go to the caller's
// callback or to a WAV file as the sound stage makes them.
#include "libvokdar/vokdar.h"

#include <atomic>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "common/datadirs.h"
#include "common/settings.h"
#include "firstread/firstread.h"
#include "secondread/secondread.h"
#include "slogi/slogi.h"
#include "zvuki/zvuki.h"

struct vokdar_engine {
    DictionaryPtr dictionary;
    VoicePtr voice;
    // Settings, read once at the start of each speaking.
    std::atomic<int> speed{DEFAULT_SPEED};
    std::atomic<float> volume{DEFAULT_VOLUME};
    std::atomic<int> reading{DEFAULT_READING};
    std::atomic<bool> trim{false};
    vokdar_pause_fn pause = nullptr;
    void* pause_user = nullptr;
    std::atomic<bool> busy{false};
    std::atomic<bool> cancel{false};
    // The texts of one speaking, kept for the next so their room is reused.
    std::string text, text_tmp, text2_tmp, slogi_tmp;
    std::vector<std::int16_t> block;  // samples on their way to the callback
};

namespace {

constexpr char VERSION[] = VOKDAR_VERSION_STRING;
// Samples handed to the callback at a time: about a tenth of a second, made
// in well under a millisecond, so a cancel is heard at once.
constexpr std::size_t CALLBACK_SAMPLES = VOKDAR_BLOCK_SAMPLES;
constexpr double PITCH_MIN = 0.5;
constexpr double PITCH_MAX = 2.0;

bool is_separator(char c) { return c == '/' || c == PATH_SEPARATOR; }

// The voice directory as the program names a voice: the directory that holds
// it (root) and its own name with a separator (prefix). A name too long for
// the voice setting goes whole into the root.
bool split_voice_dir(const char* voice_dir, std::string& root, std::string& prefix)
{
    std::string dir = voice_dir;
    while (dir.size() > 1 && is_separator(dir.back()))
        dir.pop_back();
    if (dir.empty())
        return false;
    std::size_t cut = dir.size();
    while (cut > 0 && !is_separator(dir[cut - 1]))
        --cut;
    const std::size_t longest_name = RECORDING_NAME_BYTES - 1;
    if (dir.size() - cut + 1 + longest_name <= VOICE_BYTES - 1) {
        root = dir.substr(0, cut);
        prefix = dir.substr(cut) + PATH_SEPARATOR;
    } else {
        root = dir + PATH_SEPARATOR;
        prefix.clear();
    }
    return root.size() + 1 < DATA_PATH_BYTES - VOICE_BYTES;
}

// One speaking at a time per engine: held while the call runs.
class Speaking {
public:
    explicit Speaking(vokdar_engine* e) : engine_(e)
    {
        bool idle = false;
        held_ = engine_->busy.compare_exchange_strong(idle, true);
        if (held_)
            engine_->cancel = false;
    }
    ~Speaking()
    {
        if (held_)
            engine_->busy = false;
    }
    Speaking(const Speaking&) = delete;
    Speaking& operator=(const Speaking&) = delete;
    bool held() const { return held_; }

private:
    vokdar_engine* engine_;
    bool held_ = false;
};

constexpr unsigned char UTF8_BOM[3] = {0xEF, 0xBB, 0xBF};

// The caller's text as the first stage's input, read by the encoding asked for.
void open_text(vokdar_engine& e, TextFile& in, int encoding)
{
    text_open_memory(in, e.text, "r");
    if (encoding == VOKDAR_TEXT_AUTO) {
        text_choose_input(in);
    } else if (encoding == VOKDAR_TEXT_UTF8) {
        in.utf8 = true;
        in.utf8_bom = e.text.size() >= 3 && std::memcmp(e.text.data(), UTF8_BOM, 3) == 0;
    }
    in.stop = &e.cancel;
}

void open_stage_text(vokdar_engine& e, TextFile& f, std::string& bytes, const char* mode)
{
    text_open_memory(f, bytes, mode);
    f.stop = &e.cancel;
}

// The first three stages: the caller's text into slogi_tmp.
int run_text_stages(vokdar_engine& e, int encoding)
{
    TextFile in, out;
    open_text(e, in, encoding);
    open_stage_text(e, out, e.text_tmp, "w");
    const FirstreadResult first = Firstread(in, out, FirstreadSettings{e.reading.load()});
    text_close(out);
    if (e.cancel)
        return VOKDAR_ERR_CANCELLED;
    if (first.status == FirstreadStatus::read_failed)
        return VOKDAR_ERR_TEXT;
    if (first.status != FirstreadStatus::done)
        return VOKDAR_ERR_MEMORY;

    open_stage_text(e, in, e.text_tmp, "r");
    open_stage_text(e, out, e.text2_tmp, "w");
    dictionary_keep_stress(*e.dictionary, e.reading.load() == READING_EVERYDAY);
    const SecondreadStatus second = Secondread(in, out, *e.dictionary);
    text_close(out);
    if (e.cancel)
        return VOKDAR_ERR_CANCELLED;
    if (second != SecondreadStatus::done)
        return second == SecondreadStatus::read_failed ? VOKDAR_ERR_DICTIONARY : VOKDAR_ERR_MEMORY;

    open_stage_text(e, in, e.text2_tmp, "r");
    open_stage_text(e, out, e.slogi_tmp, "w");
    const SlogiStatus third = Slogi(in, out, e.reading.load());
    text_close(out);
    if (e.cancel)
        return VOKDAR_ERR_CANCELLED;
    return third == SlogiStatus::done ? VOKDAR_OK : VOKDAR_ERR_MEMORY;
}

// Where the samples of the callback sink go.
struct CallbackSink {
    vokdar_engine* engine;
    vokdar_sample_fn callback;
    void* user;
    bool refused = false;  // the callback asked to stop
};

bool to_callback(void* user, iovec* parts, int count)
{
    auto& c = *static_cast<CallbackSink*>(user);
    vokdar_engine& e = *c.engine;
    if (e.cancel)
        return false;
    std::size_t bytes = 0;
    for (int i = 0; i < count; ++i)
        bytes += parts[i].iov_len;
    // Whole samples: the stage writes an even number of bytes.
    e.block.resize(bytes / SAMPLE_BYTES);
    auto* to = reinterpret_cast<unsigned char*>(e.block.data());
    std::size_t at = 0;
    for (int i = 0; i < count; ++i) {
        std::memcpy(to + at, parts[i].iov_base, parts[i].iov_len);
        at += parts[i].iov_len;
    }
    samples_from_bytes(to, e.block.data(), e.block.size());
    if (!e.block.empty() && c.callback(c.user, e.block.data(), e.block.size()) != 0) {
        c.refused = true;
        return false;
    }
    return true;
}

SoundSettings sound_settings(const vokdar_engine& e)
{
    SoundSettings s;
    s.speed = e.speed;
    s.volume = e.volume;
    // The stutter control the setup dialogue suggests for the speed: at the
    // default speed, vokdar.cfg's default.
    s.stutter = static_cast<float>(s.speed) * 0.1f;
    s.trim = e.trim;
    s.reading = e.reading;
    return s;
}

void to_pause_callback(void* user, unsigned char mark, long long at, long long length)
{
    const auto& e = *static_cast<vokdar_engine*>(user);
    e.pause(e.pause_user, mark, static_cast<std::uint64_t>(at), static_cast<std::uint64_t>(length));
}

// The sound stage into sink; the status of the speaking.
int run_sound_stage(vokdar_engine& e, SampleSink& sink)
{
    if (e.pause != nullptr) {
        sink.pause = to_pause_callback;
        sink.pause_user = &e;
    }
    TextFile slogi;
    text_open_memory(slogi, e.slogi_tmp, "r");
    ZvukiEvents events;
    events.stop = &e.cancel;
    const ZvukiResult r = Zvuki(slogi, *e.voice, sound_settings(e), sink, events);
    if (r.fault == ZvukiFault::none)
        return VOKDAR_OK;
    if (e.cancel || r.fault == ZvukiFault::stopped)
        return VOKDAR_ERR_CANCELLED;
    if (r.fault == ZvukiFault::no_memory)
        return VOKDAR_ERR_MEMORY;
    // A recording that cannot be read to its end: the voice is broken.
    if (r.fault == ZvukiFault::write)
        return VOKDAR_ERR_WRITE;
    return VOKDAR_ERR_NO_VOICE;
}

int check_speak(vokdar_engine* engine, const char* text, size_t length, int encoding)
{
    if (engine == nullptr || (text == nullptr && length > 0))
        return VOKDAR_ERR_ARGUMENT;
    if (encoding != VOKDAR_TEXT_AUTO && encoding != VOKDAR_TEXT_UTF8 && encoding != VOKDAR_TEXT_CP1251)
        return VOKDAR_ERR_ARGUMENT;
    return VOKDAR_OK;
}

// The text stages, then the sound stage as sound runs it.
template <typename Sound>
int speak_with(vokdar_engine* engine, const char* text, size_t length, int encoding, Sound sound)
{
    if (const int bad = check_speak(engine, text, length, encoding))
        return bad;
    Speaking speaking(engine);
    if (!speaking.held())
        return VOKDAR_ERR_BUSY;
    try {
        engine->text.assign(text == nullptr ? "" : text, length);
        if (const int status = run_text_stages(*engine, encoding))
            return status;
        return sound(*engine);
    } catch (const std::bad_alloc&) {
        return VOKDAR_ERR_MEMORY;
    }
}

}  // namespace

extern "C" {

const char* vokdar_strerror(int status)
{
    switch (status) {
    case VOKDAR_OK:
        return "success";
    case VOKDAR_ERR_ARGUMENT:
        return "invalid argument";
    case VOKDAR_ERR_NO_VOICE:
        return "the voice directory is missing or holds no recordings";
    case VOKDAR_ERR_DICTIONARY:
        return "the dictionary cannot be read";
    case VOKDAR_ERR_MEMORY:
        return "not enough memory";
    case VOKDAR_ERR_WRITE:
        return "the WAV file could not be written";
    case VOKDAR_ERR_CANCELLED:
        return "cancelled";
    case VOKDAR_ERR_BUSY:
        return "the engine is already speaking";
    case VOKDAR_ERR_UNSUPPORTED:
        return "not supported by this voice or build";
    case VOKDAR_ERR_TEXT:
        return "the text cannot be read (it holds a NUL byte)";
    default:
        return "unknown status";
    }
}

const char* vokdar_version(void) { return VERSION; }

int vokdar_open(const char* voice_dir, const char* dictionary, vokdar_engine** engine)
{
    if (engine == nullptr)
        return VOKDAR_ERR_ARGUMENT;
    *engine = nullptr;
    if (voice_dir == nullptr)
        return VOKDAR_ERR_ARGUMENT;
    try {
        std::string root, prefix;
        if (!split_voice_dir(voice_dir, root, prefix))
            return VOKDAR_ERR_NO_VOICE;
        auto* e = new (std::nothrow) vokdar_engine;
        if (e == nullptr)
            return VOKDAR_ERR_MEMORY;
        int status = VOKDAR_OK;
        if (!voice_open(root.c_str(), prefix.c_str(), e->voice))
            status = VOKDAR_ERR_MEMORY;
        else if (!voice_has_recordings(*e->voice))
            status = VOKDAR_ERR_NO_VOICE;
        else if (const DictionaryOpen d = dictionary_open(dictionary, e->dictionary); d != DictionaryOpen::opened)
            status = d == DictionaryOpen::no_memory ? VOKDAR_ERR_MEMORY : VOKDAR_ERR_DICTIONARY;
        if (status == VOKDAR_OK) {
            dictionary_load(*e->dictionary);
            if (dictionary_failed(*e->dictionary))
                status = VOKDAR_ERR_DICTIONARY;
        }
        if (status != VOKDAR_OK) {
            delete e;
            return status;
        }
        e->block.reserve(CALLBACK_SAMPLES);
        *engine = e;
        return VOKDAR_OK;
    } catch (const std::bad_alloc&) {
        return VOKDAR_ERR_MEMORY;
    }
}

void vokdar_close(vokdar_engine* engine) { delete engine; }

int vokdar_set_speed(vokdar_engine* engine, int speed)
{
    if (engine == nullptr || !speed_in_range(speed))
        return VOKDAR_ERR_ARGUMENT;
    engine->speed = speed;
    return VOKDAR_OK;
}

int vokdar_set_volume(vokdar_engine* engine, double volume)
{
    if (engine == nullptr || !(volume >= VOLUME_MIN && volume <= VOLUME_MAX))
        return VOKDAR_ERR_ARGUMENT;
    engine->volume = static_cast<float>(volume);
    return VOKDAR_OK;
}

int vokdar_set_reading(vokdar_engine* engine, int reading)
{
    if (engine == nullptr || (reading != VOKDAR_READING_ORIGINAL && reading != VOKDAR_READING_EVERYDAY))
        return VOKDAR_ERR_ARGUMENT;
    engine->reading = reading == VOKDAR_READING_ORIGINAL ? READING_ORIGINAL : READING_EVERYDAY;
    return VOKDAR_OK;
}

int vokdar_set_pitch(vokdar_engine* engine, double factor)
{
    if (engine == nullptr || !(factor >= PITCH_MIN && factor <= PITCH_MAX))
        return VOKDAR_ERR_ARGUMENT;
    // The voice speaks at its speaker's pitch only, until the sound stage
    // can change it.
    return factor == 1.0 ? VOKDAR_OK : VOKDAR_ERR_UNSUPPORTED;
}

int vokdar_set_trim(vokdar_engine* engine, int trim)
{
    if (engine == nullptr)
        return VOKDAR_ERR_ARGUMENT;
    engine->trim = trim != 0;
    return VOKDAR_OK;
}

int vokdar_speak(vokdar_engine* engine, const char* text, size_t length, int encoding, vokdar_sample_fn callback,
                 void* user)
{
    if (callback == nullptr)
        return VOKDAR_ERR_ARGUMENT;
    return speak_with(engine, text, length, encoding, [&](vokdar_engine& e) -> int {
        CallbackSink to{&e, callback, user};
        SampleSink sink;
        sink.user = &to;
        sink.write = to_callback;
        sink.block_bytes = CALLBACK_SAMPLES * SAMPLE_BYTES;
        const int status = run_sound_stage(e, sink);
        return to.refused ? VOKDAR_ERR_CANCELLED : status;
    });
}

int vokdar_speak_to_wav(vokdar_engine* engine, const char* text, size_t length, int encoding, const char* path)
{
    if (path == nullptr || path[0] == '\0')
        return VOKDAR_ERR_ARGUMENT;
    return speak_with(engine, text, length, encoding, [&](vokdar_engine& e) -> int {
        TextFile wav;
        if (!text_open(wav, path, "w+") || !wav_start(wav))
            return VOKDAR_ERR_WRITE;
        SampleSink sink = wav_sink(wav);
        const int status = run_sound_stage(e, sink);
        // The header states what the file holds, after a cancel too.
        long long total_length = 0;
        const bool written = wav_finish(wav, total_length) && text_close(wav);
        if (status != VOKDAR_OK)
            return status;
        return written && !wav_too_long(total_length) ? VOKDAR_OK : VOKDAR_ERR_WRITE;
    });
}

int vokdar_set_pause_callback(vokdar_engine* engine, vokdar_pause_fn callback, void* user)
{
    if (engine == nullptr)
        return VOKDAR_ERR_ARGUMENT;
    if (engine->busy)
        return VOKDAR_ERR_BUSY;
    engine->pause = callback;
    engine->pause_user = user;
    return VOKDAR_OK;
}

void vokdar_cancel(vokdar_engine* engine)
{
    if (engine != nullptr && engine->busy)
        engine->cancel = true;
}

}  // extern "C"
