// A stand-in for libvokdar in the module's tests: the same calls, a made-up
// sound (one block of a tone per letter, silence for spaces and marks, a
// lead-in and a final pause as the chain makes them).
#include "libvokdar/vokdar.h"

#include <atomic>
#include <cmath>
#include <string>
#include <sys/stat.h>
#include <vector>

struct vokdar_engine {
    int speed = 100;
    double volume = 3.0;
    int trim = 0;
    std::atomic<bool> cancel{false};
};

const char* vokdar_strerror(int status)
{
    return status == VOKDAR_OK ? "ok" : "failed";
}
const char* vokdar_version(void)
{
    return "0.0.0";
}

int vokdar_open(const char* voice_dir, const char* dictionary, vokdar_engine** engine)
{
    struct stat st;
    if (!voice_dir || !engine)
        return VOKDAR_ERR_ARGUMENT;
    if (stat(voice_dir, &st) != 0 || !S_ISDIR(st.st_mode))
        return VOKDAR_ERR_NO_VOICE;
    if (dictionary && stat(dictionary, &st) != 0)
        return VOKDAR_ERR_DICTIONARY;
    *engine = new vokdar_engine;
    return VOKDAR_OK;
}
void vokdar_close(vokdar_engine* engine)
{
    delete engine;
}
int vokdar_set_speed(vokdar_engine* e, int speed)
{
    if (speed < 1 || speed > 200)
        return VOKDAR_ERR_ARGUMENT;
    e->speed = speed;
    return VOKDAR_OK;
}
int vokdar_set_volume(vokdar_engine* e, double volume)
{
    e->volume = volume;
    return VOKDAR_OK;
}
int vokdar_set_reading(vokdar_engine*, int)
{
    return VOKDAR_OK;
}
int vokdar_set_pitch(vokdar_engine*, double factor)
{
    return factor == 1.0 ? VOKDAR_OK : VOKDAR_ERR_UNSUPPORTED;
}
int vokdar_set_trim(vokdar_engine* e, int trim)
{
    e->trim = trim;
    return VOKDAR_OK;
}

int vokdar_speak(vokdar_engine* e, const char* text, size_t length, int, vokdar_sample_fn callback, void* user)
{
    e->cancel = false;
    const std::size_t letter = 2205 * 100 / static_cast<std::size_t>(e->speed);  // 100 ms at speed 100
    std::vector<std::int16_t> block;
    auto emit = [&] {
        if (e->cancel)
            return false;
        const bool stop = !block.empty() && callback(user, block.data(), block.size()) != 0;
        block.clear();
        return !stop && !e->cancel;
    };
    if (!e->trim)
        block.assign(998, 0);
    std::size_t pending_pause = 0;
    for (std::size_t i = 0; i < length; ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c == ' ' || c == '.' || c == ',' || c == '\n') {
            pending_pause += c == ' ' ? 500 : 5000;
            continue;
        }
        block.insert(block.end(), pending_pause, 0);
        pending_pause = 0;
        for (std::size_t k = 0; k < letter; ++k)
            block.push_back(static_cast<std::int16_t>(
                std::lround(e->volume * 1000 * std::sin(0.05 * static_cast<double>(k) * (1 + c % 7)))));
        if (!emit())
            return VOKDAR_ERR_CANCELLED;
    }
    if (!e->trim)
        block.insert(block.end(), pending_pause, 0);
    return emit() ? VOKDAR_OK : VOKDAR_ERR_CANCELLED;
}

int vokdar_speak_to_wav(vokdar_engine*, const char*, size_t, int, const char*)
{
    return VOKDAR_ERR_UNSUPPORTED;
}

void vokdar_cancel(vokdar_engine* e)
{
    e->cancel = true;
}
