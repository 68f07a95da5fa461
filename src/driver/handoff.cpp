// The help text and the hand-off of rech.wav to the MP3 encoder or a player.
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform.h"
#include "common/sysfile.h"
#include "common/textfile.h"
#include "driver/driver_internal.h"
#include "driver/driver_system.h"

int read_standard_input()
{
    // Written first and put in the place of rech.txt only when the whole text is in.
    constexpr const char* PARTIAL = "rech.tmp";
    TextFile out;
    if (!text_open(out, PARTIAL, "w") || !text_set_binary(out)) {
        std::fprintf(stderr, "vokdar: rech.txt: %s\n", std::strerror(errno));
        return 0;
    }
    sys_binary_stream(stdin);
    std::array<char, FILE_BLOCK_BYTES> block;
    bool ok = true;
    for (std::size_t n; ok && (n = std::fread(block.data(), 1, block.size(), stdin)) > 0;)
        ok = text_write(out, block.data(), n);
    const bool read = !std::ferror(stdin);
    ok = text_close(out) && ok;
    if (ok && read && sys_replace(PARTIAL, "rech.txt"))
        return 1;
    std::fprintf(stderr, "vokdar: %s\n",
                 read ? "rech.txt: the text could not be written" : "standard input could not be read");
    sys_remove(PARTIAL);
    return 0;
}

int Printhelp()
{
    std::printf("***HELP***\n\n");
    std::printf("vokdar -c\t\tRead from clipboard into rech.wav\n\n");
    std::printf("vokdar -s\t\tSetup\n\n");
    std::printf("vokdar -p\t\tPlay\n\n");
    std::printf("vokdar -m\t\tConvert to mp3\n\n");
    std::printf("vokdar -h\t\tThis help\n\n");
    std::printf("vokdar text.txt -m\tRead text.txt & convert to mp3\n\n");
    return 0;
}

int Convertmp3()
{
    // The voice preset of today's encoder: 56 kbit/s mono, as the old "--voice" switch was.
    char name[16], preset[] = "--preset", voice[] = "voice";
    std::snprintf(name, sizeof name, "lame%s", EXECUTABLE_SUFFIX);
    // The names as the encoder gets them; it writes through none of them.
    char* wav = const_cast<char*>(speech_wav());
    char* mp3 = const_cast<char*>(speech_mp3());
    char* const args[] = {name, preset, voice, wav, mp3, nullptr};
    char path[PROGRAM_PATH_BYTES];
    if (!find_program(name, true, path, sizeof path)) {
        std::printf("\nLame.exe not fownd!!\n\n");
        return EXIT_FAILED;
    }
    // Waited for, so rech.mp3 is complete when this program ends and the
    // encoder's lines come before the shell's prompt.
    std::fflush(stdout);
    const int status = run_and_wait(path, args);
    if (status == 0)
        return EXIT_OK;
    if (status < 0)
        std::fprintf(stderr, "vokdar: %s: could not be started\n", path);
    else
        std::fprintf(stderr, "vokdar: %s ended with status %d; rech.mp3 is not complete\n", path,
                     status);
    return EXIT_FAILED;
}

int Playwav()
{
    // A player fed while the speech was made is playing it already.
    if (stream_active())
        return EXIT_OK;
    // "wav" is the player of the user's choosing; without one, a common player.
    char* wav = const_cast<char*>(output_is_mp3() ? speech_mp3() : speech_wav());
    char name[16];
    std::snprintf(name, sizeof name, "wav%s", EXECUTABLE_SUFFIX);
    char path[PROGRAM_PATH_BYTES];
    bool found = find_program(name, true, path, sizeof path);
    for (const char* const* player = fallback_players(); !found && *player != nullptr; ++player) {
        std::snprintf(name, sizeof name, "%s", *player);
        found = find_program(name, false, path, sizeof path);
    }
    if (found) {
        char* const args[] = {name, wav, nullptr};
        start_and_exit(path, args);
    }
    std::printf("\nwav.exe not fownd!!\n\n");
    return EXIT_FAILED;
}

int finish_mp3_output()
{
    if (!output_is_mp3())
        return EXIT_OK;
    const int status = Convertmp3();
    if (status == EXIT_OK)
        sys_remove(speech_wav());
    else
        std::fprintf(stderr, "vokdar: the speech is kept in %s\n", speech_wav());
    return status;
}
