// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzPrinterModel
#include "fuzz/printer_model_fuzz.cc"
