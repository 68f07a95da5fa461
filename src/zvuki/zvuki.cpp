// Placeholder until the stage is built: reports itself and fails cleanly.
#include "zvuki/zvuki.h"

#include <cstdio>

int Zvuki()
{
    
    std::printf("Zvuki initialized...\n");
    std::printf("Zvuki: not built yet\n");
    return 0;
}
