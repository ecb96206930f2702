// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzStateFile
#include "fuzz/state_file_fuzz.cc"
