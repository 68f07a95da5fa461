// The voice covers real prose: several hundred kilobytes of Russian text from
// the fortunes-ru package, spoken by the built program, miss no syllable.
#include <gtest/gtest.h>

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "common/cp1251.h"
#include "harness.h"

namespace {

#ifdef VOKDAR_HAVE_VOICE

constexpr const char* FORTUNES = "/usr/share/games/fortunes/ru";
constexpr std::size_t PROSE_BYTES = 300000;

// The package's fortune files (not its indexes or UTF-8 links), by name.
std::vector<std::string> fortune_files()
{
    std::vector<std::string> names;
    DIR* d = opendir(FORTUNES);
    if (d == nullptr)
        return names;
    while (dirent* e = readdir(d)) {
        const std::string name = e->d_name;
        const std::string path = std::string(FORTUNES) + "/" + name;
        struct stat st {};
        if (name[0] == '.' || name.ends_with(".dat") || name.ends_with(".u8") ||
            lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
            continue;
        names.push_back(path);
    }
    closedir(d);
    std::sort(names.begin(), names.end());
    return names;
}

// UTF-8 to code page 1251 with the program's own decoder ('?' where the code
// page has no letter, as the normaliser then reads it).
std::string to_cp1251(const std::string& utf8_text)
{
    std::string out;
    Utf8Decoder d;
    std::uint32_t cp[2];
    for (unsigned char c : utf8_text) {
        const int n = utf8_feed(d, c, cp);
        for (int i = 0; i < n; ++i)
            out += static_cast<char>(cp1251_from_unicode(cp[i]));
    }
    return out;
}

TEST(Coverage, RealProseFindsARecordingForEverySyllable)
{
    const auto files = fortune_files();
    if (files.empty())
        GTEST_SKIP() << "fortunes-ru is not installed";
    std::string prose;
    for (const auto& f : files) {
        std::ifstream in(f, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        prose += to_cp1251(s.str());
        if (prose.size() >= PROSE_BYTES)
            break;
    }
    ASSERT_GE(prose.size(), PROSE_BYTES);
    prose.resize(PROSE_BYTES);

    harness::TempDir dir;
    dir.write("prose.txt", prose);
    std::ifstream dict(VOKDAR_DICTIONARY, std::ios::binary);
    std::ostringstream dict_bytes;
    dict_bytes << dict.rdbuf();
    dir.write("replace.txt", dict_bytes.str());
    ASSERT_EQ(symlink(VOKDAR_VOICE_DIR, dir.file("torvy").c_str()), 0);

    harness::RunOptions options;
    options.timeout_seconds = 240;
    const auto run = harness::run_vokdar(dir, {"prose.txt"}, options);
    ASSERT_FALSE(run.timed_out);
    ASSERT_EQ(run.status, 0) << run.out.substr(0, 2000);
    EXPECT_EQ(run.out.find(" slog\n"), std::string::npos)
        << run.out.substr(run.out.find(" slog\n") > 200 ? run.out.find(" slog\n") - 200 : 0, 400);
    // The speech is there: far more than the header and lead-in.
    struct stat st {};
    ASSERT_EQ(stat(dir.file("rech.wav").c_str(), &st), 0);
    EXPECT_GT(st.st_size, 100L * 1000 * 1000);
}

#endif

}  // namespace
