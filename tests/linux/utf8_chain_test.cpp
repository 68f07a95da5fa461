// UTF-8 texts and dictionaries through the whole program: each speaks exactly
// as its code page 1251 twin, down to every byte of every file it leaves.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>
#include <vector>

#include "harness.h"

namespace {

using harness::cp1251;
using harness::TempDir;

const std::string BOM = "\xEF\xBB\xBF";

void make_dir(const TempDir& dir, const std::string& name) { ASSERT_EQ(mkdir(dir.file(name).c_str(), 0777), 0); }

// Recording names of the voice's letters (vowels first), as the sound stage maps them.
const char VOWEL_FILES[] = "aeiouj%q$~";
const char CONSONANT_FILES[] = "bvgdzyklmnprstfhcxw@!'";

// A small voice in torvy/: every vowel alone and after every consonant, every
// consonant alone, each recording a short ramp of its own.
void write_voice(const TempDir& dir)
{
    make_dir(dir, "torvy");
    int seed = 1;
    auto recording = [&](const std::string& name) {
        std::string pcm;
        for (int i = 0; i < 40; ++i) {
            const int sample = (seed * 997 + i * 131) % 20000 - 10000;
            pcm += static_cast<char>(sample & 0xFF);
            pcm += static_cast<char>((sample >> 8) & 0xFF);
        }
        ++seed;
        dir.write("torvy/" + name + ".pcm", pcm);
    };
    for (const char* v = VOWEL_FILES; *v; ++v) {
        recording(std::string(1, *v));
        for (const char* c = CONSONANT_FILES; *c; ++c)
            recording(std::string(1, *c) + *v);
    }
    for (const char* c = CONSONANT_FILES; *c; ++c)
        recording(std::string(1, *c));
}

const char* const KEPT[] = {"text.tmp", "text2.tmp", "slogi.tmp"};

struct Spoken {
    std::string out;      // what the program printed
    std::string wav;      // rech.wav
    std::string kept[3];  // the stage files of a run that stopped before the sound
};

// The program on text and dictionary (bytes as stored): once to the end, and
// once with rech.wav barred (a directory), so the stage files stay behind.
Spoken speak(const std::string& text, const std::string& dictionary)
{
    Spoken s;
    {
        TempDir dir;
        write_voice(dir);
        dir.write("in.txt", text);
        dir.write("replace.txt", dictionary);
        const harness::RunResult r = harness::run_vokdar(dir, {"in.txt"});
        EXPECT_EQ(r.status, 0);
        s.out = r.out;
        if (dir.exists("rech.wav"))
            s.wav = dir.read("rech.wav");
    }
    TempDir dir;
    dir.write("in.txt", text);
    dir.write("replace.txt", dictionary);
    make_dir(dir, "rech.wav");
    harness::run_vokdar(dir, {"in.txt"});
    for (int i = 0; i < 3; ++i)
        if (dir.exists(KEPT[i]))
            s.kept[i] = dir.read(KEPT[i]);
    return s;
}

void expect_same(const Spoken& got, const Spoken& twin)
{
    EXPECT_EQ(got.out, twin.out);
    EXPECT_TRUE(got.wav == twin.wav) << "rech.wav differs: " << got.wav.size() << " and " << twin.wav.size()
                                     << " bytes";
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(harness::utf8(got.kept[i]), harness::utf8(twin.kept[i])) << KEPT[i];
}

std::string utf8_lines(const std::string& text, bool crlf) { return crlf ? harness::crlf(text) : text; }

// A text that exercises letters, capitals, "ё", numbers, symbols and
// paragraphs, and a dictionary whose entries it meets.
const std::string TEXT = "Мама мыла раму. Ёлка стоит 25 лет!\n\nСиний дом — что это? 3,5 + 1 = ещё\n";
const std::string DICTIONARY = "аму*%ому*!\nего*%ево*!\nещё*_ищё*!\nмыла*_мила*!\nчто*_што*!\n$\nконец\n";

struct TwinCase {
    const char* what;
    bool text_utf8, text_bom, text_crlf;
    bool dict_utf8, dict_bom, dict_crlf;
};

const TwinCase TWINS[] = {
    {"UTF-8 text", true, false, false, false, false, true},
    {"UTF-8 text with BOM and CR LF", true, true, true, false, false, true},
    {"UTF-8 dictionary", false, false, true, true, false, false},
    {"UTF-8 dictionary with BOM and CR LF", false, false, false, true, true, true},
    {"both UTF-8", true, false, true, true, true, false},
};

std::string stored(const std::string& utf8_text, bool utf8, bool bom, bool crlf)
{
    const std::string lines = utf8_lines(utf8_text, crlf);
    return utf8 ? (bom ? BOM : "") + lines : cp1251(lines);
}

TEST(Utf8Chain, SpeaksAsItsCodePage1251Twin)
{
    for (const TwinCase& c : TWINS) {
        SCOPED_TRACE(c.what);
        const Spoken got = speak(stored(TEXT, c.text_utf8, c.text_bom, c.text_crlf),
                                 stored(DICTIONARY, c.dict_utf8, c.dict_bom, c.dict_crlf));
        const Spoken twin =
            speak(stored(TEXT, false, false, c.text_crlf), stored(DICTIONARY, false, false, c.dict_crlf));
        expect_same(got, twin);
        // Not an empty comparison: sound was made, and the dictionary took effect.
        EXPECT_GT(twin.wav.size(), 44u + 998u * 2u);
        EXPECT_NE(twin.kept[1].find(cp1251("мила рому. ")), std::string::npos) << harness::utf8(twin.kept[1]);
        EXPECT_NE(twin.kept[1].find(cp1251("ищё")), std::string::npos);
    }
}

TEST(Utf8Chain, CharactersWithoutACodePage1251FormReadAsQuestionMarks)
{
    // "ä", "✓" and "日" have no form; "—" and "№" have one.
    const Spoken got = speak("мама ä мыла ✓ раму 日 — №5\n", cp1251("$\n"));
    const Spoken twin = speak(cp1251("мама ? мыла ? раму ? — №5\n"), cp1251("$\n"));
    expect_same(got, twin);
    EXPECT_FALSE(twin.kept[0].empty());
}

// Files that must stay code page 1251: pure ASCII (valid UTF-8, no Cyrillic),
// and code page 1251 bytes that happen to form UTF-8 for non-Cyrillic
// characters ("В«" is C2 AB, UTF-8 for "«").
TEST(Utf8Chain, OtherFilesStayCodePage1251)
{
    const Spoken ascii = speak("Cat 25 dogs.\n", "$\n");
    EXPECT_EQ(harness::utf8(ascii.kept[0]).find(harness::utf8(cp1251(" пять,"))) != std::string::npos, true)
        << harness::utf8(ascii.kept[0]);
    // A byte order mark before ASCII is no character of the text.
    expect_same(speak(BOM + "Cat 25 dogs.\n", "$\n"), ascii);

    const Spoken lookalike = speak("\xC2\xAB\xC2\xBB\n", "$\n");
    EXPECT_EQ(lookalike.kept[0].substr(0, 1), cp1251("в")) << harness::utf8(lookalike.kept[0]);
}

// Firstread's count after a zero byte is of characters still to come, not of
// the bytes that hold them.
TEST(Utf8Chain, ZeroByteCountsCharacters)
{
    const std::string after = "мыла раму";  // 9 characters, 17 bytes in UTF-8
    const Spoken utf8 = speak("мама" + std::string(1, '\0') + after, "$\n");
    const Spoken twin = speak(cp1251("мама") + std::string(1, '\0') + cp1251(after), "$\n");
    EXPECT_NE(utf8.out.find("\nError imposible to read text!9\n"), std::string::npos) << utf8.out;
    EXPECT_EQ(utf8.out, twin.out);
    EXPECT_EQ(utf8.kept[0], twin.kept[0]);
}

}  // namespace
