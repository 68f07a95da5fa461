// libvokdar through its C interface, linked as a program links it: the
// samples against the program's rech.wav, the blocks as they are made, the
// pauses, cancelling, bad voices and dictionaries, odd texts, and two engines
// in two threads. The voice is a tiny synthetic one made by the tests.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "harness.h"
#include "vokdar.h"

namespace {

using harness::cp1251;
using harness::TempDir;
using Samples = std::vector<std::int16_t>;

std::string pcm(int n, int start, int step)
{
    std::string b;
    for (int i = 0; i < n; ++i) {
        const auto v = static_cast<std::uint16_t>(static_cast<std::int16_t>(start + step * i));
        b += {static_cast<char>(v & 0xFF), static_cast<char>(v >> 8)};
    }
    return b;
}

const std::string TEXT = "Мама мыла раму. Мама мыла раму, а рама мыла маму!\n\nМама мыла раму?";
const std::string DICTIONARY = "мыла*_мила*!\r\n$\r\n";

// A working directory with a voice "v/" of the syllables of TEXT, replace.txt,
// vokdar.cfg naming the voice and in.txt.
struct Work {
    TempDir dir;
    explicit Work(int reading = 1)
    {
        EXPECT_EQ(mkdir(dir.file("v").c_str(), 0755), 0);
        int k = 0;
        for (const char* name : {"ma", "mj", "mi", "la", "ra", "mu", "a"}) {
            ++k;
            dir.write(std::string("v/") + name + ".pcm", pcm(3000 + 300 * k, 100 * k, 7 * k));
        }
        dir.write("replace.txt", cp1251(DICTIONARY));
        dir.write("vokdar.cfg", "100\n3.000000\n10.000000\nv/\n" + std::to_string(reading) + "\n");
        dir.write("in.txt", cp1251(TEXT));
    }
    std::string voice() const { return dir.file("v"); }
    std::string dictionary() const { return dir.file("replace.txt"); }
};

struct Engine {
    vokdar_engine* e = nullptr;
    explicit Engine(const Work& w) { EXPECT_EQ(vokdar_open(w.voice().c_str(), w.dictionary().c_str(), &e), VOKDAR_OK); }
    ~Engine() { vokdar_close(e); }
};

struct Heard {
    Samples samples;
    int calls = 0;
    std::size_t largest = 0;
    std::vector<std::string> pauses;  // "mark at length"
    int stop_at_call = 0;             // the callback asks to stop at this call
};

int hear(void* user, const int16_t* samples, size_t count)
{
    auto& h = *static_cast<Heard*>(user);
    EXPECT_GT(count, 0u);
    h.samples.insert(h.samples.end(), samples, samples + count);
    h.largest = std::max(h.largest, count);
    return ++h.calls == h.stop_at_call ? 1 : 0;
}

void hear_pause(void* user, int mark, uint64_t at, uint64_t length)
{
    auto& h = *static_cast<Heard*>(user);
    EXPECT_EQ(at, h.samples.size());
    h.pauses.push_back(std::string(1, static_cast<char>(mark)) + " " + std::to_string(at) + " " +
                       std::to_string(length));
}

int speak(vokdar_engine* e, const std::string& text, Heard& h, int encoding = VOKDAR_TEXT_AUTO)
{
    return vokdar_speak(e, text.data(), text.size(), encoding, hear, &h);
}

Samples samples_of_wav(const std::string& wav)
{
    Samples s;
    for (std::size_t at = 44; at + 1 < wav.size(); at += 2)
        s.push_back(static_cast<std::int16_t>(static_cast<unsigned char>(wav[at]) |
                                              static_cast<unsigned char>(wav[at + 1]) << 8));
    return s;
}

// The library speaks what the program speaks, in both readings and both
// encodings: the callback's samples are rech.wav's, and the WAV file it
// writes is rech.wav byte for byte.
TEST(Library, SpeaksWhatTheProgramWritesIntoRechWav)
{
    for (const int reading : {VOKDAR_READING_EVERYDAY, VOKDAR_READING_ORIGINAL}) {
        SCOPED_TRACE(reading);
        Work w(reading);
        ASSERT_EQ(harness::run_vokdar(w.dir, {"in.txt"}).status, 0);
        const std::string rech = w.dir.read("rech.wav");
        ASSERT_GT(rech.size(), 44u + 2 * 30000);

        Engine engine(w);
        ASSERT_EQ(vokdar_set_reading(engine.e, reading), VOKDAR_OK);
        Heard heard;
        EXPECT_EQ(speak(engine.e, TEXT, heard, VOKDAR_TEXT_UTF8), VOKDAR_OK);
        EXPECT_EQ(heard.samples, samples_of_wav(rech));
        EXPECT_LE(heard.largest, static_cast<std::size_t>(VOKDAR_BLOCK_SAMPLES));
        Heard again;  // the engine is ready for the next text
        EXPECT_EQ(speak(engine.e, cp1251(TEXT), again, VOKDAR_TEXT_CP1251), VOKDAR_OK);
        EXPECT_EQ(again.samples, heard.samples);
        Heard guessed;
        EXPECT_EQ(speak(engine.e, TEXT, guessed), VOKDAR_OK);
        EXPECT_EQ(guessed.samples, heard.samples);

        const std::string path = w.dir.file("lib.wav");
        EXPECT_EQ(vokdar_speak_to_wav(engine.e, TEXT.data(), TEXT.size(), VOKDAR_TEXT_AUTO, path.c_str()),
                  VOKDAR_OK);
        EXPECT_TRUE(w.dir.read("lib.wav") == rech);
    }
}

// Each pause is announced with the mark that made it, after the samples before it.
TEST(Library, PausesAreAnnouncedWithTheirMarks)
{
    Work w;
    Engine engine(w);
    Heard heard;
    ASSERT_EQ(vokdar_set_pause_callback(engine.e, hear_pause, &heard), VOKDAR_OK);
    ASSERT_EQ(speak(engine.e, TEXT, heard), VOKDAR_OK);
    std::string marks;
    for (const std::string& p : heard.pauses)
        marks += p[0];
    EXPECT_EQ(marks, ".,!#?");
    ASSERT_EQ(vokdar_set_pause_callback(engine.e, nullptr, nullptr), VOKDAR_OK);
    Heard quiet;
    ASSERT_EQ(speak(engine.e, TEXT, quiet), VOKDAR_OK);
    EXPECT_TRUE(quiet.pauses.empty());
    EXPECT_EQ(quiet.samples, heard.samples);
}

// Trimmed, the speech starts with its first syllable and ends with its last.
TEST(Library, TrimDropsTheLeadInAndTheLastPause)
{
    Work w;
    Engine engine(w);
    Heard whole, trimmed;
    ASSERT_EQ(speak(engine.e, TEXT, whole), VOKDAR_OK);
    ASSERT_EQ(vokdar_set_trim(engine.e, 1), VOKDAR_OK);
    ASSERT_EQ(speak(engine.e, TEXT, trimmed), VOKDAR_OK);
    ASSERT_GT(trimmed.samples.size(), 0u);
    EXPECT_NE(trimmed.samples.front(), 0);
    EXPECT_NE(trimmed.samples.back(), 0);
    // The lead-in of 998 samples and the question mark's pause of 17498 go.
    EXPECT_EQ(trimmed.samples, Samples(whole.samples.begin() + 998, whole.samples.end() - 17498));
    Heard nothing;
    EXPECT_EQ(speak(engine.e, "", nothing), VOKDAR_OK);
    EXPECT_EQ(nothing.calls, 0);
}

// Samples come as they are made: the callback that stops the speaking at its
// first block has heard only the start of a long text; from another thread,
// a cancel lets no block through after it.
TEST(Library, CancelMidText)
{
    Work w;
    Engine engine(w);
    std::string book;
    for (int i = 0; i < 200; ++i)
        book += TEXT + "\n";
    Heard whole;
    ASSERT_EQ(speak(engine.e, TEXT, whole), VOKDAR_OK);
    Heard first;
    first.stop_at_call = 1;
    EXPECT_EQ(speak(engine.e, book, first), VOKDAR_ERR_CANCELLED);
    EXPECT_EQ(first.calls, 1);
    EXPECT_EQ(first.samples, Samples(whole.samples.begin(), whole.samples.begin() + VOKDAR_BLOCK_SAMPLES));

    struct Shared {
        vokdar_engine* engine;
        Heard heard;
        std::mutex m;
        std::condition_variable cv;
        bool asked = false, cancelled = false;
    } s{engine.e, {}, {}, {}, false, false};
    std::thread canceller([&s] {
        std::unique_lock<std::mutex> lock(s.m);
        s.cv.wait(lock, [&s] { return s.asked; });
        vokdar_cancel(s.engine);
        s.cancelled = true;
        s.cv.notify_all();
    });
    const auto third_asks = [](void* user, const int16_t*, size_t) {
        auto& sh = *static_cast<Shared*>(user);
        if (++sh.heard.calls == 3) {
            std::unique_lock<std::mutex> lock(sh.m);
            sh.asked = true;
            sh.cv.notify_all();
            sh.cv.wait(lock, [&sh] { return sh.cancelled; });
        }
        return 0;
    };
    EXPECT_EQ(vokdar_speak(engine.e, book.data(), book.size(), VOKDAR_TEXT_AUTO, third_asks, &s),
              VOKDAR_ERR_CANCELLED);
    canceller.join();
    EXPECT_EQ(s.heard.calls, 3);
    // A cancel when nothing is spoken changes nothing; the engine speaks on.
    vokdar_cancel(engine.e);
    Heard after;
    EXPECT_EQ(speak(engine.e, TEXT, after), VOKDAR_OK);
    EXPECT_EQ(after.samples, whole.samples);
}

TEST(Library, BadVoiceDirectoriesAndDictionaries)
{
    Work w;
    vokdar_engine* e = reinterpret_cast<vokdar_engine*>(&w);  // must be cleared on failure
    EXPECT_EQ(vokdar_open(w.dir.file("none").c_str(), nullptr, &e), VOKDAR_ERR_NO_VOICE);
    EXPECT_EQ(e, nullptr);
    ASSERT_EQ(mkdir(w.dir.file("empty").c_str(), 0755), 0);
    w.dir.write("empty/readme.txt", "no recordings here");
    EXPECT_EQ(vokdar_open(w.dir.file("empty").c_str(), nullptr, &e), VOKDAR_ERR_NO_VOICE);
    EXPECT_EQ(vokdar_open(w.dir.file("in.txt").c_str(), nullptr, &e), VOKDAR_ERR_NO_VOICE);
    EXPECT_EQ(vokdar_open("", nullptr, &e), VOKDAR_ERR_NO_VOICE);
    EXPECT_EQ(vokdar_open(nullptr, nullptr, &e), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_open(w.voice().c_str(), nullptr, nullptr), VOKDAR_ERR_ARGUMENT);

    EXPECT_EQ(vokdar_open(w.voice().c_str(), w.dir.file("none.txt").c_str(), &e), VOKDAR_ERR_DICTIONARY);
    EXPECT_EQ(vokdar_open(w.voice().c_str(), w.dir.file("v").c_str(), &e), VOKDAR_ERR_DICTIONARY);
    EXPECT_EQ(e, nullptr);

    // With a final separator, and without a dictionary: "мыла" is not rewritten.
    ASSERT_EQ(vokdar_open((w.voice() + "/").c_str(), nullptr, &e), VOKDAR_OK);
    Heard plain, rewritten;
    EXPECT_EQ(speak(e, TEXT, plain), VOKDAR_OK);
    vokdar_close(e);
    Engine with(w);
    EXPECT_EQ(speak(with.e, TEXT, rewritten), VOKDAR_OK);
    EXPECT_NE(plain.samples, rewritten.samples);
}

// Texts the program handles in its own way: nothing (the lead-in alone), a
// NUL byte (refused, nothing spoken), syllables the voice lacks (left out).
TEST(Library, EmptyTextsNulBytesAndUnknownSyllables)
{
    Work w;
    Engine engine(w);
    Heard empty;
    EXPECT_EQ(vokdar_speak(engine.e, nullptr, 0, VOKDAR_TEXT_AUTO, hear, &empty), VOKDAR_OK);
    EXPECT_EQ(empty.samples, Samples(998, 0));
    Heard nul;
    const std::string with_nul = cp1251("мама") + std::string(1, '\0') + cp1251("мыла");
    EXPECT_EQ(speak(engine.e, with_nul, nul), VOKDAR_ERR_TEXT);
    EXPECT_EQ(nul.calls, 0);
    // A voice of one vowel: nothing of the text is sounded, and a syllable
    // left out takes its pause with it.
    ASSERT_EQ(mkdir(w.dir.file("e").c_str(), 0755), 0);
    w.dir.write("e/e.pcm", pcm(1000, 5, 1));
    vokdar_engine* e = nullptr;
    ASSERT_EQ(vokdar_open(w.dir.file("e").c_str(), nullptr, &e), VOKDAR_OK);
    Heard unknown;
    EXPECT_EQ(speak(e, "Щука, ёж: мама.", unknown), VOKDAR_OK);
    EXPECT_EQ(unknown.samples, Samples(998, 0));
    vokdar_close(e);
}

TEST(Library, ArgumentsAndSettings)
{
    Work w;
    Engine engine(w);
    Heard h;
    EXPECT_EQ(vokdar_speak(nullptr, "a", 1, VOKDAR_TEXT_AUTO, hear, &h), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_speak(engine.e, "a", 1, VOKDAR_TEXT_AUTO, nullptr, &h), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_speak(engine.e, nullptr, 1, VOKDAR_TEXT_AUTO, hear, &h), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_speak(engine.e, "a", 1, 7, hear, &h), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_speak_to_wav(engine.e, "a", 1, VOKDAR_TEXT_AUTO, nullptr), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_speak_to_wav(engine.e, "a", 1, VOKDAR_TEXT_AUTO, w.dir.file("v").c_str()), VOKDAR_ERR_WRITE);
    EXPECT_EQ(h.calls, 0);
    for (const int speed : {0, 201, -5})
        EXPECT_EQ(vokdar_set_speed(engine.e, speed), VOKDAR_ERR_ARGUMENT);
    for (const double volume : {-0.1, 4.01, 0.0 / 0.0})
        EXPECT_EQ(vokdar_set_volume(engine.e, volume), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_set_reading(engine.e, 2), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_set_pitch(engine.e, 1.0), VOKDAR_OK);
    EXPECT_EQ(vokdar_set_pitch(engine.e, 1.5), VOKDAR_ERR_UNSUPPORTED);
    EXPECT_EQ(vokdar_set_pitch(engine.e, 2.5), VOKDAR_ERR_ARGUMENT);
    EXPECT_EQ(vokdar_set_speed(nullptr, 100), VOKDAR_ERR_ARGUMENT);

    // Faster speech is shorter; louder speech is louder.
    Heard normal, fast, quiet;
    ASSERT_EQ(speak(engine.e, TEXT, normal), VOKDAR_OK);
    ASSERT_EQ(vokdar_set_speed(engine.e, 200), VOKDAR_OK);
    ASSERT_EQ(speak(engine.e, TEXT, fast), VOKDAR_OK);
    EXPECT_LT(fast.samples.size(), normal.samples.size());
    ASSERT_EQ(vokdar_set_speed(engine.e, 100), VOKDAR_OK);
    ASSERT_EQ(vokdar_set_volume(engine.e, 1.0), VOKDAR_OK);
    ASSERT_EQ(speak(engine.e, TEXT, quiet), VOKDAR_OK);
    ASSERT_EQ(quiet.samples.size(), normal.samples.size());
    EXPECT_LT(std::abs(quiet.samples[1200]), std::abs(normal.samples[1200]));

    for (int status = VOKDAR_OK; status <= VOKDAR_ERR_TEXT; ++status)
        EXPECT_STRNE(vokdar_strerror(status), "unknown status") << status;
    EXPECT_STREQ(vokdar_strerror(99), "unknown status");
    EXPECT_STREQ(vokdar_version(), VOKDAR_VERSION_STRING);
}

// An engine speaks one text at a time: a second call while it speaks is refused.
TEST(Library, OneSpeakingAtATime)
{
    Work w;
    Engine engine(w);
    struct Inner {
        vokdar_engine* engine;
        int status = -1;
    } inner{engine.e};
    const auto nested = [](void* user, const int16_t*, size_t) {
        auto& in = *static_cast<Inner*>(user);
        if (in.status < 0)
            in.status = vokdar_speak(in.engine, "a", 1, VOKDAR_TEXT_AUTO, hear, nullptr);
        return 0;
    };
    EXPECT_EQ(vokdar_speak(engine.e, TEXT.data(), TEXT.size(), VOKDAR_TEXT_AUTO, nested, &inner), VOKDAR_OK);
    EXPECT_EQ(inner.status, VOKDAR_ERR_BUSY);
}

// Two engines in two threads speak as each would alone.
TEST(Library, TwoEnginesInTwoThreads)
{
    Work w;
    Engine a(w), b(w);
    Heard alone;
    ASSERT_EQ(speak(a.e, TEXT, alone), VOKDAR_OK);
    ASSERT_EQ(vokdar_set_speed(b.e, 150), VOKDAR_OK);
    Heard alone_fast;
    ASSERT_EQ(speak(b.e, TEXT, alone_fast), VOKDAR_OK);
    std::atomic<int> same{0};
    const auto run = [&same](vokdar_engine* e, const Samples& expected) {
        for (int i = 0; i < 20; ++i) {
            Heard h;
            if (speak(e, TEXT, h) == VOKDAR_OK && h.samples == expected)
                ++same;
        }
    };
    std::thread one(run, a.e, alone.samples), two(run, b.e, alone_fast.samples);
    one.join();
    two.join();
    EXPECT_EQ(same, 40);
}

}  // namespace
