// The stages run on fuzzer inputs, each followed by checks of its output file:
// exactly one end marker where the stage succeeded, only the bytes its format
// allows, nothing dropped that the stage must pass on, a true WAV header.
#include "fuzz_stages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "common/settings.h"
#include "common/tables.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"
#include "firstread/firstread.h"
#include "firstread/firstread_internal.h"
#include "secondread/secondread.h"
#include "slogi/slogi.h"
#include "zvuki/zvuki.h"

namespace fuzz {

namespace {

void abort_on_broken(const std::string& what)
{
    std::fprintf(stderr, "\nBROKEN INVARIANT: %s\n", what.c_str());
    std::fflush(stderr);
    std::abort();
}

void check(bool ok, const std::string& what)
{
    if (!ok)
        on_broken(what);
}

std::string bytes_of(const std::uint8_t* data, std::size_t size)
{
    return std::string(reinterpret_cast<const char*>(data), size);
}

void write_file(const char* name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(static_cast<bool>(out), std::string("cannot write ") + name);
}

std::string read_file(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A file as a text-mode reader of the program sees it (CR LF as LF, 0x1A ends it).
std::vector<int> text_chars(const char* name)
{
    std::vector<int> chars;
    TextFile f;
    if (!text_open(f, name, "r"))
        return chars;
    for (int c; (c = text_getc(f)) != TEXT_EOF;)
        chars.push_back(c);
    return chars;
}

// The characters before the first end marker (the text a reader of the file gets).
std::vector<int> before_marker(const std::vector<int>& chars)
{
    const auto end = std::find(chars.begin(), chars.end(), END_MARKER);
    return std::vector<int>(chars.begin(), end);
}

// The file's text must end with its one end marker and hold no other.
void check_one_marker(const std::vector<int>& chars, const char* name)
{
    check(!chars.empty() && chars.back() == END_MARKER,
          std::string(name) + " does not end with the end marker");
    check(std::count(chars.begin(), chars.end(), END_MARKER) == 1,
          std::string(name) + " holds more than one end marker");
}

std::pair<std::string, std::string> split_input(const std::string& input, bool* found)
{
    const std::size_t at = input.find(SPLIT);
    *found = at != std::string::npos;
    if (!*found)
        return {input, std::string()};
    return {input.substr(0, at), input.substr(at + std::strlen(SPLIT))};
}

// Membership in a set of bytes; NUL belongs to none.
bool one_of(const char* set, int c) { return c != 0 && std::strchr(set, c) != nullptr; }

bool text_tmp_byte(unsigned char c)
{
    return is_small_letter(c) || c == ' ' || c == '#' || (c != '\n' && is_delimiter(c));
}

}  // namespace

void (*on_broken)(const std::string& what) = abort_on_broken;
bool tolerate_known = false;

const char* const SPLIT = "\n=====\n";

int firstread(const std::uint8_t* data, std::size_t size)
{
    write_file("in.txt", bytes_of(data, size));
    spellnumber_reset();
    const int result = Firstread("in.txt");

    // The text as the stage reads it: the same opener, the same text mode.
    std::vector<int> text;
    {
        TextFile in;
        check(open_input(in, "in.txt"), "the input does not open again");
        for (int c; (c = text_getc(in)) != TEXT_EOF;)
            text.push_back(c);
    }
    const bool has_nul = std::find(text.begin(), text.end(), 0) != text.end();
    const std::string out = read_file("text.tmp");
    if (result == 0) {
        check(has_nul, "Firstread failed on a text without a NUL byte");
        return 0;
    }
    check(out.size() >= 2 && out.compare(out.size() - 2, 2, "` ") == 0,
          "text.tmp does not end with the end marker and a space");
    const std::string body = out.substr(0, out.size() - 2);
    for (std::size_t i = 0; i < body.size();) {
        const auto c = static_cast<unsigned char>(body[i]);
        check(c != 0 && c != '\n' && c != END_MARKER && c != CTRL_Z,
              "text.tmp holds a NUL, a line feed, a second end marker or Ctrl-Z");
        std::size_t run = 1;
        while (i + run < body.size() && static_cast<unsigned char>(body[i + run]) == c)
            ++run;
        if (!text_tmp_byte(c)) {
            // Only the third and later bytes of a run of equal bytes pass, two at a time.
            check(run % 2 == 0, "a byte outside the format in an odd run");
            bool tripled = false;
            for (std::size_t k = 0; k + 2 < text.size() && !tripled; ++k)
                tripled = text[k] == c && text[k + 1] == c && text[k + 2] == c;
            check(tripled, "a byte outside the format that the text has no run of three of");
        }
        i += run;
    }
    return 0;
}

int spellnumber(const std::uint8_t* data, std::size_t size)
{
    write_file("num.txt", bytes_of(data, size));
    spellnumber_reset();

    // Raw offset of every character as text mode delivers it, and the offset of the end.
    std::vector<int> chars;
    std::vector<long long> offsets;
    {
        TextFile f;
        check(open_input(f, "num.txt"), "num.txt does not open");
        for (;;) {
            offsets.push_back(text_tell(f));
            const int c = text_getc(f);
            if (c == TEXT_EOF)
                break;
            chars.push_back(c);
        }
    }
    const auto index_of = [&](long long offset) -> long long {
        const auto it = std::find(offsets.begin(), offsets.end(), offset);
        check(it != offsets.end(), "Spellnumber left the input between two characters");
        return it - offsets.begin();
    };
    const long long total = static_cast<long long>(chars.size());

    TextFile in, out;
    check(open_input(in, "num.txt"), "num.txt does not open");
    check(text_open(out, "num.tmp", "w"), "num.tmp does not open");
    std::vector<std::pair<long long, long long>> calls;  // output span of each call
    for (long long i = 0; i < total;) {
        const int c = text_getc(in);
        check(c == chars[static_cast<std::size_t>(i)], "the input reads back differently");
        ++i;
        if (c < '0' || c > '9')
            continue;
        const long long from = text_tell(out);
        const long long consumed = Spellnumber(static_cast<char>(c), in, out);
        const long long at = index_of(text_tell(in));
        // The count is exact, or one more when the run met the end of the input.
        check(consumed == at - i || (at == total && consumed == at - i + 1),
              "Spellnumber's count differs from the characters it took");
        check(consumed >= 1, "Spellnumber took nothing after the digit");
        for (long long k = i; k < at - 1; ++k) {
            const int d = chars[static_cast<std::size_t>(k)];
            check(d >= '0' && d <= '9', "Spellnumber took a non-digit inside the run");
        }
        i = at;
        calls.emplace_back(from, text_tell(out));
    }
    text_close(in);
    check(text_close(out), "num.tmp was not written");

    const std::string words = read_file("num.tmp");
    for (const char ch : words) {
        const auto b = static_cast<unsigned char>(ch);
        check(is_small_letter(b) || b == ' ' || b == ',' || b == '-',
              "Spellnumber wrote a byte that is no part of a number word");
    }
    for (const auto& [from, to] : calls) {
        check(to - from >= 2 && words.compare(static_cast<std::size_t>(to - 2), 2, ", ") == 0,
              "a spoken number does not end with \", \"");
    }
    return 0;
}

int secondread(const std::uint8_t* data, std::size_t size)
{
    bool split = false;
    const auto [text_tmp, replace] = split_input(bytes_of(data, size), &split);
    write_file("text.tmp", text_tmp);
    write_file("replace.txt", replace);
    check(Secondread() == 1, "Secondread failed on files it can read and write");

    const std::vector<int> out = text_chars("text2.tmp");
    // Known: a replacement holding the end marker ends the text early for Slogi.
    if (tolerate_known && replace.find(static_cast<char>(END_MARKER)) != std::string::npos)
        check(!out.empty() && out.back() == END_MARKER, "text2.tmp does not end with the end marker");
    else
        check_one_marker(out, "text2.tmp");
    // A dictionary without a closed replacement changes nothing: every byte passes.
    if (replace.find('!') == std::string::npos) {
        std::vector<int> expected = before_marker(text_chars("text.tmp"));
        expected.push_back(END_MARKER);
        check(out == expected, "text2.tmp differs from text.tmp under a dictionary that replaces nothing");
    }
    return 0;
}

int slogi(const std::uint8_t* data, std::size_t size)
{
    write_file("text2.tmp", bytes_of(data, size));
    check(Slogi() == 1, "Slogi failed on files it can read and write");

    const std::vector<int> out = text_chars("slogi.tmp");
    check_one_marker(out, "slogi.tmp");
    check(std::find(out.begin(), out.end(), ' ') == out.end(), "slogi.tmp holds a space");

    // Every byte of every word arrives, in order, but for "ъ" (a mark instead)
    // and "ь" after "ч"; marks and ending bytes aside, the texts are equal.
    constexpr int HARD_SIGN = 0xFA, SOFT_SIGN = 0xFC, CHE = 0xF7;
    const std::vector<int> in = before_marker(text_chars("text2.tmp"));
    std::vector<int> expected;
    int prev = -1;
    for (const int c : in) {
        if (one_of(" \n-+~1", c)) {
            prev = -1;
            continue;
        }
        if (c != HARD_SIGN && c != '_' && !(c == SOFT_SIGN && prev == CHE))
            expected.push_back(c);
        prev = c;
    }
    std::vector<int> got;
    for (std::size_t i = 0; i + 1 < out.size(); ++i)
        if (!one_of("+-_\n~1", out[i]))
            got.push_back(out[i]);
    check(got == expected, "slogi.tmp lost or changed a byte of a word");
    return 0;
}

void make_voice()
{
    mkdir("v", 0755);
    // A recording of n samples: a loud, uneven wave, so gains wrap and fades show.
    const auto recording = [](const char* name, int n, int seed) {
        std::string pcm;
        for (int i = 0; i < n; ++i) {
            const int s = static_cast<int>(30000.0 * std::sin((i + seed) * 0.05 * (1 + seed % 5)));
            pcm.push_back(static_cast<char>(s & 0xFF));
            pcm.push_back(static_cast<char>((s >> 8) & 0xFF));
        }
        write_file((std::string("v/") + name).c_str(), pcm);
    };
    // The file names of single letters, "#" and "1".
    const char* const singles = "abvgdezik lmnoprstfhcxw@j'$%q#1~!y";
    int seed = 0;
    for (const char* p = singles; *p; ++p) {
        if (*p == ' ')
            continue;
        const char name[] = {*p, '.', 'p', 'c', 'm', '\0'};
        recording(name, 400 + 97 * seed, seed);
        ++seed;
    }
    const char* const pairs[] = {"ma", "la", "ra", "mu", "mj", "ko", "to", "pa", "ka", "ni",
                                 "da", "ne", "#a", "a#", "bu1", "kto", "ma#", "@i"};
    for (const char* p : pairs) {
        recording((std::string(p) + ".pcm").c_str(), 1500 + 313 * seed, seed);
        ++seed;
    }
    recording("a.pcm", 30000, 1);  // longer than the held tail can take
    recording("o.pcm", 0, 2);      // empty
    recording("e.pcm", 1, 3);      // one sample
    write_file("v/u.pcm", std::string(1001, '\x55'));  // odd length
    mkdir("v/y.pcm", 0755);        // a directory where a recording should be
}

int zvuki(const std::uint8_t* data, std::size_t size)
{
    // Four bytes of settings, as Readconfig can leave them, then slogi.tmp.
    constexpr std::size_t SETTING_BYTES = 4;
    std::uint8_t s[SETTING_BYTES] = {100, 0, 191, 0};
    const std::size_t head = std::min(size, SETTING_BYTES);
    std::copy(data, data + head, s);
    const std::string slogi_tmp = bytes_of(data + head, size - head);

    settings_defaults();
    Settings.speed = 1 + (s[0] | (s[1] << 8)) % 200;
    Settings.volume = 4.0f * static_cast<float>(s[2]) / 255.0f;
    Settings.stutter = (s[3] & 1) ? static_cast<float>(Settings.speed) * 0.1f
                                  : 1.0f + 20.0f * static_cast<float>(s[3] >> 1) / 127.0f;
    std::strcpy(Settings.voice, "v/");

    // Slow speeds stretch every pause; inputs that would write more than some
    // megabytes of silence only cost time, so they are passed over.
    const long long speed = Settings.speed;
    const long long worst_pause =
        std::max(17500LL * 100 / speed, (50000LL / speed) * 100 / speed) + 30000;
    const long long pauses = static_cast<long long>(slogi_tmp.size()) + 1;
    if (pauses * worst_pause > 4000000)
        return 0;

    struct stat st;
    if (stat("v", &st) != 0)
        make_voice();
    write_file("slogi.tmp", slogi_tmp);
    check(Zvuki() == 1, "Zvuki failed on a voice and files it can read and write");

    const std::string wav = read_file("rech.wav");
    const auto u32 = [&](std::size_t at) {
        return static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at])) |
               static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 1])) << 8 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 2])) << 16 |
               static_cast<std::uint32_t>(static_cast<unsigned char>(wav[at + 3])) << 24;
    };
    constexpr std::size_t HEADER = 44, LEAD_IN_BYTES = 2 * 998;
    check(wav.size() >= HEADER + LEAD_IN_BYTES, "rech.wav is shorter than header and lead-in");
    check(wav.compare(0, 4, "RIFF") == 0 && wav.compare(8, 8, "WAVEfmt ") == 0 &&
              wav.compare(36, 4, "data") == 0,
          "rech.wav's header tags are wrong");
    check(u32(4) == wav.size() - 8, "rech.wav's RIFF size is not its length less 8");
    check(u32(40) == wav.size() - HEADER, "rech.wav's data size is not its sample bytes");
    check((wav.size() - HEADER) % 2 == 0, "rech.wav ends inside a sample");
    check(std::all_of(wav.begin() + HEADER, wav.begin() + HEADER + LEAD_IN_BYTES,
                      [](char b) { return b == 0; }),
          "the lead-in is not silent");
    return 0;
}

int readconfig(const std::uint8_t* data, std::size_t size)
{
    bool split = false;
    const auto [cfg, answers] = split_input(bytes_of(data, size), &split);
    const auto check_repaired = [](const char* when) {
        const std::string w(when);
        check(Settings.speed >= 1 && Settings.speed <= 200, w + ": speed outside 1..200");
        check(Settings.volume >= 0.0f && Settings.volume <= 4.0f, w + ": volume outside 0..4");
        const bool suggested = Settings.stutter == static_cast<float>(Settings.speed) * 0.1f;
        check(suggested || (Settings.stutter >= 1.0f && Settings.stutter <= 21.0f),
              w + ": stutter neither in 1..21 nor the suggested value");
        const std::size_t n = strnlen(Settings.voice, VOICE_BYTES);
        check(n < VOICE_BYTES, w + ": the voice is not NUL-terminated");
        check(n > 0 && Settings.voice[n - 1] == PATH_SEPARATOR, w + ": the voice does not end in '/'");
    };

    write_file("vokdar.cfg", cfg);
    settings_defaults();
    check(Readconfig() == 1, "Readconfig did not read an existing vokdar.cfg");
    check_repaired("Readconfig");
    if (!split)
        return 0;

    // The dialogue over the same file; what it writes must read back as it was kept.
    settings_defaults();
    std::FILE* in = answers.empty() ? std::fopen("/dev/null", "r")
                                    : fmemopen(const_cast<char*>(answers.data()), answers.size(), "r");
    check(in != nullptr, "the answers do not open");
    setup_dialogue(in);
    std::fclose(in);
    const SettingsRecord kept = Settings;
    check(kept.speed >= 1 && kept.speed <= 200, "Setup kept a speed outside 1..200");
    check(kept.volume >= 1.0f && kept.volume <= 4.0f, "Setup kept a volume outside 1..4");
    check(kept.stutter >= 1.0f && kept.stutter <= 21.0f, "Setup kept a stutter outside 1..21");

    settings_defaults();
    check(Readconfig() == 1, "Readconfig did not read the file Setup wrote");
    check_repaired("Readconfig after Setup");
    check(Settings.speed == kept.speed, "the speed Setup wrote reads back differently");
    check(std::fabs(Settings.volume - kept.volume) <= 1e-6f, "the volume Setup wrote reads back differently");
    check(std::fabs(Settings.stutter - kept.stutter) <= 1e-5f, "the stutter Setup wrote reads back differently");
    // Ctrl-Z ends a text file: a name holding it reads back cut there, by design.
    const bool storable = kept.voice[0] != '\0' && std::strchr(kept.voice, CTRL_Z) == nullptr;
    if (storable)
        check(std::string(Settings.voice) == std::string(kept.voice) + PATH_SEPARATOR,
              "the voice Setup wrote reads back differently");
    return 0;
}

const Entry ENTRIES[6] = {
    {"firstread", firstread}, {"spellnumber", spellnumber}, {"secondread", secondread},
    {"slogi", slogi},         {"zvuki", zvuki},             {"readconfig", readconfig},
};

}  // namespace fuzz
