#pragma once

// The port and baud rate lists that both main dialogs offer for a serial line, and the reading
// of the numbers they and the TCP port edit show.

#include <array>
#include <cstdint>
#include <string_view>

#include "platform/devices/serial_devices.h"
#include "ui/core/controls.h"

namespace settings {
// The baud list's rows, the last selected at first.
inline constexpr std::array<uint32_t, 7> kBaudRates = {2400,  4800,  9600,  19200,
                                                       38400, 57600, 115200};

// The port list: COM1 to COM49, each name followed by `com_suffix` (the handheld's are "COM1:"),
// then `devices` (may be null) by their Linux names, so COM1 stays the first row; it is selected.
// The baud list: kBaudRates with the last selected.
void FillSerialPortLists(ui::ComboBox& port, ui::ComboBox& baud, std::string_view com_suffix,
                         const platform::SerialDevices* devices);

// The decimal number at the start of `text`, after any blanks; no digits give 0, and a number too
// large for 32 bits stops growing rather than wrapping round to a small one.
uint32_t LeadingDecimal(std::string_view text);
}  // namespace settings
