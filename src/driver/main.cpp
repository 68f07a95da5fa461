// vokdar: Russian text to speech from prerecorded syllables.
#include "driver/driver.h"

int main(int argc, char** argv) { return vokdar_main(argc, argv); }
