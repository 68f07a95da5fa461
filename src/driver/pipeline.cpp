// The stages of a run side by side: each reads its input file while the
// stage before it is still writing it, so the sound stage starts on the
// first sentence of a book at once. Each stage speaks on the console only
// once the stages before it are done, so the console says what a run of
// one stage after the other says, byte for byte.
#include <array>
#include <atomic>
#include <cstring>
#include <thread>

#include "common/console.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"
#include "driver/stage_files.h"

namespace {

enum Stage : int { FIRST, SECOND, SLOGI, ZVUKI, STAGE_COUNT };
// The file each text stage writes and the next one reads.
constexpr std::array<const char*, 3> STAGE_OUTPUTS = {"text.tmp", "text2.tmp", "slogi.tmp"};

struct Pipeline {
    bool running = false;
    bool with_sound = false;  // the sound stage goes side by side too
    const char* input_name = "";
    std::array<GrowingFile, STAGE_OUTPUTS.size()> files;
    std::array<ConsoleHold, STAGE_COUNT> holds;
    std::array<std::thread, STAGE_COUNT> threads;
    std::array<int, STAGE_COUNT> result{};
    std::array<FileFailure, STAGE_COUNT> failure;
    std::atomic<bool> stop{false};
};
Pipeline pipeline;

int call_stage(int stage)
{
    switch (stage) {
    case FIRST:
        return firstread_files(pipeline.input_name);
    case SECOND:
        return secondread_found();
    case SLOGI:
        return slogi_files();
    default:
        return zvuki_found();
    }
}

// One stage in its thread. A failed stage stops the stages after it: their
// input ends in a failure at once, and the sound stage stops.
void run_stage(int stage)
{
    console_hold_thread(stage == FIRST ? nullptr : &pipeline.holds[static_cast<std::size_t>(stage)]);
    clear_file_failure();
    const int result = call_stage(stage);
    pipeline.result[static_cast<std::size_t>(stage)] = result;
    pipeline.failure[static_cast<std::size_t>(stage)] = last_file_failure();
    if (result != 0 && stage < ZVUKI) {
        growing_close(pipeline.files[static_cast<std::size_t>(stage)]);
    } else if (result == 0) {
        for (std::size_t later = static_cast<std::size_t>(stage); later < pipeline.files.size(); ++later)
            growing_abandon(pipeline.files[later]);
        pipeline.stop = true;
    }
    console_hold_thread(nullptr);
}

// The stage's turn: what it has said so far is said, it goes on speaking for
// itself, and its end is waited for. A failure stops the stages after it.
int await_stage(int stage)
{
    const auto k = static_cast<std::size_t>(stage);
    if (!pipeline.running || !pipeline.threads[k].joinable())
        return call_stage(stage);
    console_release(pipeline.holds[k]);
    pipeline.threads[k].join();
    // The reason of a failure goes with it to the thread that reports it.
    const FileFailure& failed = pipeline.failure[k];
    if (failed.error != 0 || failed.reason != nullptr)
        note_file_failure(failed.name.data(), failed.error, failed.reason);
    const int result = pipeline.result[k];
    if (result == 0)
        pipeline_stop();
    return result;
}

}  // namespace

void pipeline_start(const char* input_name, bool with_sound)
{
    pipeline_stop();
    pipeline.input_name = input_name;
    pipeline.with_sound = with_sound;
    pipeline.stop = false;
    for (GrowingFile& f : pipeline.files)
        growing_reset(f);
    for (ConsoleHold& h : pipeline.holds)
        console_hold_reset(h);
    pipeline.running = true;
    for (int stage = FIRST; stage <= (with_sound ? ZVUKI : SLOGI); ++stage)
        pipeline.threads[static_cast<std::size_t>(stage)] = std::thread(run_stage, stage);
}

void pipeline_stop()
{
    if (!pipeline.running)
        return;
    // What the stages after a failure say is never said; they stop.
    for (ConsoleHold& h : pipeline.holds)
        console_discard(h);
    for (GrowingFile& f : pipeline.files)
        growing_abandon(f);
    pipeline.stop = true;
    for (std::thread& t : pipeline.threads)
        if (t.joinable())
            t.join();
    pipeline.running = false;
}

GrowingFile* pipeline_file(const char* name)
{
    if (!pipeline.running)
        return nullptr;
    for (std::size_t i = 0; i < STAGE_OUTPUTS.size(); ++i)
        if (std::strcmp(name, STAGE_OUTPUTS[i]) == 0)
            return &pipeline.files[i];
    return nullptr;
}

const std::atomic<bool>* pipeline_stop_flag() { return pipeline.running ? &pipeline.stop : nullptr; }

int firstread_side_by_side(const char* input_name)
{
    // Started already when the caller chose how (the tests do).
    if (!pipeline.running)
        pipeline_start(input_name, PlayWhileSpeaking);
    return await_stage(FIRST);
}

int secondread_side_by_side() { return await_stage(SECOND); }
int slogi_side_by_side() { return await_stage(SLOGI); }

int zvuki_side_by_side()
{
    const int result = pipeline.running && pipeline.with_sound ? await_stage(ZVUKI) : zvuki_found();
    pipeline_stop();
    return result;
}
