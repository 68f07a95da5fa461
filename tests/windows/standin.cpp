// A stand-in for lame.exe, wav.exe or play.exe: appends the name of the
// folder it was started from, then its arguments, one a line, to NAME.args in
// the current folder, NAME being its own file name without ".exe". As
// play.exe it first copies its standard input to play.stdin.
#include <cstdio>
#include <fcntl.h>
#include <io.h>
#include <cstring>
#include <string>
#include <windows.h>

int main(int argc, char** argv)
{
    char own[MAX_PATH];
    const DWORD n = GetModuleFileNameA(nullptr, own, sizeof own);
    if (n == 0 || n >= sizeof own)
        return 2;
    std::string path(own, n);
    const std::size_t slash = path.find_last_of("\\/");
    const std::string file = path.substr(slash + 1);
    const std::string folder = path.substr(0, slash);
    const std::string name = file.substr(0, file.size() - 4);
    if (name == "play") {
        _setmode(_fileno(stdin), _O_BINARY);
        std::FILE* heard = std::fopen("play.stdin", "wb");
        if (heard == nullptr)
            return 1;
        char block[4096];
        for (std::size_t got; (got = std::fread(block, 1, sizeof block, stdin)) > 0;)
            std::fwrite(block, 1, got, heard);
        std::fclose(heard);
    }
    std::string record = folder.substr(folder.find_last_of("\\/") + 1) + "\n";
    for (int i = 0; i < argc; ++i)
        record += std::string(argv[i]) + "\n";
    // Written whole under another name first, so a reader never sees a part.
    const std::string part = name + ".part";
    std::FILE* out = std::fopen(part.c_str(), "wb");
    if (out == nullptr)
        return 1;
    const bool ok = std::fwrite(record.data(), 1, record.size(), out) == record.size();
    if (std::fclose(out) != 0 || !ok)
        return 1;
    return MoveFileExA(part.c_str(), (name + ".args").c_str(), MOVEFILE_REPLACE_EXISTING) ? 0 : 1;
}
