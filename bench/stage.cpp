// Runs one stage of the chain in the current directory, bound to its files as
// the program binds it, so the benchmark can time, measure and check each
// stage on its own: vokdar-stage NAME [INPUT].
#include <cstdio>
#include <cstring>

#include "common/settings.h"
#include "driver/stage_files.h"

int main(int argc, char** argv)
{
    settings_defaults();
    if (argc >= 3 && std::strcmp(argv[1], "firstread") == 0)
        return firstread_files(argv[2]) ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "secondread") == 0)
        return secondread_files() ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "slogi") == 0)
        return slogi_files() ? 0 : 1;
    if (argc == 2 && std::strcmp(argv[1], "zvuki") == 0)
        return zvuki_files() ? 0 : 1;
    std::fprintf(stderr, "usage: vokdar-stage firstread INPUT | secondread | slogi | zvuki\n");
    return 2;
}
