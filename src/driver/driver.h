// The program's entry: the command line, the chain of stages and the one-shot actions.
#pragma once

// Runs vokdar for its command line; the result is the exit status (always 0).
int vokdar_main(int argc, char** argv);
