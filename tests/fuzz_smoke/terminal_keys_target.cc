// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzTerminalKeys
#include "fuzz/terminal_keys_fuzz.cc"
