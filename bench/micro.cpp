// Micro-benchmarks of the hot paths, each stage run in memory through its
// public function: Firstread and Slogi per megabyte, Secondread per word with
// dictionaries of three sizes, the sound stage per syllable and per call of
// one word, and one everyday sentence through the whole chain as a run of
// vokdar speaks it, the dictionary and the voice opened afresh. The inputs are
// made by bench/run.sh into the directory named by VOKDAR_BENCH_DATA; the
// sentence's dictionary is the build's replace.txt beside it.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "common/settings.h"
#include "firstread/firstread.h"
#include "secondread/secondread.h"
#include "slogi/slogi.h"
#include "zvuki/zvuki.h"

namespace fs = std::filesystem;

namespace {

std::string data_dir()
{
    const char* d = std::getenv("VOKDAR_BENCH_DATA");
    return d ? d : "";
}

std::string slurp(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// A scratch working directory holding the bench inputs; the stages run in it.
struct Work {
    fs::path dir;
    fs::path back;
    Work()
    {
        char pattern[] = "/tmp/vokdar-micro-XXXXXX";
        dir = mkdtemp(pattern);
        back = fs::current_path();
        fs::current_path(dir);
        settings_defaults();
        const fs::path voice = fs::path(data_dir()) / "torvy";
        if (fs::exists(voice))
            fs::create_directory_symlink(voice, dir / "torvy");
    }
    ~Work()
    {
        fs::current_path(back);
        fs::remove_all(dir);
    }
};

bool have_data(benchmark::State& state)
{
    if (data_dir().empty() || !fs::exists(fs::path(data_dir()) / "in100k.txt")) {
        state.SkipWithError("VOKDAR_BENCH_DATA does not name the inputs made by bench/run.sh");
        return false;
    }
    return true;
}

// The named text and dictionary of the inputs, as in.txt and replace.txt here.
void take_inputs(const std::string& text, const std::string& dictionary)
{
    fs::copy_file(fs::path(data_dir()) / text, "in.txt");
    fs::copy_file(fs::path(data_dir()) / dictionary, "replace.txt");
}

long long count_bytes(const std::string& s, const char* set)
{
    long long n = 0;
    for (const char c : s)
        if (c != '\0' && std::strchr(set, c))
            ++n;
    return n;
}

// The text of in.txt through the first stage, into out.
void fold(const std::string& text, std::string& out, int reading = DEFAULT_READING)
{
    std::string in_bytes = text;
    TextFile in, o;
    text_open_memory(in, in_bytes, "r");
    text_choose_input(in);
    text_open_memory(o, out, "w");
    Firstread(in, o, FirstreadSettings{reading});
}

// bytes through a stage of two texts: in is read, out is written anew.
template <typename Stage>
void through(std::string& in_bytes, std::string& out_bytes, Stage stage)
{
    TextFile in, out;
    text_open_memory(in, in_bytes, "r");
    text_open_memory(out, out_bytes, "w");
    stage(in, out);
}

// The text of the first three stages of the named input with replace.txt here.
std::string syllables_of(const std::string& input)
{
    std::string text, text2, slogi;
    fold(slurp(input), text);
    DictionaryPtr dictionary;
    dictionary_open("replace.txt", dictionary);
    through(text, text2, [&](TextFile& i, TextFile& o) { Secondread(i, o, *dictionary); });
    through(text2, slogi, [](TextFile& i, TextFile& o) { Slogi(i, o); });
    return slogi;
}

// A sink that takes every sample and keeps none.
bool drop_samples(void*, iovec*, int) { return true; }

// Firstread over the 1 MB text, bytes counted per second, by the reading
// rules range(0) (0 the original ones, 1 the everyday ones).
void BM_Firstread(benchmark::State& state)
{
    if (!have_data(state))
        return;
    const std::string text = slurp(fs::path(data_dir()) / "in1m.txt");
    std::string out;
    for (auto _ : state) {
        fold(text, out, static_cast<int>(state.range(0)));
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(text.size()));
}

// Secondread over the words of the 100 KB (range(1) 0) or 1 MB text (1) with
// a dictionary of range(0) entries. Each run opens the dictionary anew, so the
// shorter text weighs that more.
void BM_Secondread(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    take_inputs(state.range(1) == 0 ? "in100k.txt" : "in1m.txt",
                "dict" + std::to_string(state.range(0)) + ".txt");
    std::string text, text2;
    fold(slurp("in.txt"), text);
    // Every delimiter closes one word.
    const long long words = count_bytes(text, " ,.-~\n?!:;");
    for (auto _ : state) {
        DictionaryPtr dictionary;
        dictionary_open("replace.txt", dictionary);
        through(text, text2, [&](TextFile& i, TextFile& o) { Secondread(i, o, *dictionary); });
        benchmark::DoNotOptimize(text2.data());
    }
    state.SetItemsProcessed(state.iterations() * words);
}

// Slogi over the 1 MB text, bytes of text2.tmp per second.
void BM_Slogi(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    take_inputs("in1m.txt", "dict1.txt");
    std::string text, text2, slogi;
    fold(slurp("in.txt"), text);
    DictionaryPtr dictionary;
    dictionary_open("replace.txt", dictionary);
    through(text, text2, [&](TextFile& i, TextFile& o) { Secondread(i, o, *dictionary); });
    for (auto _ : state) {
        through(text2, slogi, [](TextFile& i, TextFile& o) { Slogi(i, o); });
        benchmark::DoNotOptimize(slogi.data());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(text2.size()));
}

// The sound stage over slogi of the voice in the bench inputs, into a sink
// that drops the samples.
void speak(std::string& slogi, Voice& voice)
{
    TextFile in;
    text_open_memory(in, slogi, "r");
    SampleSink sink;
    sink.write = drop_samples;
    Zvuki(in, voice, SoundSettings{}, sink, ZvukiEvents{});
}

// The whole sound stage over the 100 KB text, per syllable token.
void BM_ZvukiPerSyllable(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    take_inputs("in100k.txt", "dict1.txt");
    std::string slogi = syllables_of("in.txt");
    const long long syllables = count_bytes(slogi, "+-_");
    VoicePtr voice;
    voice_open("", DEFAULT_VOICE, voice);
    for (auto _ : state)
        speak(slogi, *voice);
    state.SetItemsProcessed(state.iterations() * syllables);
}

// One word of two syllables ("мама") through the sound stage, again and
// again, with its voice already held: the cost of a call.
void BM_ZvukiWord(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    std::string slogi = "\xEC\xE0-\xEC\xE0_`";  // "ма-ма_"
    VoicePtr voice;
    voice_open("", DEFAULT_VOICE, voice);
    for (auto _ : state)
        speak(slogi, *voice);
    state.SetItemsProcessed(state.iterations());
}

// One sentence of everyday prose, as a user gives it on its own: the whole
// chain with the reading of every day, the build's own dictionary and the
// default voice, each opened anew as one run of vokdar opens them, so that
// what a run pays before its first word (the dictionary index, the voice's
// rhythm) is in the figure.
void BM_OneSentence(benchmark::State& state)
{
    if (!have_data(state))
        return;
    const fs::path dictionary = fs::path(data_dir()) / ".." / "replace.txt";
    if (!fs::exists(dictionary)) {
        state.SkipWithError("no replace.txt beside VOKDAR_BENCH_DATA");
        return;
    }
    Work w;
    fs::copy_file(dictionary, "replace.txt");
    // "Утро в маленьком городе начинается рано, и на улицах уже слышны голоса людей."
    const std::string sentence =
        "\xD3\xF2\xF0\xEE \xE2 \xEC\xE0\xEB\xE5\xED\xFC\xEA\xEE\xEC \xE3\xEE\xF0\xEE\xE4\xE5 "
        "\xED\xE0\xF7\xE8\xED\xE0\xE5\xF2\xF1\xFF \xF0\xE0\xED\xEE, \xE8 \xED\xE0 "
        "\xF3\xEB\xE8\xF6\xE0\xF5 \xF3\xE6\xE5 \xF1\xEB\xFB\xF8\xED\xFB "
        "\xE3\xEE\xEB\xEE\xF1\xE0 \xEB\xFE\xE4\xE5\xE9.\n";
    std::string text, text2, slogi;
    for (auto _ : state) {
        fold(sentence, text, READING_EVERYDAY);
        DictionaryPtr dict;
        dictionary_open("replace.txt", dict);
        dictionary_keep_stress(*dict, true);
        through(text, text2, [&](TextFile& i, TextFile& o) { Secondread(i, o, *dict); });
        through(text2, slogi, [](TextFile& i, TextFile& o) { Slogi(i, o, READING_EVERYDAY); });
        VoicePtr voice;
        voice_open("", DEFAULT_VOICE, voice);
        SoundSettings sound;
        sound.reading = READING_EVERYDAY;
        TextFile in;
        text_open_memory(in, slogi, "r");
        SampleSink sink;
        sink.write = drop_samples;
        Zvuki(in, *voice, sound, sink, ZvukiEvents{});
    }
    state.SetItemsProcessed(state.iterations());
}

}  // namespace

BENCHMARK(BM_Firstread)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Secondread)
    ->ArgsProduct({{1, 1000, 10000}, {0, 1}})
    ->ArgNames({"entries", "1m"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Slogi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZvukiPerSyllable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZvukiWord)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OneSentence)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
