// Test helpers: temporary working directories, code page 1251 literals, and
// runs of the built vokdar binary with scripted standard input.
#pragma once

#include <string>
#include <vector>

namespace harness {

// A fresh directory under the system's temporary directory, removed with its contents.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }
    void write(const std::string& name, const std::string& bytes) const;
    std::string read(const std::string& name) const;  // throws when missing
    bool exists(const std::string& name) const;

private:
    std::string path_;
};

// The UTF-8 text of a test, as code page 1251 bytes ("мама" → EC E0 EC E0).
std::string cp1251(const std::string& utf8);
// Code page 1251 bytes back to UTF-8, for readable failure messages.
std::string utf8(const std::string& cp1251_bytes);

struct RunResult {
    int status = -1;         // exit status, or -1 when it did not exit normally
    int signal = 0;          // the signal that ended it, if one did
    bool timed_out = false;  // killed after the time limit
    std::string out;         // everything written to standard output and error
};

struct RunOptions {
    std::string input;                  // fed to standard input, which is then closed
    std::vector<std::string> env;       // NAME=VALUE entries, over the inherited ones
    std::string path_env;               // replaces PATH when not empty
    int timeout_seconds = 60;
};

// Runs the built vokdar in dir with args. It runs in a session of its own, with
// no controlling terminal, so a key wait never blocks a test.
RunResult run_vokdar(const TempDir& dir, const std::vector<std::string>& args,
                     const RunOptions& options = {});
// The same for any program.
RunResult run_program(const std::string& program, const std::string& dir,
                      const std::vector<std::string>& args, const RunOptions& options = {});

// Makes dir the current directory for the lifetime of the object, so a stage
// can be called in-process on the files of a test.
class ScopedChdir {
public:
    explicit ScopedChdir(const std::string& dir);
    ~ScopedChdir();
    ScopedChdir(const ScopedChdir&) = delete;
    ScopedChdir& operator=(const ScopedChdir&) = delete;

private:
    std::string old_;
};

// Reads a file of the source tree's test data (tests/data/...).
std::string test_data(const std::string& relative);

// Text as a text-mode file holds it on disk: every LF stored as CR LF.
std::string crlf(const std::string& text);

// One in-process call of a stage (int Stage()) inside dir: its result, what it
// printed and how many key waits it made.
struct StageRun {
    int result = -1;
    std::string printed;
    int key_waits = 0;
};
StageRun run_stage(const TempDir& dir, int (*stage)());

}  // namespace harness
