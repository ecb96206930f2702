// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzMoCatalog
#include "fuzz/mo_catalog_fuzz.cc"
