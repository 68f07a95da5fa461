// Helpers shared by the driver's tests: stand-in programs, a display-free
// environment and readable case names.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "harness.h"

namespace driver_test {

// A test's name from the case's description.
template <class Case>
std::string case_name(const testing::TestParamInfo<Case>& info)
{
    std::string name;
    for (const char* p = info.param.what; *p; ++p)
        name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
    return name;
}

// Options of a run: standard input, extra environment, PATH (empty: as it is).
inline harness::RunOptions run_options(const std::string& input, const std::vector<std::string>& env = {},
                                       const std::string& path = "", int timeout_seconds = 60)
{
    harness::RunOptions o;
    o.input = input;
    o.env = env;
    o.path_env = path;
    o.timeout_seconds = timeout_seconds;
    return o;
}

// The four prompts of the setup dialogue, with the values they show.
inline std::string setup_prompts(const std::string& speed, const std::string& volume,
                                 const std::string& suggested, const std::string& stutter,
                                 const std::string& voice)
{
    return "What is your desiered reading speed? (" + speed + " cur, 200 max): " +
           "What is your desiered reading volume? (" + volume + " cur, 4.0 max): " + "Stutter control, " +
           suggested + " sujested, " + stutter + " cur. options(1-21): " +
           "What is your desiered reading voice? (" + voice + "): ";
}

// Command-line arguments as one readable line, for test names.
inline std::string joined(const std::vector<std::string>& args)
{
    std::string line = "vokdar";
    for (const std::string& a : args)
        line += " '" + a + "'";
    return line;
}

// A shell script that writes tag and then its arguments, one a line, to record.
// It uses no program from PATH, which tests replace.
inline std::string recorder(const std::string& record, const std::string& tag)
{
    return "#!/bin/sh\nprintf '%s\\n' '" + tag + "' \"$@\" > '" + record + "'\n";
}

// The record of a started stand-in; a started program may still be writing
// it when vokdar has ended, so this waits a while. Empty when none came.
inline std::string wait_for_record(const std::string& path)
{
    for (int i = 0; i < 500; ++i) {
        std::ifstream in(path, std::ios::binary);
        if (in) {
            std::ostringstream s;
            s << in.rdbuf();
            const std::string text = s.str();
            if (!text.empty() && text.back() == '\n')
                return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "";
}

// Hides the desktop's displays from the programs a test starts, for its lifetime.
class no_display {
public:
    no_display() : x_(take("DISPLAY")), wayland_(take("WAYLAND_DISPLAY")) {}
    ~no_display()
    {
        if (x_)
            setenv("DISPLAY", x_->c_str(), 1);
        if (wayland_)
            setenv("WAYLAND_DISPLAY", wayland_->c_str(), 1);
    }
    no_display(const no_display&) = delete;
    no_display& operator=(const no_display&) = delete;

private:
    static std::optional<std::string> take(const char* name)
    {
        const char* v = std::getenv(name);
        std::optional<std::string> old;
        if (v)
            old = v;
        unsetenv(name);
        return old;
    }
    std::optional<std::string> x_, wayland_;
};

}  // namespace driver_test
