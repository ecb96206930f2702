// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzPrintersFile
#include "fuzz/printers_file_fuzz.cc"
