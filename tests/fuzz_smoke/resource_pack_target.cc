// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzResourcePack
#include "fuzz/resource_pack_fuzz.cc"
