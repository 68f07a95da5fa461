// Every seed of the fuzzing corpora and every input that once broke a stage
// (tests/crash/<stage>/) run again through the stage and its fuzzing checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <stdexcept>

#include "fuzz_stages.h"
#include "harness.h"

namespace fuzz {
void PrintTo(const Entry& e, std::ostream* os) { *os << e.name; }
}  // namespace fuzz

namespace {

namespace fs = std::filesystem;

// Runs each file of dir through the stage in a fresh directory, the stage's
// console chatter kept out of the report; returns how many ran.
std::size_t replay(const fuzz::Entry& entry, const fs::path& dir)
{
    fuzz::on_broken = [](const std::string& what) { throw std::runtime_error(what); };
    std::set<fs::path> files;  // in the order of their names
    std::error_code ec;
    for (const auto& e : fs::directory_iterator(dir, ec))
        if (e.is_regular_file())
            files.insert(e.path());
    for (const fs::path& file : files) {
        const std::string input = fuzz::read_file(file.string().c_str());
        harness::TempDir work;
        harness::ScopedChdir here(work.path());
        std::string failure;
        testing::internal::CaptureStdout();
        try {
            entry.run(reinterpret_cast<const std::uint8_t*>(input.data()), input.size());
        } catch (const std::exception& e) {
            failure = e.what();
        }
        testing::internal::GetCapturedStdout();
        EXPECT_EQ(failure, "") << "replaying " << file;
    }
    return files.size();
}

class Replay : public testing::TestWithParam<fuzz::Entry> {};

TEST_P(Replay, SeedsKeepEveryPromise)
{
    EXPECT_GT(replay(GetParam(), fs::path(VOKDAR_FUZZ_CORPUS) / GetParam().name), 0u) << "no seeds";
}

// An input that broke a stage once must never break it again.
TEST_P(Replay, CrashInputsStayMended)
{
    replay(GetParam(), fs::path(VOKDAR_CRASH_DIR) / GetParam().name);
}

INSTANTIATE_TEST_SUITE_P(Stages, Replay, testing::ValuesIn(fuzz::ENTRIES),
                         [](const testing::TestParamInfo<fuzz::Entry>& info) { return std::string(info.param.name); });

}  // namespace
