// Letter tables and markers shared by every stage.
#include "common/tables.h"

bool in_set(const char* set, unsigned char c)
{
    if (c == 0)
        return false;
    for (const char* p = set; *p; ++p)
        if (static_cast<unsigned char>(*p) == c)
            return true;
    return false;
}
