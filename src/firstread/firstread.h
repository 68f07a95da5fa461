// Stage one: the input text into text.tmp.
#pragma once

// input_name empty: the user is asked for a file name. Returns 1 on success, 0 on failure.
int Firstread(const char* input_name);
