// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzRegText
#include "fuzz/reg_text_fuzz.cc"
