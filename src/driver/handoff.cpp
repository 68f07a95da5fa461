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
#include "driver/speech_out.h"

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

namespace {

// The name of a part of the speech's WAV file or of its MP3 twin, or false
// when it would not fit.
bool part_name(const char* first, int part, char* out)
{
    return speech_part_name(first, part, out, DATA_PATH_BYTES);
}

// Encodes one WAV file into one MP3 file and waits for the encoder.
int encode(const char* path, char* name, const char* wav_name, const char* mp3_name)
{
    // The voice preset of today's encoder: 56 kbit/s mono, as the old "--voice" switch was.
    char preset[] = "--preset", voice[] = "voice";
    // The names as the encoder gets them; it writes through none of them.
    char* wav = const_cast<char*>(wav_name);
    char* mp3 = const_cast<char*>(mp3_name);
    char* const args[] = {name, preset, voice, wav, mp3, nullptr};
    // Waited for, so the MP3 file is complete when this program ends and the
    // encoder's lines come before the shell's prompt.
    std::fflush(stdout);
    const int status = run_and_wait(path, args);
    if (status == 0)
        return EXIT_OK;
    if (status < 0)
        std::fprintf(stderr, "vokdar: %s: could not be started\n", path);
    else
        std::fprintf(stderr, "vokdar: %s ended with status %d; %s is not complete\n", path, status, mp3_name);
    return EXIT_FAILED;
}

}  // namespace

int speech_part_count(const char* first)
{
    char name[DATA_PATH_BYTES];
    int parts = 1;
    while (part_name(first, parts + 1, name) && sys_exists(name))
        ++parts;
    return parts;
}

int Convertmp3()
{
    char name[16];
    std::snprintf(name, sizeof name, "lame%s", EXECUTABLE_SUFFIX);
    char path[PROGRAM_PATH_BYTES];
    if (!find_program(name, true, path, sizeof path)) {
        std::printf("\nLame.exe not fownd!!\n\n");
        return EXIT_FAILED;
    }
    // A book cut into parts: each part its MP3 file, numbered as the parts are.
    const int parts = speech_part_count(speech_wav());
    char wav[DATA_PATH_BYTES], mp3[DATA_PATH_BYTES];
    for (int part = 1; part <= parts; ++part) {
        if (!part_name(speech_wav(), part, wav) || !part_name(speech_mp3(), part, mp3))
            return EXIT_FAILED;
        if (encode(path, name, wav, mp3) != EXIT_OK)
            return EXIT_FAILED;
    }
    // The MP3 parts of an earlier, longer speech would read as this one's.
    for (int part = parts + 1; part_name(speech_mp3(), part, mp3) && sys_exists(mp3); ++part)
        sys_remove(mp3);
    return EXIT_OK;
}

int Playwav()
{
    // A player fed while the speech was made is playing it already.
    if (stream_active())
        return EXIT_OK;
    // "wav" is the player of the user's choosing; without one, a common player.
    const char* first = output_is_mp3() ? speech_mp3() : speech_wav();
    char name[16];
    std::snprintf(name, sizeof name, "wav%s", EXECUTABLE_SUFFIX);
    char path[PROGRAM_PATH_BYTES];
    bool found = find_program(name, true, path, sizeof path);
    for (const char* const* player = fallback_players(); !found && *player != nullptr; ++player) {
        std::snprintf(name, sizeof name, "%s", *player);
        found = find_program(name, false, path, sizeof path);
    }
    if (!found) {
        std::printf("\nwav.exe not fownd!!\n\n");
        return EXIT_FAILED;
    }
    const int parts = speech_part_count(first);
    char wav[DATA_PATH_BYTES];
    if (parts == 1) {
        char* const args[] = {name, const_cast<char*>(first), nullptr};
        start_and_exit(path, args);
        std::printf("\nwav.exe not fownd!!\n\n");
        return EXIT_FAILED;
    }
    // A book cut into parts: one after the other, each to its end.
    std::fflush(stdout);
    for (int part = 1; part <= parts; ++part) {
        if (!part_name(first, part, wav))
            return EXIT_FAILED;
        char* const args[] = {name, wav, nullptr};
        const int status = run_and_wait(path, args);
        if (status != 0) {
            std::fprintf(stderr, "vokdar: %s ended with status %d playing %s\n", path, status, wav);
            return EXIT_FAILED;
        }
    }
    return EXIT_OK;
}

int finish_mp3_output()
{
    if (!output_is_mp3())
        return EXIT_OK;
    const int parts = speech_part_count(speech_wav());
    const int status = Convertmp3();
    char wav[DATA_PATH_BYTES];
    if (status == EXIT_OK) {
        for (int part = parts; part >= 1; --part)
            if (part_name(speech_wav(), part, wav))
                sys_remove(wav);
    } else {
        std::fprintf(stderr, "vokdar: the speech is kept in %s\n", speech_wav());
    }
    return status;
}
