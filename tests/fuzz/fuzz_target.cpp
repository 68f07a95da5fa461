// A libFuzzer target for one stage (FUZZ_ENTRY names it): the stage runs in a
// private directory of its own, silent, and never waits for a key.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

#include "common/console.h"
#include "fuzz_stages.h"

namespace {

std::string work_dir;

void remove_work_dir()
{
    std::error_code ec;
    std::filesystem::remove_all(work_dir, ec);
}

// The fuzzer reads and writes its corpus and input paths after this process has
// moved into its own directory: relative ones are made absolute first.
void make_paths_absolute(int argc, char** argv)
{
    static std::vector<std::string> kept;
    kept.reserve(static_cast<std::size_t>(argc));
    for (int i = 1; i < argc; ++i) {
        if (argv[i][0] == '-' || argv[i][0] == '/')
            continue;
        kept.push_back(std::filesystem::absolute(argv[i]).string());
        argv[i] = kept.back().data();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    make_paths_absolute(*argc, *argv);
    const char* tmp = std::getenv("TMPDIR");
    std::string templ = std::string(tmp && *tmp ? tmp : "/tmp") + "/vokdar-fuzz-XXXXXX";
    if (mkdtemp(templ.data()) == nullptr || chdir(templ.c_str()) != 0) {
        std::perror("vokdar fuzz: no working directory");
        std::exit(1);
    }
    work_dir = templ;
    std::atexit(remove_work_dir);
    // The stages talk to the console; the fuzzer's own report goes to stderr.
    if (std::freopen("/dev/null", "w", stdout) == nullptr)
        std::exit(1);
    set_key_wait(false);
    const char* known = std::getenv("VOKDAR_FUZZ_TOLERATE_KNOWN");
    fuzz::tolerate_known = known != nullptr && known[0] == '1';
    fuzz::make_voice();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    return fuzz::FUZZ_ENTRY(data, size);
}
