// vokdar: Russian text to speech from prerecorded syllables.
#include "driver/driver.h"
#include "driver/driver_system.h"

int main(int argc, char** argv)
{
    prepare_process();
    program_arguments(argc, argv);
    return vokdar_main(argc, argv);
}
