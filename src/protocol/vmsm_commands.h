#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "protocol/settings_record.h"

// The bytes of the memory-switch, serial-item, Bluetooth and MSR sentinel commands, and the
// meaning of the switch characters for the settings record. Pure data and pure functions: the
// exchanges that send these live in CCommonVmsm.
namespace protocol::vmsm {

using Bytes = std::vector<uint8_t>;

// A memory switch on the wire: c1..c8, c1 the most significant bit. Replies carry '0' and '1';
// writes may also carry '2', which leaves that bit of the printer as it is.
using SwitchChars = std::array<char, 8>;
inline constexpr SwitchChars kUnchangedSwitch = {'2', '2', '2', '2', '2', '2', '2', '2'};

// Switch numbers with a meaning in the record.
inline constexpr uint8_t kSwitchPrint = 1;  // density, speed, double-byte mode
inline constexpr uint8_t kSwitchCodePage = 2;
inline constexpr uint8_t kSwitch3 = 3;  // read and written, but holds nothing of ours
inline constexpr uint8_t kSwitchPowerOff = 5;
inline constexpr uint8_t kSwitchPowerSave = 6;
inline constexpr uint8_t kSwitchMsr = 7;
inline constexpr uint8_t kSwitchOptions = 8;  // font, beeps, service, sentinel option
inline constexpr uint8_t kSwitchBle = 0x74;   // 116
inline constexpr uint8_t kSwitchRfInterface = 'P';

// Serial items.
inline constexpr uint8_t kSerialBaudrate = 1;
inline constexpr uint8_t kSerialParity = 2;
inline constexpr uint8_t kSerialFlowcontrol = 3;
inline constexpr uint8_t kSerialDatabit = 4;

// Bluetooth item kinds.
inline constexpr uint8_t kBtConnMode = 'c';
inline constexpr uint8_t kBtName = 'd';
inline constexpr uint8_t kBtPin = 'k';
inline constexpr uint8_t kBtSecurity = 's';

// Sentinel halves of the write command.
inline constexpr uint8_t kSentinelStartPart = '2';
inline constexpr uint8_t kSentinelEndPart = '3';

// Reply headers.
inline constexpr uint8_t kReplyMark = 0x37;
inline constexpr uint8_t kAckKind = 0x20;       // 37 20 00: command accepted
inline constexpr uint8_t kSwitchKind = 0x21;    // 37 21 c1..c8 00
inline constexpr uint8_t kSerialKind = 0x33;    // 37 33 (30h+a) 1F value 00
inline constexpr uint8_t kTearOffKind = 0x35;   // 37 35 30 1F LL HH 00
inline constexpr uint8_t kBtKind = 0x42;        // 37 42 kind value 00
inline constexpr uint8_t kSentinelKind = 0x81;  // 37 81 (30h+t) start 1F end 00
inline constexpr uint8_t kFieldSeparator = 0x1F;
inline constexpr uint8_t kLineEnd = 0x0D;

// Fixed reply lengths.
inline constexpr size_t kAckReplySize = 3;
inline constexpr size_t kSwitchReplySize = 11;
inline constexpr size_t kTearOffReplySize = 7;

Bytes InitSettingCommand();
Bytes EndSettingCommand();

Bytes ReadSwitchCommand(uint8_t a);
// The first half of a switch write. Its length byte says 11 although 10 bytes follow; the printer
// expects exactly that.
Bytes WriteSwitchHeader();
// The second half: the switch number and c1..c8.
Bytes WriteSwitchBody(uint8_t a, const SwitchChars& chars);
// What a write of switch `a` sends for the record: every character the switch holds is set to
// '1' or '0', the others stay '2'. A switch without meaning in the record gives "22222222".
SwitchChars EncodeSwitch(uint8_t a, const PrinterSettings& settings);
// Moves a switch read back into the record; a switch without meaning changes nothing.
void DecodeSwitch(uint8_t a, const SwitchChars& chars, PrinterSettings& settings);

Bytes ReadSerialCommand(uint8_t a);
// The value text a serial item is written as; empty for an item the printer does not know.
std::string SerialValueText(uint8_t a, const PrinterSettings& settings);
// The first part of a serial-item write; the value characters follow it.
Bytes WriteSerialHeader(uint8_t a, size_t value_chars);
// Moves a serial item's reply value into the record. False when the value is missing (a short
// reply), in which case nothing changes.
bool DecodeSerialValue(uint8_t a, std::string_view value, PrinterSettings& settings);
// The baud rates the printer accepts as text; anything else goes out as 115200.
std::string BaudrateText(uint32_t baudrate);

Bytes ReadTearOffCommand();
Bytes WriteTearOffCommand(uint32_t cutting_position);

Bytes ReadRfInterfaceCommand();
// The radio interface switch body: 'P', "000000", then c7 and c8.
Bytes WriteRfInterfaceBody(uint32_t rf_interface);

Bytes ReadBtInfoCommand(uint8_t kind);
// The whole Bluetooth write. The caller has checked the PIN and name against their limits.
Bytes WriteBtInfoCommand(const PrinterSettings& settings);

Bytes ReadSentinelCommand(uint8_t track);
// The header of one sentinel half; its `length` bytes follow it.
Bytes WriteSentinelHeader(uint8_t part, uint8_t track, size_t length);

// The factory settings of the accepted model in one block of commands.
inline constexpr size_t kFactoryDefaultBlockSize = 250;
Bytes FactoryDefaultBlock();

}  // namespace protocol::vmsm
