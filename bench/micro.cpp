// Micro-benchmarks of the hot paths: Firstread and Slogi per megabyte,
// Secondread per word with dictionaries of three sizes, the sound stage and
// join_slog per syllable. The inputs are made by bench/run.sh into the
// directory named by VOKDAR_BENCH_DATA.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
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
#include "zvuki/zvuki_internal.h"

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

// The stages print their start lines; the benchmark's own table stays clean.
struct Quiet {
    int saved;
    Quiet()
    {
        std::fflush(stdout);
        saved = dup(1);
        const int null = open("/dev/null", O_WRONLY);
        dup2(null, 1);
        close(null);
    }
    ~Quiet()
    {
        std::fflush(stdout);
        dup2(saved, 1);
        close(saved);
    }
};

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

// Firstread over the 1 MB text, bytes counted per second.
void BM_Firstread(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    fs::copy_file(fs::path(data_dir()) / "in1m.txt", "in.txt");
    for (auto _ : state) {
        Quiet q;
        benchmark::DoNotOptimize(Firstread("in.txt"));
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(fs::file_size("in.txt")));
}

// Secondread over the words of the 100 KB (range(1) 0) or 1 MB text (1) with
// a dictionary of range(0) entries. Each run reads the dictionary anew, so the
// shorter text weighs that more.
void BM_Secondread(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    take_inputs(state.range(1) == 0 ? "in100k.txt" : "in1m.txt",
                "dict" + std::to_string(state.range(0)) + ".txt");
    {
        Quiet q;
        Firstread("in.txt");
    }
    // Every delimiter closes one word.
    const long long words = count_bytes(slurp("text.tmp"), " ,.-~\n?!:;");
    for (auto _ : state) {
        Quiet q;
        benchmark::DoNotOptimize(Secondread());
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
    {
        Quiet q;
        Firstread("in.txt");
        Secondread();
    }
    for (auto _ : state) {
        Quiet q;
        benchmark::DoNotOptimize(Slogi());
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(fs::file_size("text2.tmp")));
}

// The whole sound stage over the 100 KB text, per syllable token.
void BM_ZvukiPerSyllable(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    take_inputs("in100k.txt", "dict1.txt");
    {
        Quiet q;
        Firstread("in.txt");
        Secondread();
        Slogi();
    }
    const long long syllables = count_bytes(slurp("slogi.tmp"), "+-_");
    for (auto _ : state) {
        Quiet q;
        benchmark::DoNotOptimize(Zvuki());
    }
    state.SetItemsProcessed(state.iterations() * syllables);
}

// join_slog alone: a word of two syllables of the default voice, again and
// again, onto /dev/null.
void BM_JoinSlog(benchmark::State& state)
{
    if (!have_data(state))
        return;
    Work w;
    TextFile out;
    text_open(out, "/dev/null", "w");
    text_set_binary(out);
    static SampleWriter writer;
    writer_start(writer, out);
    static JoinState st;
    st = JoinState{};
    join_start(st);
    static SampleSource source;
    SlogToken ma;
    SlogToken ra;
    ma.text = {'\xEC', '\xE0'};  // "ма"
    ra.text = {'\xF0', '\xE0'};  // "ра"
    // Held in memory, as the stage holds them.
    const std::string ma_pcm = slurp("torvy/ma.pcm");
    const std::string ra_pcm = slurp("torvy/ra.pcm");
    long long n = 0;
    for (auto _ : state) {
        for (SlogToken* s : {&ma, &ra}) {
            const bool first = s == &ma;
            const std::string& bytes = first ? ma_pcm : ra_pcm;
            source.file = nullptr;
            source.bytes = reinterpret_cast<const unsigned char*>(bytes.data());
            source.size = static_cast<long long>(bytes.size());
            source.start = 0;
            source.name = first ? "ma.pcm" : "ra.pcm";
            s->code = first ? 1 : 2;
            (first ? ra : ma).code = first ? 2 : 1;
            join_slog(st, source, *s, first ? ra : ma, writer);
            ++n;
        }
    }
    flush_samples(writer);
    state.SetItemsProcessed(n);
}

}  // namespace

BENCHMARK(BM_Firstread)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Secondread)
    ->ArgsProduct({{1, 1000, 10000}, {0, 1}})
    ->ArgNames({"entries", "1m"})
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Slogi)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ZvukiPerSyllable)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_JoinSlog)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
