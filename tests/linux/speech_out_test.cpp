// The speech on its way out: a long speech cut into numbered WAV files at a
// sentence end, each with a true header (the 4 GiB limit of a WAV file played
// by a small limit of the tests), a player fed while the speech is made, and
// the line with the time left.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>
#include <sys/stat.h>

#include "harness.h"

namespace {

using harness::cp1251;

std::uint32_t u32_at(const std::string& b, std::size_t at)
{
    return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at]) | static_cast<unsigned char>(b[at + 1]) << 8 |
                                      static_cast<unsigned char>(b[at + 2]) << 16 |
                                      static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24);
}

// A voice of one loud recording, "ма", its dictionary and settings, and a
// text of many sentences.
void make_book(const harness::TempDir& dir, int sentences)
{
    std::filesystem::create_directories(dir.file("torvy"));
    std::string pcm;
    for (int i = 0; i < 3000; ++i) {
        const auto v = static_cast<std::uint16_t>((i * 37) % 20000 - 10000 + 1);
        pcm += static_cast<char>(v & 0xFF);
        pcm += static_cast<char>(v >> 8);
    }
    dir.write("torvy/ma.pcm", pcm);
    dir.write("replace.txt", "$\n");
    dir.write("vokdar.cfg", "100 3 10 torvy");
    std::string text;
    for (int i = 0; i < sentences; ++i)
        text += cp1251(i % 7 == 3 ? "мама, мама мама! " : "мама мама мама. ");
    dir.write("in.txt", text);
}

void install(const harness::TempDir& dir, const std::string& name, const std::string& body)
{
    dir.write(name, "#!/bin/sh\n" + body + "\n");
    chmod(dir.file(name).c_str(), 0755);
}

// Every part is a WAV file whose header tells its true size; together their
// samples are the speech of the run that was not cut, and each cut falls in
// the silence of a sentence's end.
TEST(Books, ALongSpeechGoesOnInNumberedFilesCutAtSentenceEnds)
{
    harness::TempDir dir;
    make_book(dir, 120);
    auto r = harness::run_vokdar(dir, {"in.txt"});
    ASSERT_EQ(r.status, 0) << r.out;
    const std::string whole = dir.read("rech.wav");
    ASSERT_GT(whole.size(), 1000000u);
    for (int stale = 2; stale <= 9; ++stale)
        dir.write("rech-00" + std::to_string(stale) + ".wav", "a part of an earlier, longer speech");

    constexpr std::size_t LIMIT = 2000000;  // sample bytes a part may hold (a sentence: about 55,000)
    r = harness::run_vokdar(dir, {"in.txt", "--wav-part-bytes", std::to_string(LIMIT)});
    ASSERT_EQ(r.status, 0) << r.out;
    std::string samples;
    int parts = 0;
    for (int part = 1;; ++part) {
        char name[32];
        std::snprintf(name, sizeof name, part == 1 ? "rech.wav" : "rech-%03d.wav", part);
        if (!dir.exists(name))
            break;
        SCOPED_TRACE(name);
        ++parts;
        const std::string wav = dir.read(name);
        ASSERT_GE(wav.size(), 44u);
        EXPECT_EQ(wav.substr(0, 4) + wav.substr(8, 4) + wav.substr(36, 4), "RIFFWAVEdata");
        EXPECT_EQ(u32_at(wav, 4), wav.size() - 8);
        EXPECT_EQ(u32_at(wav, 40), wav.size() - 44);
        EXPECT_LE(wav.size() - 44, LIMIT);
        if (part > 1) {
            // The silence of a sentence's end starts every part after the first.
            EXPECT_EQ(wav.substr(44, 200), std::string(200, '\0'));
            EXPECT_GT(wav.size() - 44, LIMIT / 2);  // cut late in the part, not at every sentence
        }
        samples += wav.substr(44);
    }
    EXPECT_GE(parts, 3);
    EXPECT_LE(parts, 6);
    EXPECT_TRUE(samples == whole.substr(44)) << samples.size() << " of " << whole.size() - 44;
    // The parts of a longer earlier speech that follow this one's are gone.
    EXPECT_FALSE(dir.exists("rech-009.wav"));
    EXPECT_FALSE(dir.exists("rech-008.wav"));

    // Every N minutes: parts of one minute's speech each, cut at a sentence end.
    make_book(dir, 100);
    r = harness::run_vokdar(dir, {"in.txt", "--split-minutes", "1"});
    ASSERT_EQ(r.status, 0) << r.out;
    const long long minute = 60LL * 22050 * 2;
    const std::string first = dir.read("rech.wav"), second = dir.read("rech-002.wav");
    EXPECT_GE(static_cast<long long>(first.size() - 44), minute);
    EXPECT_LT(static_cast<long long>(first.size() - 44), minute + 22050 * 2 * 10);
    EXPECT_EQ(second.substr(44, 200), std::string(200, '\0'));
}

// A book with chapter headings: "Глава 1" at the start (no cut), a paragraph
// that starts with a heading word but is none, "Глава вторая", and "Часть
// третья" right before "Глава 3" (one cut for both).
void make_chapters(const harness::TempDir& dir)
{
    make_book(dir, 0);
    std::string text = "Глава 1\n\n";
    for (int i = 0; i < 4; ++i)
        text += "мама мама мама. ";
    text += "\n\n— Часть мамы мама, — мама мама.\n\nГлава вторая\n\n";
    for (int i = 0; i < 8; ++i)
        text += "мама мама мама. ";
    text += "\n\nЧасть третья\n\nГЛАВА 3\n\nмама мама. мама мама.\n";
    dir.write("in.txt", cp1251(text));
}

// The samples of the parts of a speech, and how many bytes each part has.
std::string part_samples(const harness::TempDir& dir, std::vector<std::size_t>& sizes)
{
    std::string samples;
    for (int part = 1;; ++part) {
        char name[32];
        std::snprintf(name, sizeof name, part == 1 ? "rech.wav" : "rech-%03d.wav", part);
        if (!dir.exists(name))
            return samples;
        const std::string wav = dir.read(name);
        EXPECT_EQ(u32_at(wav, 40), wav.size() - 44) << name;
        if (part > 1) {
            EXPECT_EQ(wav.substr(44, 200), std::string(200, '\0')) << name << " starts in a pause";
        }
        sizes.push_back(wav.size() - 44);
        samples += wav.substr(44);
    }
}

// --split-chapters: a part for each chapter, cut in the pause before its
// heading; together the parts are the speech of the run that was not cut.
TEST(Books, ChaptersGoIntoPartsOfTheirOwn)
{
    harness::TempDir dir;
    make_chapters(dir);
    ASSERT_EQ(harness::run_vokdar(dir, {"in.txt"}).status, 0);
    const std::string whole = dir.read("rech.wav");
    const auto r = harness::run_vokdar(dir, {"in.txt", "--split-chapters"});
    ASSERT_EQ(r.status, 0) << r.out;
    std::vector<std::size_t> sizes;
    const std::string samples = part_samples(dir, sizes);
    ASSERT_EQ(sizes.size(), 3u);
    EXPECT_TRUE(samples == whole.substr(44)) << samples.size() << " of " << whole.size() - 44;
    // Four sentences and the paragraph that is no heading; eight; two.
    EXPECT_GT(sizes[1], sizes[0]);
    EXPECT_GT(sizes[0], sizes[2]);
    EXPECT_GT(sizes[0] * 2, sizes[1]);
}

// -m encodes every part into its own MP3 file, in order, and removes the MP3
// parts of an earlier, longer speech; -p with the user's own player plays
// every part in order, each to its end.
TEST(Books, EveryPartIsEncodedAndPlayedInOrder)
{
    harness::TempDir dir;
    make_chapters(dir);
    install(dir, "lame", "echo \"$3 $4\" >> lame.log\ncp \"$3\" \"$4\"");
    install(dir, "wav", "echo \"$1\" >> played.log\nsleep 0.1");
    dir.write("rech-004.mp3", "a part of an earlier, longer speech");
    auto r = harness::run_vokdar(dir, {"in.txt", "-m", "--split-chapters"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(dir.read("lame.log"), "rech.wav rech.mp3\nrech-002.wav rech-002.mp3\nrech-003.wav rech-003.mp3\n");
    EXPECT_TRUE(dir.read("rech-003.mp3") == dir.read("rech-003.wav"));
    EXPECT_FALSE(dir.exists("rech-004.mp3"));

    r = harness::run_vokdar(dir, {"-p"});
    EXPECT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(dir.read("played.log"), "rech.wav\nrech-002.wav\nrech-003.wav\n");

    // A player that fails stops the rest and says so.
    install(dir, "wav", "exit 4");
    r = harness::run_vokdar(dir, {"-p"});
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.out.find("ended with status 4 playing rech.wav"), std::string::npos) << r.out;
}

// An earlier run's long speech makes way for the new one at once rather than
// being emptied first; what the new run writes, and where, is as it was: the
// new speech in rech.wav, through a link or a second name to the same file,
// under the file's own mode.
TEST(Books, AnEarlierLongSpeechMakesWayAsIfEmptied)
{
    harness::TempDir dir;
    make_book(dir, 6);
    ASSERT_EQ(harness::run_vokdar(dir, {"in.txt"}).status, 0);
    const std::string speech = dir.read("rech.wav");
    const auto old_speech = [&](const std::string& name, std::filesystem::perms mode) {
        std::filesystem::remove(dir.file(name));
        dir.write(name, "RIFF");
        std::filesystem::resize_file(dir.file(name), 40u << 20);  // longer than the new speech by far
        std::filesystem::permissions(dir.file(name), mode);
    };
    const auto inode = [&](const std::string& name) {
        struct stat st {};
        stat(dir.file(name).c_str(), &st);
        return st.st_ino;
    };
    using std::filesystem::perms;
    const mode_t mask = umask(0);
    umask(mask);
    const auto plain = static_cast<perms>(0666 & ~mask);  // a new file's

    old_speech("rech.wav", plain);
    const auto before = inode("rech.wav");
    ASSERT_EQ(harness::run_vokdar(dir, {"in.txt"}).status, 0);
    EXPECT_TRUE(dir.read("rech.wav") == speech);
    EXPECT_NE(inode("rech.wav"), before);  // a new file: the old one went without being emptied

    old_speech("rech.wav", perms::owner_read | perms::owner_write);  // a mode of its own: kept
    ASSERT_EQ(harness::run_vokdar(dir, {"in.txt"}).status, 0);
    EXPECT_TRUE(dir.read("rech.wav") == speech);
    EXPECT_EQ(std::filesystem::status(dir.file("rech.wav")).permissions(), perms::owner_read | perms::owner_write);

    old_speech("rech.wav", plain);  // a second name to the same file sees the new speech
    std::filesystem::create_hard_link(dir.file("rech.wav"), dir.file("kept.wav"));
    ASSERT_EQ(harness::run_vokdar(dir, {"in.txt"}).status, 0);
    EXPECT_TRUE(dir.read("kept.wav") == speech);
    std::filesystem::remove(dir.file("rech.wav"));

    old_speech("elsewhere.wav", plain);  // a link: the speech goes where it points
    std::filesystem::create_symlink("elsewhere.wav", dir.file("rech.wav"));
    ASSERT_EQ(harness::run_vokdar(dir, {"in.txt"}).status, 0);
    EXPECT_TRUE(std::filesystem::is_symlink(dir.file("rech.wav")));
    EXPECT_TRUE(dir.read("elsewhere.wav") == speech);
}

// -p with a player that reads standard input: it gets the speech while the
// sound stage still makes it (the stage files are still there when its first
// samples arrive), as a WAV stream of unknown length whose samples are
// rech.wav's.
TEST(Streaming, ThePlayerHearsTheSpeechWhileItIsMade)
{
    harness::TempDir dir, bin;
    make_book(dir, 300);
    install(bin, "aplay",
            "cd '" + dir.path() + "'\n"
            "head -c 4140 > heard\n"  // the header and 4096 bytes of samples
            "if [ -e slogi.tmp ]; then echo speaking; else echo after; fi > when\n"
            "cat >> heard");
    const auto r = harness::run_vokdar(dir, {"in.txt", "-p"}, {"", {}, bin.path() + ":/usr/bin:/bin", 120});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_EQ(dir.read("when"), "speaking\n");
    const std::string heard = dir.read("heard"), wav = dir.read("rech.wav");
    ASSERT_GE(heard.size(), 44u);
    EXPECT_EQ(heard.substr(0, 4) + heard.substr(8, 4) + heard.substr(36, 4), "RIFFWAVEdata");
    EXPECT_EQ(u32_at(heard, 4), 0xFFFFFFFFu);
    EXPECT_EQ(u32_at(heard, 40), 0xFFFFFFFFu);
    EXPECT_EQ(heard.substr(12, 24), wav.substr(12, 24));  // the same format
    EXPECT_TRUE(heard.substr(44) == wav.substr(44)) << heard.size() << " heard of " << wav.size();

    // A player of the user's own ("wav") gets the finished file, as ever.
    install(dir, "wav", "printf '%s\\n' \"$@\" > wav.args");
    const auto own = harness::run_vokdar(dir, {"in.txt", "-p"}, {"", {}, bin.path() + ":/usr/bin:/bin", 120});
    EXPECT_EQ(own.status, 0) << own.out;
    for (int i = 0; i < 200 && !dir.exists("wav.args"); ++i)
        usleep(20000);
    EXPECT_EQ(dir.read("wav.args"), "rech.wav\n");
}

// On a terminal of its own (standard output elsewhere), a line tells the
// share spoken (and, once it can be told, the time left).
TEST(Progress, ALineWithTheTimeLeftOnATerminal)
{
    harness::TempDir dir;
    make_book(dir, 400);
    const auto r = harness::run_program("/usr/bin/script", dir.path(),
                                        {"-qec", std::string(VOKDAR_BINARY) + " in.txt > out.txt", "/dev/null"});
    ASSERT_EQ(r.status, 0) << r.out;
    EXPECT_NE(r.out.find("% done"), std::string::npos) << r.out.substr(0, 400);
    // The console lines went where they were sent, as ever.
    EXPECT_EQ(dir.read("out.txt").rfind("Firstread initialized...\n", 0), 0u);
}

}  // namespace
