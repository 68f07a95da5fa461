// Test helpers: temporary directories and runs of the built binary.
#include "harness.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <stdexcept>

#include <gtest/gtest.h>

#include "common/console.h"
#include "common/cp1251.h"
#include "common/format_text.h"

namespace harness {

TempDir::TempDir() : path_(make_temp_dir()) {}

TempDir::~TempDir()
{
    std::error_code ec;
    // Tests may leave read-only files or directories behind; make them removable.
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        // Never through a link: it may point at a file of the source tree.
        if (!it->is_symlink(ec))
            std::filesystem::permissions(it->path(), std::filesystem::perms::owner_all,
                                         std::filesystem::perm_options::add, ec);
    }
    std::filesystem::remove_all(path_, ec);
}

void TempDir::write(const std::string& name, const std::string& bytes) const
{
    std::ofstream out(file(name), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + file(name));
}

std::string TempDir::read(const std::string& name) const
{
    std::ifstream in(file(name), std::ios::binary);
    if (!in)
        throw std::runtime_error("cannot read " + file(name));
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

bool TempDir::exists(const std::string& name) const
{
    return std::filesystem::exists(std::filesystem::symlink_status(file(name)));
}

std::string cp1251(const std::string& text)
{
    std::string out;
    Utf8Decoder d;
    std::uint32_t points[2];
    for (unsigned char b : text) {
        const int n = utf8_feed(d, b, points);
        for (int i = 0; i < n; ++i)  // "´" stands for the stress mark
            out.push_back(static_cast<char>(points[i] == 0xB4 ? STRESS_MARK : cp1251_from_unicode(points[i])));
    }
    if (utf8_finish(d, points))
        out.push_back('?');
    return out;
}

std::string utf8(const std::string& bytes)
{
    std::string out;
    for (unsigned char b : bytes) {
        std::uint32_t cp = b < 0x80 ? b : b == STRESS_MARK ? 0xB4 : CP1251_UNICODE[b - 0x80];
        if (cp == 0)
            cp = 0xFFFD;
        char bytes[UTF8_MAX_BYTES];
        out.append(bytes, utf8_encode(cp, bytes));
    }
    return out;
}

RunResult run_vokdar(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options)
{
    // The settings of whoever runs the tests stay out, and a setup dialogue
    // writes inside the test's directory, unless the test names a place.
    RunOptions own = options;
    bool named = false;
    for (const std::string& e : own.env)
        named = named || e.rfind("XDG_CONFIG_HOME=", 0) == 0;
    if (!named)
        own.env.push_back("XDG_CONFIG_HOME=" + dir.file(".config"));
    return run_program(VOKDAR_BINARY, dir.path(), args, own);
}

ScopedChdir::ScopedChdir(const std::string& dir)
{
    std::error_code ec;
    old_ = std::filesystem::current_path(ec).string();
    if (ec)
        throw std::runtime_error("cannot enter " + dir);
    std::filesystem::current_path(dir, ec);
    if (ec)
        throw std::runtime_error("cannot enter " + dir);
}

ScopedChdir::~ScopedChdir()
{
    std::error_code ec;
    std::filesystem::current_path(old_, ec);
    if (ec)
        std::abort();
}

std::string test_data(const std::string& relative)
{
    std::ifstream in(std::string(VOKDAR_TEST_DATA) + "/" + relative, std::ios::binary);
    if (!in)
        throw std::runtime_error("missing test data " + relative);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

std::string crlf(const std::string& text)
{
    std::string raw;
    for (char c : text) {
        if (c == '\n')
            raw += '\r';
        raw += c;
    }
    return raw;
}

StageRun run_stage(const TempDir& dir, int (*stage)())
{
    ScopedChdir here(dir.path());
    StageRun r;
    const int waits = key_wait_count();
    testing::internal::CaptureStdout();
    r.result = stage();
    r.printed = testing::internal::GetCapturedStdout();
    r.key_waits = key_wait_count() - waits;
    return r;
}

}  // namespace harness
