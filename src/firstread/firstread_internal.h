// Inside the first stage: the two readings and the input opener, shared with
// the stage's own tests only (the driver sees firstread.h alone).
#pragma once

#include "common/textfile.h"
#include "firstread/everyday/everyday.h"
#include "firstread/original/original.h"

