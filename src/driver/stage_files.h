// The stages bound to the files of a run in the working directory, as the
// console program runs them: each prints its start line, opens its files,
// runs the stage and reports its failure (the message, a key wait). 1 on
// success, 0 on failure.
#pragma once

// input_name empty: the user is asked for a file name.
int firstread_files(const char* input_name);
int secondread_files();
int slogi_files();
int zvuki_files();
