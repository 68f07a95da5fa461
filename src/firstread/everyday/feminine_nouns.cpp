// Looking a word up in a generated block of sorted lines: a binary search
// over the bytes, each probe moved back to the start of its line.
#include "firstread/everyday/feminine_nouns.h"

#include <cstring>

bool in_sorted_lines(const char* block, std::size_t bytes, const char* word, std::size_t n)
{
    std::size_t low = 0;  // the start of a line
    std::size_t high = bytes;
    while (low < high) {
        std::size_t mid = low + (high - low) / 2;
        while (mid > low && block[mid - 1] != '\n')
            --mid;
        const char* line = block + mid;
        const auto end = static_cast<const char*>(std::memchr(line, '\n', bytes - mid));
        if (end == nullptr)
            return false;  // a block not ended by a line end: nothing more in it
        const auto length = static_cast<std::size_t>(end - line);
        int order = std::memcmp(line, word, length < n ? length : n);
        if (order == 0)
            order = length < n ? -1 : length > n ? 1 : 0;
        if (order == 0)
            return true;
        if (order < 0)
            low = static_cast<std::size_t>(end - block) + 1;
        else
            high = mid;
    }
    return false;
}
