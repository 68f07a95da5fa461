// Helpers shared by the driver's tests: files set up from the fields of a case
// table (tests/data/driver/*.cases), stand-in programs and the setup prompts.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <sstream>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "case_table.h"
#include "common/settings.h"
#include "harness.h"

namespace driver_test {

// The tables write the default voice as "torvy/"; here it is the system's.
inline std::string native(std::string text)
{
    for (auto at = text.find("torvy/"); at != std::string::npos; at = text.find("torvy/", at + 1))
        text.replace(at, 6, DEFAULT_VOICE);
#ifdef _WIN32
    // Windows has no display to miss: its clipboard is there and holds no text.
    const std::string no_display = "no display (neither WAYLAND_DISPLAY nor DISPLAY is set)";
    for (auto at = text.find(no_display); at != std::string::npos; at = text.find(no_display, at + 1))
        text.replace(at, no_display.size(), "it holds no text");
#endif
    return text;
}

// Runs check on the fields of every case of a table in tests/data (which must
// have the given number of fields), failures naming the case's file and line.
template <class Check>
void for_each_case(const std::string& table, std::size_t fields, Check check)
{
    for (const CaseRow& row : case_table(table)) {
        SCOPED_TRACE(row.where);
        ASSERT_EQ(row.field.size(), fields);
        check(row.field);
    }
}

// The words of a field, split at spaces; '' is an empty word.
inline std::vector<std::string> words(const std::string& field)
{
    std::vector<std::string> out;
    std::istringstream in(field);
    for (std::string w; in >> w;)
        out.push_back(w == "''" ? "" : w);
    return out;
}

// Puts name in dir as a field says: "<none>" nothing, "<dir>" a directory, else
// the field's bytes.
inline void place(const harness::TempDir& dir, const std::string& name, const std::string& what)
{
    if (what == "<dir>")
        mkdir(dir.file(name).c_str(), 0755);
    else if (what != "<none>")
        dir.write(name, what);
}

// What place would have written to give the file as it now is.
inline std::string found(const harness::TempDir& dir, const std::string& name)
{
    struct stat st;
    if (stat(dir.file(name).c_str(), &st) != 0)
        return "<none>";
    return S_ISDIR(st.st_mode) ? "<dir>" : dir.read(name);
}

// A shell script named name in dir, with the given mode.
inline void install(const harness::TempDir& dir, const std::string& name, const std::string& body,
                    mode_t mode = 0755)
{
    dir.write(name, "#!/bin/sh\n" + body + "\n");
    chmod(dir.file(name).c_str(), mode);
}

// A script body that writes tag and then its arguments, one a line, to record.
// It uses no program from PATH, which tests replace.
inline std::string recorder(const std::string& record, const std::string& tag)
{
    return "printf '%s\\n' '" + tag + "' \"$@\" > '" + record + "'";
}

// The record of a started stand-in; a started program may still be writing
// it when vokdar has ended, so this waits a while. Empty when none came.
inline std::string wait_for_record(const harness::TempDir& dir, const std::string& name)
{
    for (int i = 0; i < 500; ++i) {
        if (dir.exists(name)) {
            const std::string text = dir.read(name);
            if (!text.empty() && text.back() == '\n')
                return text;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return "";
}

// The four prompts of the setup dialogue with the values they show:
// speed, volume, suggested stutter, stutter, voice.
inline std::string setup_prompts(const std::vector<std::string>& v)
{
    return "What is your desiered reading speed? (" + v.at(0) + " cur, 200 max): " +
           "What is your desiered reading volume? (" + v.at(1) + " cur, 4.0 max): " + "Stutter control, " +
           v.at(2) + " sujested, " + v.at(3) + " cur. options(1-21): " +
           "What is your desiered reading voice? (" + v.at(4) + "): ";
}

}  // namespace driver_test
