// The reader of replace.txt: which entry lines a scan for one first byte
// reaches, and where a replacement ends.
#include <gtest/gtest.h>

#include "support.h"

namespace {

TEST(NextEntry, ScanTable)
{
    for (const CaseRow& row : case_table("secondread/scan.cases")) {
        DictFile d(harness::crlf(row.field.at(0)));
        std::vector<std::string> found(row.field.begin(), row.field.begin() + 2);
        EntryText key;
        int mode = -1;  // set by each call
        while (next_entry(d.f, static_cast<unsigned char>(row.field.at(1).at(0)), key, mode)) {
            found.push_back(text_of(key));
            found.push_back(std::to_string(mode));
            skip_line(d.f);
        }
        EXPECT_EQ(found, row.field) << row.where;
    }
}

TEST(ReadReplacement, EndsAtItsBangAndNeverRunsIntoTheNextLine)
{
    const char* const result_names[] = {"OK", "TOO_LONG", "LINE_END", "FILE_END", "END_MARKER"};
    for (const CaseRow& row : case_table("secondread/replacement.cases")) {
        DictFile d(harness::crlf(row.field.at(0)));
        EntryText rep;
        std::vector<std::string> got{row.field.at(0), result_names[read_replacement(d.f, rep)], text_of(rep), ""};
        for (int ch; (ch = text_getc(d.f)) != TEXT_EOF;)
            got.back().push_back(static_cast<char>(ch));
        EXPECT_EQ(got, row.field) << row.where;
    }
}

}  // namespace
