// Placeholder until the stage is built: reports itself and fails cleanly.
#include "secondread/secondread.h"

#include <cstdio>

int Secondread()
{
    
    std::printf("Secondread initialized...\n");
    std::printf("Secondread: not built yet\n");
    return 0;
}
