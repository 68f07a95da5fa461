// Test helpers on POSIX systems: temporary directories and runs of a program
// in a session of its own, fed and read through pipes.
#include "harness.h"

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace harness {

std::string make_temp_dir()
{
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/vokdar-test-XXXXXX";
    std::vector<char> buf(templ.begin(), templ.end());
    buf.push_back('\0');
    if (mkdtemp(buf.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    return buf.data();
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
        // As a shell starts it: the test's own ignoring of SIGPIPE stays here.
        signal(SIGPIPE, SIG_DFL);
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

}  // namespace harness
