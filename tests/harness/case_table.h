// Reader of the case tables in tests/data (*.cases), one case a line. A field is
// "text" (UTF-8, given to the test as code page 1251), u"text" (UTF-8 bytes as
// they are) or a bare word. In quotes \n \r \t \" \\ and \xNN (a raw byte, never
// converted) are escapes; "#" outside quotes starts a comment.
#pragma once

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

#include "harness.h"

struct CaseRow {
    std::string where;  // "file:line", for failure messages
    std::vector<std::string> field;
};

inline std::vector<CaseRow> case_table(const std::string& relative)
{
    std::vector<CaseRow> rows;
    std::istringstream in(harness::test_data(relative));
    int number = 0;
    for (std::string line; std::getline(in, line);) {
        CaseRow row{relative + ":" + std::to_string(++number), {}};
        for (std::size_t i = line.find_first_not_of(" \t"); i < line.size() && line[i] != '#';
             i = line.find_first_not_of(" \t", i)) {
            const bool raw = line.compare(i, 2, "u\"") == 0;
            if (line[i] != '"' && !raw) {
                const std::size_t end = std::min(line.find_first_of(" \t", i), line.size());
                row.field.push_back(line.substr(i, end - i));
                i = end;
                continue;
            }
            std::string field, text;  // text: the UTF-8 run since the last escape
            const auto flush = [&] { field += raw ? text : harness::cp1251(text); text.clear(); };
            for (i += raw ? 2 : 1; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] != '\\') {
                    text += line[i];
                    continue;
                }
                flush();
                const char e = line.at(++i);
                field += e == 'x' ? static_cast<char>(std::stoi(line.substr(i + 1, 2), nullptr, 16))
                         : e == 'n' ? '\n' : e == 'r' ? '\r' : e == 't' ? '\t' : e;
                i += e == 'x' ? 2 : 0;
            }
            if (i++ >= line.size())
                throw std::runtime_error(row.where + ": no closing quote");
            flush();
            row.field.push_back(field);
        }
        if (!row.field.empty())
            rows.push_back(row);
    }
    return rows;
}
