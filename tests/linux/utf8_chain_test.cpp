// UTF-8 texts and dictionaries through the whole program: each leaves exactly
// the files and messages of its code page 1251 twin. The sound stage reads
// nothing but slogi.tmp, so the twins' speech is the same as well.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <sys/stat.h>

#include "harness.h"

namespace {

using harness::cp1251;

const std::string BOM = "\xEF\xBB\xBF";
const char* const KEPT[] = {"text.tmp", "text2.tmp", "slogi.tmp"};

struct Spoken {
    std::string out;      // what the program printed
    std::string kept[3];  // the stage files
};

// The program on text and dictionary (bytes as stored), with rech.wav barred
// (a directory) so that the stage files stay behind.
Spoken speak(const std::string& text, const std::string& dictionary)
{
    harness::TempDir dir;
    dir.write("in.txt", text);
    dir.write("replace.txt", dictionary);
    EXPECT_EQ(mkdir(dir.file("rech.wav").c_str(), 0777), 0);
    Spoken s{harness::run_vokdar(dir, {"in.txt"}).out, {}};
    for (int i = 0; i < 3; ++i)
        s.kept[i] = dir.exists(KEPT[i]) ? dir.read(KEPT[i]) : "";
    return s;
}

void expect_same(const Spoken& got, const Spoken& twin)
{
    EXPECT_EQ(got.out, twin.out);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(harness::utf8(got.kept[i]), harness::utf8(twin.kept[i])) << KEPT[i];
}

bool has(const std::string& form, const char* word) { return form.find(word) != std::string::npos; }

// Text (UTF-8 here) as stored in form: "utf8" (with its "bom") or code page 1251, "crlf" or LF line ends.
std::string stored(const std::string& text, const std::string& form)
{
    const std::string lines = has(form, "crlf") ? harness::crlf(text) : text;
    return !has(form, "utf8") ? cp1251(lines) : (has(form, "bom") ? BOM : "") + lines;
}

TEST(Utf8Chain, SpeaksAsItsCodePage1251Twin)
{
    // Letters, capitals, "ё", numbers, symbols and paragraphs, and a dictionary whose entries the text meets.
    const std::string text = "Мама мыла раму. Ёлка стоит 25 лет!\n\nСиний дом — что это? 3,5 + 1 = ещё\n";
    const std::string dictionary = "аму*%ому*!\nего*%ево*!\nещё*_ищё*!\nмыла*_мила*!\nчто*_што*!\n$\nконец\n";
    const std::pair<std::string, std::string> forms[] = {
        {"utf8", "crlf"}, {"utf8 bom crlf", "crlf"}, {"crlf", "utf8"}, {"", "utf8 bom crlf"}, {"utf8 crlf", "utf8 bom"}};
    for (const auto& [text_form, dictionary_form] : forms) {
        SCOPED_TRACE(text_form + " text, " + dictionary_form + " dictionary");
        const Spoken twin = speak(stored(text, has(text_form, "crlf") ? "crlf" : ""),
                                  stored(dictionary, has(dictionary_form, "crlf") ? "crlf" : ""));
        expect_same(speak(stored(text, text_form), stored(dictionary, dictionary_form)), twin);
        // Not an empty comparison: the dictionary took effect and the words were cut.
        EXPECT_NE(twin.kept[1].find(cp1251("мила рому. ")), std::string::npos) << harness::utf8(twin.kept[1]);
        std::string cut = twin.kept[2];  // the stress marks aside
        std::erase(cut, static_cast<char>(0xB4));
        EXPECT_EQ(cut.rfind(cp1251("ма-ма_ми-ла_ро-му._"), 0), 0u) << harness::utf8(twin.kept[2]);
    }
}

// The everyday reading (the default) reads them by name, as their plain
// letter or as a pause, or drops them; never as a question mark.
TEST(Utf8Chain, CharactersWithoutACodePage1251FormAreNamedOrDropped)
{
    // "ä", "✓", "≈" and "日" have no form; "—" and "№" have one.
    const Spoken twin = speak(cp1251("мама a мыла, раму примерно — №5\n"), "$\n");
    expect_same(speak("мама ä мыла ✓ раму ≈ 日 — №5\n", "$\n"), twin);
    EXPECT_EQ(twin.kept[0].find('?'), std::string::npos) << harness::utf8(twin.kept[0]);
}

// Files that stay code page 1251: pure ASCII (valid UTF-8, no Cyrillic), and code
// page 1251 bytes that form UTF-8 for other letters ("В«" is C2 AB, UTF-8 for "«").
TEST(Utf8Chain, OtherFilesStayCodePage1251)
{
    const Spoken ascii = speak("Cat 25 dogs.\n", "$\n");
    EXPECT_NE(ascii.kept[0].find(cp1251("двацать пять догс")), std::string::npos) << harness::utf8(ascii.kept[0]);
    expect_same(speak(BOM + "Cat 25 dogs.\n", "$\n"), ascii);  // a mark before ASCII is no character
    EXPECT_EQ(speak("\xC2\xAB\xC2\xBB\n", "$\n").kept[0].substr(0, 1), cp1251("в"));
}

// Firstread's count after a zero byte is of characters still to come, not of
// the bytes that hold them.
TEST(Utf8Chain, ZeroByteCountsCharacters)
{
    const std::string after = "мыла раму";  // 9 characters, 17 bytes in UTF-8
    const Spoken utf8 = speak("мама" + std::string(1, '\0') + after, "$\n");
    EXPECT_NE(utf8.out.find("\nError imposible to read text!9\n"), std::string::npos) << utf8.out;
    expect_same(utf8, speak(cp1251("мама") + std::string(1, '\0') + cp1251(after), "$\n"));
}

}  // namespace

// A dictionary with stress marks: in the original reading every stage file
// and the speech are byte for byte those of the same dictionary without its
// marks; in the everyday reading the marks reach text2.tmp and slogi.tmp.
TEST(StressChain, OriginalReadingIgnoresTheMarks)
{
    const std::string text = cp1251("Мама мыла раму. Молоко на столе, голову выше!\n");
    const std::string marked = "мама*_ма´ма*!\nмолоко*_малако´*!\nголову*_го´лаву*!\nоле*%але´*!\n$\n";
    const std::string plain = "мама*_мама*!\nмолоко*_малако*!\nголову*_голаву*!\nоле*%але*!\n$\n";
    struct Run {
        Spoken files;
        std::string wav;
    };
    auto run = [&](const std::string& dictionary, const char* reading) {
        Run r;
        for (const bool keep_files : {true, false}) {
            harness::TempDir dir;
            std::filesystem::create_directories(dir.file("torvy"));
            dir.write("torvy/ma.pcm", std::string(4000, '\x10'));
            dir.write("torvy/la.pcm", std::string(3000, '\x20'));
            dir.write("vokdar.cfg", std::string("100 3 10 torvy ") + reading);
            dir.write("in.txt", text);
            dir.write("replace.txt", cp1251(dictionary));
            if (keep_files) {
                EXPECT_EQ(mkdir(dir.file("rech.wav").c_str(), 0777), 0);
            }
            const harness::RunResult out = harness::run_vokdar(dir, {"in.txt"});
            if (keep_files) {
                r.files.out = out.out;
                for (int i = 0; i < 3; ++i)
                    r.files.kept[i] = dir.exists(KEPT[i]) ? dir.read(KEPT[i]) : "";
            } else {
                EXPECT_EQ(out.status, 0) << out.out;
                r.wav = dir.read("rech.wav");
            }
        }
        return r;
    };
    const Run original = run(marked, "0");
    const Run twin = run(plain, "0");
    expect_same(original.files, twin.files);
    EXPECT_EQ(original.wav, twin.wav);
    EXPECT_GT(original.wav.size(), 44u);
    EXPECT_EQ(original.files.kept[2].find('\xB4'), std::string::npos);
    const Run everyday = run(marked, "1");
    EXPECT_NE(everyday.files.kept[1].find(cp1251("ма´ма мыла раму. малако´ на стале´,")), std::string::npos)
        << harness::utf8(everyday.files.kept[1]);
    EXPECT_NE(everyday.files.kept[2].find(cp1251("ма´-ма_")), std::string::npos)
        << harness::utf8(everyday.files.kept[2]);
}

// The writer's own stress, a combining acute after a vowel of a UTF-8 text,
// in the everyday reading: the first stage keeps it on its vowel, the
// dictionary's stress gives way to it, and the syllable marker passes it on.
TEST(StressChain, TheWritersMarkReachesTheSyllables)
{
    const std::string text = "Моло\xCC\x81ко и за\xCC\x81мок, мама.\n";
    const Spoken s = speak(text, "мама*_ма´ма*!\nмолоко*_малако´*!\n$\n");
    EXPECT_NE(s.kept[0].find(cp1251("моло´ко и за´мок, мама.")), std::string::npos) << harness::utf8(s.kept[0]);
    EXPECT_NE(s.kept[1].find(cp1251("мала´ко и за´мок, ма´ма.")), std::string::npos) << harness::utf8(s.kept[1]);
    EXPECT_NE(s.kept[2].find(cp1251("ма-ла´-ко_и_за´-мо+к,_ма´-ма.")), std::string::npos)
        << harness::utf8(s.kept[2]);
}
