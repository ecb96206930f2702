// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzBmp
#include "fuzz/bmp_fuzz.cc"
