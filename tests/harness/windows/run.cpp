// Test helpers on Windows: temporary directories and runs of a program with
// no console of its own, its input and output going through files.
#include "harness.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <windows.h>

namespace harness {

namespace {

std::string unique_name(const char* stem)
{
    static std::mt19937 random(GetCurrentProcessId() ^ GetTickCount());
    char name[64];
    std::snprintf(name, sizeof name, "%s-%lu-%08x", stem, GetCurrentProcessId(),
                  static_cast<unsigned>(random()));
    return name;
}

// One argument as the C runtime of the started program splits it back out.
std::string quoted(const std::string& arg)
{
    if (!arg.empty() && arg.find_first_of(" \t\"") == std::string::npos)
        return arg;
    std::string q = "\"";
    std::size_t slashes = 0;
    for (char c : arg) {
        if (c == '\\') {
            ++slashes;
            continue;
        }
        q.append(c == '"' ? 2 * slashes + 1 : slashes, '\\');
        slashes = 0;
        q += c;
    }
    q.append(2 * slashes, '\\');
    return q + "\"";
}

// The environment block: this program's, PATH replaced and the entries of
// options.env in the place of the inherited ones of their names.
std::string environment(const RunOptions& options)
{
    const auto overridden = [&](const char* e) {
        for (const auto& mine : options.env) {
            const std::size_t eq = mine.find('=');
            if (eq != std::string::npos && _strnicmp(e, mine.c_str(), eq + 1) == 0)
                return true;
        }
        return false;
    };
    std::string block;
    char* own = GetEnvironmentStringsA();
    for (const char* e = own; *e != '\0'; e += std::strlen(e) + 1) {
        if ((!options.path_env.empty() && _strnicmp(e, "PATH=", 5) == 0) || overridden(e))
            continue;
        block.append(e).push_back('\0');
    }
    FreeEnvironmentStringsA(own);
    if (!options.path_env.empty())
        block.append("PATH=" + options.path_env).push_back('\0');
    for (const auto& e : options.env)
        block.append(e).push_back('\0');
    block.push_back('\0');
    return block;
}

HANDLE inheritable(const std::string& name, DWORD access, DWORD creation)
{
    SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
    const HANDLE h = CreateFileA(name.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                                 creation, FILE_ATTRIBUTE_TEMPORARY, nullptr);
    if (h == INVALID_HANDLE_VALUE)
        throw std::runtime_error("cannot open " + name);
    return h;
}

}  // namespace

std::string make_temp_dir()
{
    const auto base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        const auto dir = base / unique_name("vokdar-test");
        if (CreateDirectoryA(dir.string().c_str(), nullptr))
            return dir.string();
    }
    throw std::runtime_error("cannot make a temporary directory");
}

RunResult run_program(const std::string& program, const std::string& dir,
                      const std::vector<std::string>& args, const RunOptions& options)
{
    // Standard input and output are files beside the test's directory, so the
    // directory itself holds only what the program made.
    const std::string in_name = dir + ".in";
    const std::string out_name = dir + ".out";
    {
        std::ofstream in(in_name, std::ios::binary | std::ios::trunc);
        in.write(options.input.data(), static_cast<std::streamsize>(options.input.size()));
        if (!in)
            throw std::runtime_error("cannot write " + in_name);
    }
    const HANDLE in = inheritable(in_name, GENERIC_READ, OPEN_EXISTING);
    const HANDLE out = inheritable(out_name, GENERIC_WRITE, CREATE_ALWAYS);

    std::string line = quoted(program);
    for (const auto& a : args)
        line += " " + quoted(a);
    std::string env = environment(options);
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in;
    startup.hStdOutput = out;
    startup.hStdError = out;
    PROCESS_INFORMATION process;
    // No console: a key wait returns at once, as without a terminal.
    const BOOL started = CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                        DETACHED_PROCESS, env.data(), dir.c_str(), &startup,
                                        &process);
    CloseHandle(in);
    CloseHandle(out);
    if (!started)
        throw std::runtime_error("cannot start " + program);
    CloseHandle(process.hThread);

    RunResult result;
    const DWORD limit = static_cast<DWORD>(options.timeout_seconds) * 1000;
    if (WaitForSingleObject(process.hProcess, limit) != WAIT_OBJECT_0) {
        TerminateProcess(process.hProcess, 1);
        WaitForSingleObject(process.hProcess, INFINITE);
        result.timed_out = true;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    // An exception that ended the program shows as its code (0xC0000005 and
    // the like) rather than as an exit status.
    if (!result.timed_out && code < 0xC0000000u)
        result.status = static_cast<int>(code);
    else if (!result.timed_out)
        result.signal = static_cast<int>(code);

    // The console's text mode ends each printed line in CR LF; the tests
    // compare what was printed, line ends as the program wrote them.
    std::ifstream got(out_name, std::ios::binary);
    std::ostringstream s;
    s << got.rdbuf();
    const std::string printed = s.str();
    for (std::size_t i = 0; i < printed.size(); ++i)
        if (!(printed[i] == '\r' && i + 1 < printed.size() && printed[i + 1] == '\n'))
            result.out += printed[i];
    std::remove(in_name.c_str());
    std::remove(out_name.c_str());
    return result;
}

}  // namespace harness
