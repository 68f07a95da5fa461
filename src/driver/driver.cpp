// The command line and the chain of stages: the one place that knows their order.
#include "driver/driver.h"

#include <cstdio>
#include <cstring>

#include "common/console.h"
#include "common/sysfile.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"
#include "driver/stage_files.h"

const Operations REAL_OPERATIONS = {
    readconfig_found, firstread_side_by_side, secondread_side_by_side, slogi_side_by_side, zvuki_side_by_side,
    Readclipboard, read_standard_input, Setup, Printhelp, Convertmp3, Playwav,
};

namespace {

// A failure line, what it concerns and why (standard error, so a pipe of the
// speech's console lines stays as it was).
constexpr std::size_t REASON_BYTES = FILE_NAME_BYTES + 128;

// A failed stage: its line, a line naming the file and the reason (or,
// where no file failed, the stage's own), one key, and the run ends with
// nothing deleted.
int fail_run(const char* message, const char* otherwise)
{
    std::fputs(message, stdout);
    // The stage's line ends here, so the shell's prompt does not stick to it.
    std::fputc('\n', stdout);
    std::fflush(stdout);
    char reason[REASON_BYTES];
    describe_file_failure(reason, sizeof reason);
    std::fprintf(stderr, "vokdar: %s\n", reason[0] != '\0' ? reason : otherwise);
    wait_key();
    return EXIT_FAILED;
}

bool is(const char* arg, const char* option) { return std::strcmp(arg, option) == 0; }

// A UTF-8 text with a few bytes that are not: said once, before it is read.
void warn_stray_bytes(const char* input_name)
{
    long long stray = 0;
    if (input_name[0] != '\0' && text_input_form(input_name, &stray) == TextForm::utf8 && stray > 0)
        std::fprintf(stderr, "vokdar: %s: %lld byte%s that %s not UTF-8 read as code page 1251\n",
                     input_name, stray, stray == 1 ? "" : "s", stray == 1 ? "is" : "are");
}

}  // namespace

bool PlayWhileSpeaking = false;

int drive(int argc, char** argv, const Operations& ops)
{
    PlayWhileSpeaking = argc == 3 && is(argv[2], "-p");
    const char* input_name = "";  // empty: the first stage asks for a file
    if (argc > 1) {
        const char* first = argv[1];
        if (is(first, "-c")) {
            if (ops.readclipboard())
                input_name = "rech.txt";
        } else if (is(first, "-m")) {
            return ops.convertmp3();
        } else if (is(first, "-p")) {
            return ops.playwav();
        } else if (is(first, "-s")) {
            return ops.setup();
        } else if (is(first, "-h")) {
            return ops.printhelp();
        } else if (is(first, "-") && !sys_exists(first)) {
            // The text on standard input, kept as rech.txt as the clipboard's is;
            // a file named "-" is still read as one.
            if (!ops.readstdin())
                return EXIT_FAILED;
            input_name = "rech.txt";
        } else {
            input_name = first;
        }
    }

    if (!ops.readconfig())
        std::printf("There is no vokdar.cfg file! Using Default...");
    // Each stage's failure is told by what failed in it, not before it.
    constexpr const char* SEE_ABOVE = "the message above says what went wrong";
    warn_stray_bytes(input_name);
    clear_file_failure();
    if (!ops.firstread(input_name))
        return fail_run("First read has failed!", "no text was named");
    clear_file_failure();
    if (!ops.secondread())
        return fail_run("Second read has failed!", SEE_ABOVE);
    clear_file_failure();
    if (!ops.slogi())
        return fail_run("Slogi has failed!", SEE_ABOVE);
    clear_file_failure();
    if (!ops.zvuki())
        return fail_run("Zvuki has failed!", SEE_ABOVE);
    // A missing file is fine: the stage that made it may have had nothing to write.
    sys_remove("slogi.tmp");
    sys_remove("text.tmp");
    sys_remove("text2.tmp");

    int status = finish_mp3_output();
    if (argc == 1) {
        std::printf("\nPlay rech.wav, Enjoy!\n\n");
    } else if (argc == 3) {
        if (is(argv[2], "-m") && !output_is_mp3())
            status = ops.convertmp3();
        else if (is(argv[2], "-p"))
            status = ops.playwav();
    }
    std::fflush(stdout);
    return status;
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
    const int taken = take_long_options(argc, argv);
    if (taken != EXIT_OK)
        return taken;
    if (Options.list_voices)
        return list_voices();
    apply_long_options();
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
    const int status = drive(argc, argv, REAL_OPERATIONS);
    pipeline_stop();
    std::fflush(stdout);
    // A player fed while the speech was made gets the rest before this ends.
    stream_end();
    return status;
}
