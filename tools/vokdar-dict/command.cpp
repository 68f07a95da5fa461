// vokdar-dict's command line: check, sort, help.
#include <cstdio>
#include <cstring>

#include "common/datadirs.h"
#include "vokdar_dict.h"

namespace {

const char* const DEFAULT_DICTIONARY = "replace.txt";

const char* const USAGE =
    "usage: vokdar-dict check [replace.txt]\n"
    "       vokdar-dict sort [replace.txt] [-o out]\n"
    "       vokdar-dict -h | --help\n";

const char* const HELP =
    "Checks and sorts replace.txt, the dictionary of vokdar.\n"
    "\n"
    "  check [file]          report, one line each as FILE:LINE: ..., every entry\n"
    "                        vokdar can never use and every malformed line\n"
    "  sort [file] [-o out]  write the file in the order vokdar reads it (to\n"
    "                        standard output, or to out; out may be the file\n"
    "                        itself); what moved is said on standard error\n"
    "  -h, --help            this text\n"
    "\n"
    "Unless named, the file is the replace.txt vokdar would use: the current\n"
    "directory's, else the first of $XDG_DATA_HOME/vokdar, $XDG_DATA_DIRS (each\n"
    "with vokdar/) and the installed data directory that has one.\n"
    "Exit status: 0 clean (check) or written (sort), 1 problems found (check),\n"
    "2 a file could not be read or written, or bad arguments.\n";

int usage()
{
    std::fputs(USAGE, stderr);
    return DICT_UNREADABLE;
}

bool is(const char* arg, const char* word) { return std::strcmp(arg, word) == 0; }

}  // namespace

int dict_main(int argc, char** argv)
{
    if (argc < 2)
        return usage();
    const char* command = argv[1];
    if (is(command, "-h") || is(command, "--help")) {
        if (argc != 2)
            return usage();
        std::fputs(USAGE, stdout);
        std::fputc('\n', stdout);
        std::fputs(HELP, stdout);
        return DICT_CLEAN;
    }
    const char* name = nullptr;
    const char* out_name = nullptr;
    const bool sort = is(command, "sort");
    if (!sort && !is(command, "check"))
        return usage();
    for (int i = 2; i < argc; ++i) {
        const char* arg = argv[i];
        if (sort && is(arg, "-o") && out_name == nullptr && i + 1 < argc && argv[i + 1][0] != '\0') {
            out_name = argv[++i];
        } else if (is(arg, "-h") || is(arg, "--help")) {
            std::fputs(USAGE, stdout);
            return DICT_CLEAN;
        } else if (name == nullptr && arg[0] != '\0' && arg[0] != '-') {
            name = arg;
        } else {
            return usage();
        }
    }
    static char found[DATA_PATH_BYTES];  // the dictionary vokdar would use
    if (name == nullptr) {
        if (!find_data(DEFAULT_DICTIONARY, DataKind::data, found, sizeof found)) {
            std::fputs("vokdar-dict: ", stderr);
            print_data_places(DEFAULT_DICTIONARY, DataKind::data, stderr);
            return DICT_UNREADABLE;
        }
        name = found;
    }
    if (sort)
        return dict_sort(name, out_name, stderr);
    return dict_check(name, stdout);
}
