// vokdar: Russian text to speech from prerecorded syllables.
#include <csignal>

#include "driver/driver.h"

int main(int argc, char** argv)
{
    // Past a file size limit a write should fail and be reported like a full
    // disk, not end the program with rech.wav's header left unwritten.
    std::signal(SIGXFSZ, SIG_IGN);
    return vokdar_main(argc, argv);
}
