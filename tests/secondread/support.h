// What the dictionary pass's tests share: the bytes of a word or an entry, and
// a dictionary written into a fresh directory and opened as the pass opens it.
#pragma once

#include <string>

#include "case_table.h"
#include "harness.h"
#include "secondread/secondread_internal.h"

template <class Text>
std::string text_of(const Text& t)
{
    EXPECT_EQ(t.bytes[t.length], 0);
    return std::string(t.bytes.begin(), t.bytes.begin() + static_cast<std::ptrdiff_t>(t.length));
}

struct DictFile {
    harness::TempDir dir;
    TextFile f;
    explicit DictFile(const std::string& bytes)
    {
        dir.write("replace.txt", bytes);
        EXPECT_TRUE(text_open_input(f, dir.file("replace.txt").c_str()));
    }
};
