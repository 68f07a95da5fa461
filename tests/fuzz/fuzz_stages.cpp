// The stages run on fuzzer inputs, each followed by checks of its output file:
// exactly one end marker where the stage succeeded, only the bytes its format
// allows, nothing dropped that the stage must pass on, a true WAV header. Built
// with FUZZ_ENTRY naming a stage, the libFuzzer target of that stage.
#include "fuzz_stages.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <sys/stat.h>
#include <vector>

#include "common/settings.h"
#include "common/tables.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"
#include "driver/stage_files.h"
#include "firstread/firstread.h"
#include "firstread/everyday/numbers.h"
#include "firstread/firstread_internal.h"
#include "secondread/secondread.h"
#include "slogi/slogi.h"
#include "zvuki/zvuki.h"

namespace fuzz {

namespace {

void check(bool ok, const std::string& what)
{
    if (!ok)
        on_broken(what);
}

void write_file(const char* name, const std::string& bytes)
{
    std::ofstream out(name, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    check(static_cast<bool>(out), std::string("cannot write ") + name);
}

// A file as a text-mode reader of the program sees it (CR LF as LF, 0x1A ends
// it), opened as a text (or, input, as the stage opens its input), with the raw
// offset before each character and after the last.
struct TextChars {
    std::vector<int> chars;
    std::vector<long long> offsets;
};
TextChars read_text(const char* name, bool input = false)
{
    TextChars t;
    TextFile f;
    check(input ? text_open_input(f, name) : text_open(f, name, "r"), std::string(name) + " does not open");
    for (int c; t.offsets.push_back(text_tell(f)), (c = text_getc(f)) != TEXT_EOF;)
        t.chars.push_back(c);
    return t;
}

// The characters before the first end marker (the text a reader of the file gets).
std::vector<int> before_marker(const std::vector<int>& chars)
{
    const auto end = std::find(chars.begin(), chars.end(), END_MARKER);
    return std::vector<int>(chars.begin(), end);
}

// The text of a stage's output, which must end with its one end marker and hold no other.
std::vector<int> marked_output(const char* name)
{
    std::vector<int> chars = read_text(name).chars;
    check(!chars.empty() && chars.back() == END_MARKER, std::string(name) + " does not end with the end marker");
    check(std::count(chars.begin(), chars.end(), END_MARKER) == 1,
          std::string(name) + " holds more than one end marker");
    return chars;
}

// Inputs made of two files are cut in two at this line ("text.tmp", then
// "replace.txt"; "vokdar.cfg", then the answers of the setup dialogue).
const std::string SPLIT = "\n=====\n";

// Membership in a set of bytes; NUL belongs to none.
bool one_of(const char* set, int c) { return c != 0 && std::strchr(set, c) != nullptr; }
bool is_digit(int c) { return c >= '0' && c <= '9'; }

bool text_tmp_byte(unsigned char c)
{
    return is_small_letter(c) || c == ' ' || c == '#' || (c != '\n' && is_delimiter(c));
}

// Firstread on the input by the given rules: the body of text.tmp (without
// its end marker), or nothing when the stage failed, as only a NUL may make it.
bool run_firstread(const std::string& input, int reading, std::vector<int>& text, std::string& body)
{
    write_file("in.txt", input);
    const SettingsRecord kept = Settings;
    Settings.reading = reading;
    const int result = firstread_files("in.txt");
    Settings = kept;

    // The text as the stage reads it: the same opener, the same text mode.
    text = read_text("in.txt", true).chars;
    const std::string out = read_file("text.tmp");
    if (result == 0) {
        check(std::find(text.begin(), text.end(), 0) != text.end(), "Firstread failed on a text without a NUL byte");
        return false;
    }
    check(out.size() >= 2 && out.compare(out.size() - 2, 2, "` ") == 0,
          "text.tmp does not end with the end marker and a space");
    body = out.substr(0, out.size() - 2);
    return true;
}

void firstread(const std::string& input)
{
    std::vector<int> text;
    std::string body;
    // The everyday reading writes nothing but the bytes of the format.
    if (run_firstread(input, READING_EVERYDAY, text, body))
        for (const char b : body)
            check(text_tmp_byte(static_cast<unsigned char>(b)), "the everyday reading wrote a byte outside the format");
    if (!run_firstread(input, READING_ORIGINAL, text, body))
        return;
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
            check(std::search_n(text.begin(), text.end(), 3, c) != text.end(),
                  "a byte outside the format that the text has no run of three of");
        }
        i += run;
    }
}

// The everyday number reader from every digit of the input: it moves on, never
// past the end, and writes number words (small letters and spaces) only.
void everyday_numbers(const std::string& input)
{
    write_file("num.txt", input);
    TextFile in, out;
    check(text_open_input(in, "num.txt"), "num.txt does not open");
    in.typographic = true;  // as the everyday reading opens its text: characters beyond code page 1251 come through
    check(text_open(out, "num.tmp", "w"), "num.tmp does not open");
    long long count = 0;
    while (text_getc(in) != TEXT_EOF)
        ++count;
    text_seek(in, 0, SEEK_SET);
    Reader r{in, count};
    Speech s{out};
    Context ctx;
    for (int c; (c = get(r)) != TEXT_EOF;) {
        if (!is_digit(c))
            continue;
        const long long before = r.taken;
        read_number(r, s, ctx, c);
        check(r.taken >= before && r.taken <= count, "the number reader went back or past the end");
    }
    text_close(in);
    check(text_close(out), "num.tmp was not written");
    const std::string words = read_file("num.tmp");
    check(std::all_of(words.begin(), words.end(),
                      [](char b) { return is_small_letter(static_cast<unsigned char>(b)) || one_of(" .", b); }),
          "the number reader wrote a byte that is no part of a number word");
}

void spellnumber(const std::string& input)
{
    everyday_numbers(input);
    write_file("num.txt", input);
    FractionState state;

    // Raw offset of every character as text mode delivers it, and the offset of the end.
    const auto [chars, offsets] = read_text("num.txt", true);
    const auto index_of = [&offsets = offsets](long long offset) -> long long {
        const auto it = std::find(offsets.begin(), offsets.end(), offset);
        check(it != offsets.end(), "Spellnumber left the input between two characters");
        return it - offsets.begin();
    };
    const long long total = static_cast<long long>(chars.size());

    TextFile in, out;
    check(text_open_input(in, "num.txt"), "num.txt does not open");
    check(text_open(out, "num.tmp", "w"), "num.tmp does not open");
    std::vector<std::pair<long long, long long>> calls;  // output span of each call
    for (long long i = 0; i < total;) {
        const int c = text_getc(in);
        check(c == chars[static_cast<std::size_t>(i)], "the input reads back differently");
        ++i;
        if (!is_digit(c))
            continue;
        const long long from = text_tell(out);
        const long long consumed = Spellnumber(static_cast<char>(c), in, out, state);
        const long long at = index_of(text_tell(in));
        // The count is exact, or one more when the run met the end of the input.
        check(consumed == at - i || (at == total && consumed == at - i + 1),
              "Spellnumber's count differs from the characters it took");
        check(consumed >= 1, "Spellnumber took nothing after the digit");
        check(std::all_of(chars.begin() + i, chars.begin() + std::max(i, at - 1), is_digit),
              "Spellnumber took a non-digit inside the run");
        i = at;
        calls.emplace_back(from, text_tell(out));
    }
    text_close(in);
    check(text_close(out), "num.tmp was not written");

    const std::string words = read_file("num.tmp");
    check(std::all_of(words.begin(), words.end(),
                      [](char b) { return is_small_letter(static_cast<unsigned char>(b)) || one_of(" ,-", b); }),
          "Spellnumber wrote a byte that is no part of a number word");
    for (const auto& [from, to] : calls)
        check(to - from >= 2 && words.compare(static_cast<std::size_t>(to - 2), 2, ", ") == 0,
              "a spoken number does not end with \", \"");
}

void secondread(const std::string& input)
{
    const std::size_t at = input.find(SPLIT);
    const std::string replace = at == std::string::npos ? "" : input.substr(at + SPLIT.size());
    write_file("text.tmp", input.substr(0, at));
    write_file("replace.txt", replace);
    check(secondread_files() == 1, "Secondread failed on files it can read and write");

    const std::vector<int> out = marked_output("text2.tmp");
    // A dictionary without a closed replacement changes nothing: every byte passes.
    if (replace.find('!') == std::string::npos) {
        std::vector<int> expected = before_marker(read_text("text.tmp").chars);
        expected.push_back(END_MARKER);
        check(out == expected, "text2.tmp differs from text.tmp under a dictionary that replaces nothing");
    }
}

void slogi(const std::string& input)
{
    write_file("text2.tmp", input);
    check(slogi_files() == 1, "Slogi failed on files it can read and write");

    const std::vector<int> out = marked_output("slogi.tmp");
    check(std::find(out.begin(), out.end(), ' ') == out.end(), "slogi.tmp holds a space");

    // Every byte of every word arrives, in order, but for "ъ" (a mark instead)
    // and "ь" after "ч"; marks, stress marks (kept, dropped or given) and
    // ending bytes aside, the texts are equal.
    constexpr int HARD_SIGN = 0xFA, SOFT_SIGN = 0xFC, CHE = 0xF7, STRESS = 0xB4;
    std::vector<int> expected;
    int prev = -1;
    for (const int c : before_marker(read_text("text2.tmp").chars)) {
        if (c == STRESS)
            continue;
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
        if (!one_of("+-_\n~1", out[i]) && out[i] != STRESS)
            got.push_back(out[i]);
    check(got == expected, "slogi.tmp lost or changed a byte of a word");
}

// The small voice of the sound stage's input ("v/"), made once: short, long,
// empty and odd-length recordings and a directory.
void make_voice()
{
    if (mkdir("v", 0755) != 0)
        return;
    // A recording of n samples: a loud, uneven wave, so gains wrap and fades show.
    const auto recording = [](const std::string& name, int n, int seed) {
        std::string pcm;
        for (int i = 0; i < n; ++i) {
            const int s = static_cast<int>(30000.0 * std::sin((i + seed) * 0.05 * (1 + seed % 5)));
            pcm += {static_cast<char>(s & 0xFF), static_cast<char>((s >> 8) & 0xFF)};
        }
        write_file(("v/" + name + ".pcm").c_str(), pcm);
    };
    int seed = 0;
    for (const char* p = "abvgdeziklmnoprstfhcxw@j'$%q#1~!y"; *p; ++p, ++seed)  // single letters, "#" and "1"
        recording(std::string(1, *p), 400 + 97 * seed, seed);
    for (const char* p : {"ma", "la", "ra", "mu", "mj", "ko", "to", "pa", "ka", "ni", "da", "ne", "#a", "a#", "bu1",
                          "kto", "ma#", "@i"}) {
        recording(p, 1500 + 313 * seed, seed);
        ++seed;
    }
    recording("a", 30000, 1);  // longer than the held tail can take
    recording("o", 0, 2);      // empty
    recording("e", 1, 3);      // one sample
    write_file("v/u.pcm", std::string(1001, '\x55'));  // odd length
    mkdir("v/y.pcm", 0755);        // a directory where a recording should be
}

void zvuki(const std::string& input)
{
    // Four bytes of settings, as Readconfig can leave them, then slogi.tmp.
    constexpr std::size_t SETTING_BYTES = 4;
    std::uint8_t s[SETTING_BYTES] = {100, 0, 191, 0};
    const std::size_t head = std::min(input.size(), SETTING_BYTES);
    std::memcpy(s, input.data(), head);
    const std::string slogi_tmp = input.substr(head);

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
        return;

    make_voice();
    write_file("slogi.tmp", slogi_tmp);
    check(zvuki_files() == 1, "Zvuki failed on a voice and files it can read and write");

    const std::string wav = read_file("rech.wav");
    const auto u32 = [&](std::size_t at) {
        std::uint32_t v = 0;
        for (std::size_t i = 4; i-- > 0;)
            v = v << 8 | static_cast<unsigned char>(wav[at + i]);
        return v;
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
}

void readconfig(const std::string& input)
{
    const std::size_t at = input.find(SPLIT);
    const std::string answers = at == std::string::npos ? "" : input.substr(at + SPLIT.size());
    const auto check_repaired = [](const std::string& w) {
        check(Settings.speed >= 1 && Settings.speed <= 200, w + ": speed outside 1..200");
        check(Settings.volume >= 0.0f && Settings.volume <= 4.0f, w + ": volume outside 0..4");
        const bool suggested = Settings.stutter == static_cast<float>(Settings.speed) * 0.1f;
        check(suggested || (Settings.stutter >= 1.0f && Settings.stutter <= 21.0f),
              w + ": stutter neither in 1..21 nor the suggested value");
        const std::size_t n = strnlen(Settings.voice, VOICE_BYTES);
        check(n < VOICE_BYTES, w + ": the voice is not NUL-terminated");
        check(n > 0 && Settings.voice[n - 1] == PATH_SEPARATOR, w + ": the voice does not end in '/'");
    };

    write_file("vokdar.cfg", input.substr(0, at));
    settings_defaults();
    check(Readconfig() == 1, "Readconfig did not read an existing vokdar.cfg");
    check_repaired("Readconfig");
    if (at == std::string::npos)
        return;

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
    if (kept.voice[0] != '\0' && std::strchr(kept.voice, CTRL_Z) == nullptr)
        check(std::string(Settings.voice) == std::string(kept.voice) + PATH_SEPARATOR,
              "the voice Setup wrote reads back differently");
}

// The libFuzzer form of a stage's checks.
template <void (*Stage)(const std::string&)>
int entry(const std::uint8_t* data, std::size_t size)
{
    Stage(std::string(reinterpret_cast<const char*>(data), size));
    return 0;
}

}  // namespace

void (*on_broken)(const std::string& what) = [](const std::string& what) {
    std::fprintf(stderr, "\nBROKEN INVARIANT: %s\n", what.c_str());
    std::abort();
};

std::string read_file(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

const Entry ENTRIES[6] = {
    {"firstread", entry<firstread>}, {"spellnumber", entry<spellnumber>}, {"secondread", entry<secondread>},
    {"slogi", entry<slogi>},         {"zvuki", entry<zvuki>},             {"readconfig", entry<readconfig>},
};

}  // namespace fuzz

#ifdef FUZZ_ENTRY
// The stage runs in a private directory of its own, silent, and never waits for a key.
#include <filesystem>
#include <unistd.h>

#include "common/console.h"

static std::string work_dir;

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    // The fuzzer reads and writes its corpus and input paths after this process
    // has moved into its own directory: relative ones are made absolute first.
    static std::vector<std::string> kept(static_cast<std::size_t>(*argc));
    for (std::size_t i = 1; i < kept.size(); ++i) {
        char*& arg = (*argv)[i];
        if (arg[0] != '-' && arg[0] != '/')
            arg = (kept[i] = std::filesystem::absolute(arg).string()).data();
    }
    const char* tmp = std::getenv("TMPDIR");
    work_dir = std::string(tmp && *tmp ? tmp : "/tmp") + "/vokdar-fuzz-XXXXXX";
    if (mkdtemp(work_dir.data()) == nullptr || chdir(work_dir.c_str()) != 0) {
        std::perror("vokdar fuzz: no working directory");
        std::exit(1);
    }
    std::atexit([] {
        std::error_code ec;
        std::filesystem::remove_all(work_dir, ec);
    });
    // The stages talk to the console; the fuzzer's own report goes to stderr.
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        std::exit(1);
    set_key_wait(false);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::entry<fuzz::FUZZ_ENTRY>(data, size);
}
#endif
