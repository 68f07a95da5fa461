// --help and --version, in the form GNU programs give them.
#include <cstdio>

#include "driver/driver_internal.h"
#include "driver/version.h"

namespace {

constexpr const char* USAGE =
    "Usage: vokdar [FILE | - [-m | -p]]\n"
    "  or:  vokdar -c [-m | -p]\n"
    "  or:  vokdar -m | -p | -s | -h | --help | --version\n"
    "Speak a Russian text (code page 1251, UTF-8 or UTF-16) into rech.wav in the\n"
    "current directory, from prerecorded syllables.\n"
    "\n"
    "  vokdar            ask for the name of the text, speak it, say where the result is\n"
    "  vokdar FILE       speak FILE into rech.wav\n"
    "  vokdar FILE -m    the same, then encode rech.wav into rech.mp3 with lame\n"
    "  vokdar FILE -p    the same, then play rech.wav\n"
    "  vokdar -          speak standard input (kept as rech.txt)\n"
    "  vokdar -c         speak the text on the clipboard (kept as rech.txt)\n"
    "  vokdar -m         encode the existing rech.wav into rech.mp3\n"
    "  vokdar -p         play the existing rech.wav\n"
    "  vokdar -s         set the speed, volume, stutter control and voice (vokdar.cfg)\n"
    "  vokdar -h         the short help\n"
    "      --help        this text\n"
    "      --version     the version and licence\n"
    "\n"
    "Options, anywhere on the line, over what vokdar.cfg says for this run:\n"
    "      --output FILE the speech into FILE instead of rech.wav (an MP3 when\n"
    "                    FILE ends in .mp3, made by lame)\n"
    "      --voice NAME  speak with the voice NAME\n"
    "      --speed N     reading speed in percent, 1 to 200\n"
    "      --voices      list the voices a run can use, and where they are\n"
    "      --split-minutes N  a new file (rech-002.wav, ...) at a sentence end\n"
    "                    every N minutes of speech\n"
    "      --split-chapters  a new file before each chapter heading (see the\n"
    "                    manual page)\n"
    "A speech longer than a WAV file can hold goes on in rech-002.wav, ...;\n"
    "-m encodes and -p plays every part.\n"
    "With FILE -p and no wav program of your own, aplay, paplay or play hears\n"
    "the speech while it is made.\n"
    "\n"
    "Exit status: 0 spoken (or done), 1 nothing spoken or the action failed\n"
    "(a line on standard error says why), 2 a bad option.\n"
    "\n"
    "A text whose name starts with '-' is given as ./NAME (vokdar ./--help).\n"
    "vokdar.cfg, replace.txt and the voice directory are taken from the current\n"
    "directory, else from $XDG_CONFIG_HOME/vokdar (vokdar.cfg) or\n"
    "$XDG_DATA_HOME/vokdar, the directories of $XDG_DATA_DIRS (each with vokdar/),\n"
    "and the installed data directory. One run at a time per directory.\n"
    "\n"
    "vokdar-dict check [FILE] and vokdar-dict sort FILE check and sort the\n"
    "dictionary replace.txt; see vokdar-dict --help.\n";

}  // namespace

int print_usage()
{
    std::fputs(USAGE, stdout);
    return 0;
}

int print_version()
{
    std::printf("vokdar %s\n", VOKDAR_VERSION);
    std::printf("%s\n", VOKDAR_LICENCE_LINE);
    return 0;
}
