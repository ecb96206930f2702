#pragma once

#include <string>

#include "sim/printer_model.h"
#include "sim/printer_state.h"

namespace sim {

// The printer's stored state as readable "key = value" lines ("switch1 = 00001100",
// "bt_name = TMQ-D550"). Bytes outside printable ASCII, a backslash, and blanks at either end of
// a value are written as \xHH (a backslash as \\). Each NV image is a line of its own:
// "nv_image 3130 = 16 2 FFFF0000" is key code "10" (hex), 16 x 2 dots, then the raster in hex.
std::string StateToText(const PrinterState& state);
// Parses StateToText's format. Keys not given keep their value in `state`. False with a message
// naming the line when anything is wrong; `state` is then untouched.
bool StateFromText(const std::string& text, PrinterState& state, std::string* error);

// Writes so that a crash of the program never leaves half a file: a file that is there is replaced
// by a temporary one beside it (then rename), a new one that one write fills is written in place.
bool SaveState(const PrinterModel& model, const std::string& path, std::string* error);
// The same for a state already turned into text.
bool WriteStateText(const std::string& text, const std::string& path, std::string* error);
// Reads at most kMaxStateFileBytes. A missing, unreadable or damaged file is an error and leaves
// the model as it was.
bool LoadState(PrinterModel& model, const std::string& path, std::string* error);
// Room for a full NV graphics area in hex beside the settings.
inline constexpr size_t kMaxStateFileBytes = 1024 * 1024;

}  // namespace sim
