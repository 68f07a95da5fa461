// Placeholder until the stage is built: reports itself and fails cleanly.
#include "slogi/slogi.h"

#include <cstdio>

int Slogi()
{
    
    std::printf("Slogi initialized...\n");
    std::printf("Slogi: not built yet\n");
    return 0;
}
