// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzPrinterReply
#include "fuzz/printer_reply_fuzz.cc"
