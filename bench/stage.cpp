// Runs one stage of the chain in the current directory, so the benchmark can
// time, measure and check each stage on its own: vokdar-stage NAME [INPUT].
#include <cstdio>
#include <cstring>

#include "common/settings.h"
#include "firstread/firstread.h"
#include "secondread/secondread.h"
#include "slogi/slogi.h"
#include "zvuki/zvuki.h"

int main(int argc, char** argv)
{
    settings_defaults();
    if (argc >= 3 && std::strcmp(argv[1], "firstread") == 0)
        return Firstread(argv[2]) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "secondread") == 0)
        return Secondread() ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "slogi") == 0)
        return Slogi() ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "zvuki") == 0)
        return Zvuki() ? 0 : 1;
    std::fprintf(stderr, "usage: vokdar-stage firstread INPUT | secondread | slogi | zvuki\n");
    return 2;
}
