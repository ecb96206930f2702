// The libFuzzer target compiled under a name of its own, for the smoke run.
#define LLVMFuzzerTestOneInput FuzzSettingsCodec
#include "fuzz/settings_codec_fuzz.cc"
