// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzCommand
#include "fuzz/command_fuzz.cc"
