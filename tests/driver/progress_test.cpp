// The progress line's bytes, as both systems draw them on standard error:
// each redraw starts at the line's start, and the blank that clears it
// covers every line.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "driver/driver_internal.h"

namespace {

std::string line_of(double share, long long left)
{
    char line[PROGRESS_LINE_BYTES];
    progress_line(line, share, left);
    return line;
}

TEST(ProgressLine, ItsBytesAndTheBlankThatCoversIt)
{
    EXPECT_EQ(line_of(0.004, -1), "\rvokdar: speaking,  0% done          ");
    EXPECT_EQ(line_of(0.5, 3725), "\rvokdar: speaking, 50% done, 1:02:05 left ");
    EXPECT_EQ(line_of(1.0, 0), "\rvokdar: speaking, 100% done, 0:00:00 left ");
    char clear[PROGRESS_LINE_BYTES];
    progress_clear(clear);
    EXPECT_EQ(std::string(clear), "\r" + std::string(PROGRESS_LINE_WIDTH, ' ') + "\r");
    // The blank leaves nothing of any line behind, a speech of years included.
    for (const long long left : {-1LL, 0LL, 59LL, 3599LL, 360000LL, 1LL << 40}) {
        const std::string l = line_of(0.42, left);
        EXPECT_EQ(l[0], '\r');
        EXPECT_LE(l.size(), std::strlen(clear) - 1) << l;
    }
}

}  // namespace
