// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzPrinterAddress
#include "fuzz/printer_address_fuzz.cc"
