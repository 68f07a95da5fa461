// sd_vokdar: started by speech-dispatcher with the path of its configuration
// file; speaks the output-module protocol on standard input and output.
#include "speechd/module.h"

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    ModuleConfig config;
    std::string why;
    if (argc > 1 && !read_module_config(argv[1], config, why)) {
        std::fprintf(stderr, "sd_vokdar: %s\n", why.c_str());
        return 1;
    }
    return run_module(STDIN_FILENO, STDOUT_FILENO, config);
}
