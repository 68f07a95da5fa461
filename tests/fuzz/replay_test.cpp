// Every seed of the fuzzing corpora and every input that once broke a stage
// (tests/crash/<stage>/) run again through the stage and its fuzzing checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <unistd.h>
#include <vector>

#include "fuzz_stages.h"
#include "harness.h"

namespace fuzz {
void PrintTo(const Entry& e, std::ostream* os) { *os << e.name; }
}  // namespace fuzz

namespace {

namespace fs = std::filesystem;

struct Broken : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void throw_broken(const std::string& what) { throw Broken(what); }

// The stages talk to the console; their chatter would bury the test report.
class QuietStdout {
public:
    QuietStdout()
    {
        std::fflush(stdout);
        saved_ = dup(1);
        std::FILE* null = std::fopen("/dev/null", "w");
        dup2(fileno(null), 1);
        std::fclose(null);
    }
    ~QuietStdout()
    {
        std::fflush(stdout);
        dup2(saved_, 1);
        close(saved_);
    }
    QuietStdout(const QuietStdout&) = delete;
    QuietStdout& operator=(const QuietStdout&) = delete;

private:
    int saved_;
};

std::vector<fs::path> files_in(const fs::path& dir)
{
    std::vector<fs::path> files;
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.is_regular_file())
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    return files;
}

std::string bytes_of(const fs::path& file)
{
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Runs each file through the stage in a fresh directory; returns how many ran.
std::size_t replay(const fuzz::Entry& entry, const fs::path& dir)
{
    fuzz::on_broken = throw_broken;
    fuzz::tolerate_known = false;
    const std::vector<fs::path> files = files_in(dir);
    for (const fs::path& file : files) {
        const std::string input = bytes_of(file);
        harness::TempDir work;
        harness::ScopedChdir here(work.path());
        std::string failure;
        {
            QuietStdout quiet;
            try {
                fuzz::make_voice();
                entry.run(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
            } catch (const Broken& b) {
                failure = b.what();
            }
        }
        EXPECT_EQ(failure, "") << "replaying " << file;
    }
    return files.size();
}

class Replay : public testing::TestWithParam<fuzz::Entry> {};

TEST_P(Replay, SeedsKeepEveryPromise)
{
    const std::size_t n = replay(GetParam(), fs::path(VOKDAR_FUZZ_CORPUS) / GetParam().name);
    EXPECT_GT(n, 0u) << "no seeds for " << GetParam().name;
}

// An input that broke a stage once must never break it again.
TEST_P(Replay, CrashInputsStayMended)
{
    replay(GetParam(), fs::path(VOKDAR_CRASH_DIR) / GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Stages, Replay, testing::ValuesIn(fuzz::ENTRIES),
                         [](const testing::TestParamInfo<fuzz::Entry>& info) {
                             return std::string(info.param.name);
                         });

}  // namespace
