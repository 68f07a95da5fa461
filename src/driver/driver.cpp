// The command line and the chain of stages: the one place that knows their order.
#include "driver/driver.h"

#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "common/sysfile.h"
#include "driver/driver_internal.h"
#include "driver/stage_files.h"

const Operations REAL_OPERATIONS = {
    readconfig_found, firstread_files, secondread_found, slogi_files, zvuki_found,
    Readclipboard, Setup, Printhelp, Convertmp3, Playwav,
};

namespace {

// A failed stage: its line, one key, and the run ends with nothing deleted.
int fail_run(const char* message)
{
    fail_wait(message);
    return 0;
}

bool is(const char* arg, const char* option) { return std::strcmp(arg, option) == 0; }

}  // namespace

int drive(int argc, char** argv, const Operations& ops)
{
    const char* input_name = "";  // empty: the first stage asks for a file
    if (argc > 1) {
        const char* first = argv[1];
        if (is(first, "-c")) {
            if (ops.readclipboard())
                input_name = "rech.txt";
        } else if (is(first, "-m")) {
            ops.convertmp3();
            return 0;
        } else if (is(first, "-p")) {
            ops.playwav();
            return 0;
        } else if (is(first, "-s")) {
            return ops.setup();
        } else if (is(first, "-h")) {
            return ops.printhelp();
        } else {
            input_name = first;
        }
    }

    if (!ops.readconfig())
        std::printf("There is no vokdar.cfg file! Using Default...");
    if (!ops.firstread(input_name))
        return fail_run("First read has failed!");
    if (!ops.secondread())
        return fail_run("Second read has failed!");
    if (!ops.slogi())
        return fail_run("Slogi has failed!");
    if (!ops.zvuki())
        return fail_run("Zvuki has failed!");
    // A missing file is fine: the stage that made it may have had nothing to write.
    sys_remove("slogi.tmp");
    sys_remove("text.tmp");
    sys_remove("text2.tmp");

    if (argc == 1) {
        std::printf("\nPlay rech.wav, Enjoy!\n\n");
    } else if (argc == 3) {
        if (is(argv[2], "-m"))
            ops.convertmp3();
        else if (is(argv[2], "-p"))
            ops.playwav();
    }
    std::fflush(stdout);
    return 0;
}

bool needs_lock(int argc, char** argv)
{
    // Encoding and playing only read rech.wav (the encoder writes rech.mp3,
    // as it would from any other program); the help writes nothing.
    return argc < 2 || !(is(argv[1], "-m") || is(argv[1], "-p") || is(argv[1], "-h") ||
                         is(argv[1], "--help") || is(argv[1], "--version"));
}

int vokdar_main(int argc, char** argv)
{
    // Whole arguments, as the other switches: a text named --help is ./--help.
    if (argc > 1 && is(argv[1], "--help"))
        return print_usage();
    if (argc > 1 && is(argv[1], "--version"))
        return print_version();
    // A directory the lock cannot be made in is run in as before: what the
    // run writes there will fail and say so on its own.
    if (needs_lock(argc, argv) && lock_working_directory() == DirLock::busy) {
        std::fprintf(stderr, "vokdar is already running in this directory.\n");
        return 1;
    }
    drive(argc, argv, REAL_OPERATIONS);
    std::fflush(stdout);
    return 0;
}
