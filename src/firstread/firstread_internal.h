// Inside the first stage: the two readings and the input opener, shared with
// the stage's own tests only (the driver sees firstread.h alone).
#pragma once

// Private to the first stage and its tests (the CMake target vokdar_firstread_internal);
// everything else includes firstread/firstread.h.
#ifndef VOKDAR_FIRSTREAD_INSIDE
#error "firstread_internal.h is private to the first stage: include firstread/firstread.h"
#endif

#include "common/textfile.h"
#include "firstread/everyday/everyday.h"
#include "firstread/original/original.h"

