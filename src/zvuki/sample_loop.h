// A sample loop the compiler turns into vector code, with GCC on x86-64 and
// ELF (which can choose at load time) also in forms for AVX2 and AVX-512
// chosen by the processor.
#pragma once

#if defined(__x86_64__) && defined(__ELF__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_ADDRESS__)
#define SAMPLE_LOOP_CLONES
#define SAMPLE_LOOP __attribute__((target_clones("arch=x86-64-v4", "avx2", "default")))
#else
#define SAMPLE_LOOP
#endif
