// Helpers shared by the driver's tests: case tables from tests/data/driver,
// files set up from a table's words, stand-in programs and the setup prompts.
#pragma once

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <sstream>
#include <stdexcept>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

#include "harness.h"

namespace driver_test {

// One case of a table: its fields, escapes undone.
using Row = std::vector<std::string>;

// The cases of tests/data/<name>, one a line, fields separated by tabs; empty
// lines and lines starting with '#' are skipped. Fields take \n \r \t \\ and \xNN.
// Every row gets the given number of fields: missing ones at its end are empty.
inline std::vector<Row> table(const std::string& name, std::size_t columns)
{
    std::vector<Row> rows;
    std::istringstream lines(harness::test_data(name));
    for (std::string line; std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        Row row(1);
        for (std::size_t i = 0; i < line.size(); ++i) {
            const char c = line[i];
            if (c == '\t') {
                row.emplace_back();
            } else if (c != '\\' || i + 1 == line.size()) {
                row.back() += c;
            } else if (line[++i] == 'x') {
                row.back() += static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16));
                i += 2;
            } else {
                const char e = line[i];
                row.back() += e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
            }
        }
        if (row.size() > columns)
            throw std::runtime_error(name + ": too many fields in " + row[0]);
        row.resize(columns);
        rows.push_back(row);
    }
    return rows;
}

// A test's name from the first field of its row.
inline std::string case_name(const testing::TestParamInfo<Row>& info)
{
    std::string name;
    for (const char c : info.param[0])
        name += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
    return name;
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
// the field's text in code page 1251.
inline void place(const harness::TempDir& dir, const std::string& name, const std::string& what)
{
    if (what == "<dir>")
        mkdir(dir.file(name).c_str(), 0755);
    else if (what != "<none>")
        dir.write(name, harness::cp1251(what));
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
