// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzKeyCodeReply
#include "fuzz/key_code_reply_fuzz.cc"
