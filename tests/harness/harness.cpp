// Test helpers: temporary directories and runs of the built binary.
#include "harness.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <poll.h>
#include <sstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "common/console.h"
#include "common/cp1251.h"

extern char** environ;

namespace harness {

TempDir::TempDir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/vokdar-test-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = buf.data();
}

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
        for (int i = 0; i < n; ++i)
            out.push_back(static_cast<char>(cp1251_from_unicode(points[i])));
    }
    if (utf8_finish(d, points))
        out.push_back('?');
    return out;
}

std::string utf8(const std::string& bytes)
{
    std::string out;
    for (unsigned char b : bytes) {
        std::uint32_t cp = b < 0x80 ? b : CP1251_UNICODE[b - 0x80];
        if (cp == 0)
            cp = 0xFFFD;
        char bytes[UTF8_MAX_BYTES];
        out.append(bytes, utf8_encode(cp, bytes));
    }
    return out;
}

RunResult run_program(const std::string& program, const std::string& dir,
                      const std::vector<std::string>& args, const RunOptions& options)
{
    int in_pipe[2], out_pipe[2];
    if (pipe(in_pipe) != 0 || pipe(out_pipe) != 0)
        throw std::runtime_error("pipe failed");

    std::vector<std::string> env_strings;
    // An entry of options.env takes the place of the inherited one of its name.
    const auto overridden = [&](const char* e) {
        for (const auto& mine : options.env) {
            const std::size_t eq = mine.find('=');
            if (eq != std::string::npos && std::strncmp(e, mine.c_str(), eq + 1) == 0)
                return true;
        }
        return false;
    };
    for (char** e = environ; *e; ++e) {
        if (!options.path_env.empty() && std::strncmp(*e, "PATH=", 5) == 0)
            continue;
        if (overridden(*e))
            continue;
        env_strings.emplace_back(*e);
    }
    if (!options.path_env.empty())
        env_strings.push_back("PATH=" + options.path_env);
    for (const auto& e : options.env)
        env_strings.push_back(e);
    std::vector<char*> envp;
    for (auto& e : env_strings)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::vector<std::string> argv_strings{program};
    argv_strings.insert(argv_strings.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : argv_strings)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error("fork failed");
    if (pid == 0) {
        setsid();  // no controlling terminal: key waits return at once
        dup2(in_pipe[0], 0);
        dup2(out_pipe[1], 1);
        dup2(out_pipe[1], 2);
        close(in_pipe[0]);
        close(in_pipe[1]);
        close(out_pipe[0]);
        close(out_pipe[1]);
        if (chdir(dir.c_str()) != 0)
            _exit(126);
        execve(program.c_str(), argv.data(), envp.data());
        _exit(127);
    }
    close(in_pipe[0]);
    close(out_pipe[1]);
    signal(SIGPIPE, SIG_IGN);

    RunResult result;
    std::size_t written = 0;
    int in_fd = in_pipe[1];
    if (options.input.empty()) {
        close(in_fd);
        in_fd = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(options.timeout_seconds);
    bool out_open = true;
    while (out_open) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            kill(pid, SIGKILL);
            result.timed_out = true;
            break;
        }
        const int wait_ms = static_cast<int>(
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count());
        pollfd fds[2] = {{out_pipe[0], POLLIN, 0}, {in_fd, POLLOUT, 0}};
        const int nfds = in_fd >= 0 ? 2 : 1;
        if (poll(fds, nfds, wait_ms) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & (POLLIN | POLLHUP | POLLERR)) {
            char buf[65536];
            const ssize_t r = read(out_pipe[0], buf, sizeof buf);
            if (r > 0)
                result.out.append(buf, static_cast<std::size_t>(r));
            else if (r == 0 || errno != EINTR)
                out_open = false;
        }
        if (in_fd >= 0 && (fds[1].revents & (POLLOUT | POLLERR | POLLHUP))) {
            const ssize_t w = write(in_fd, options.input.data() + written, options.input.size() - written);
            if (w > 0)
                written += static_cast<std::size_t>(w);
            if (w < 0 || written == options.input.size()) {
                close(in_fd);
                in_fd = -1;
            }
        }
    }
    if (in_fd >= 0)
        close(in_fd);
    close(out_pipe[0]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.status = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.signal = WTERMSIG(status);
    return result;
}

RunResult run_vokdar(const TempDir& dir, const std::vector<std::string>& args, const RunOptions& options)
{
    return run_program(VOKDAR_BINARY, dir.path(), args, options);
}

ScopedChdir::ScopedChdir(const std::string& dir)
{
    char buf[4096];
    if (getcwd(buf, sizeof buf) == nullptr || chdir(dir.c_str()) != 0)
        throw std::runtime_error("cannot enter " + dir);
    old_ = buf;
}

ScopedChdir::~ScopedChdir()
{
    if (chdir(old_.c_str()) != 0)
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
