// vokdar-dict: checks and sorts vokdar's dictionary replace.txt.
#include "vokdar_dict.h"

int main(int argc, char** argv) { return dict_main(argc, argv); }
