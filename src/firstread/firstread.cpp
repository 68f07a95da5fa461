// Placeholder until the stage is built: reports itself and fails cleanly.
#include "firstread/firstread.h"

#include <cstdio>

int Firstread(const char* input_name)
{
    (void)input_name;
    std::printf("Firstread initialized...\n");
    std::printf("Firstread: not built yet\n");
    return 0;
}
