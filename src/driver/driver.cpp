// The command line and the chain of stages.
#include "driver/driver.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

#include "common/console.h"
#include "firstread/firstread.h"
#include "secondread/secondread.h"
#include "slogi/slogi.h"
#include "zvuki/zvuki.h"

namespace {

int fail_run(const char* message)
{
    fail_wait(message);
    return 0;
}

}  // namespace

int vokdar_main(int argc, char** argv)
{
    const char* input_name = argc > 1 ? argv[1] : "";
    if (!Firstread(input_name))
        return fail_run("First read has failed!");
    if (!Secondread())
        return fail_run("Second read has failed!");
    if (!Slogi())
        return fail_run("Slogi has failed!");
    if (!Zvuki())
        return fail_run("Zvuki has failed!");
    unlink("slogi.tmp");
    unlink("text.tmp");
    unlink("text2.tmp");
    if (argc == 1)
        std::printf("\nPlay rech.wav, Enjoy!\n\n");
    std::fflush(stdout);
    return 0;
}
