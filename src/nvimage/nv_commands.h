#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

// The bytes of the NV graphics commands (GS ( L, m = 30h) that store, print, delete and list the
// images in the printer's NV memory, and the shape of the key code list reply. Pure data and pure
// functions: the exchanges that send these live in CCommonNv.
namespace nv {

// An image's name in the printer's NV memory: kc1 kc2.
using KeyCode = std::array<uint8_t, 2>;

// Function 64: the printer answers with the key code list, in blocks.
inline constexpr std::array<uint8_t, 9> kKeyCodeListQuery = {0x1D, 0x28, 0x4C, 0x04, 0x00,
                                                             0x30, 0x40, 0x4B, 0x43};
// Function 65: every stored image goes.
inline constexpr std::array<uint8_t, 10> kDeleteAllCommand = {0x1D, 0x28, 0x4C, 0x05, 0x00,
                                                              0x30, 0x41, 0x43, 0x4C, 0x52};
// Answers to one block of the key code list: send the next block, or stop sending.
inline constexpr uint8_t kAck = 0x06;
inline constexpr uint8_t kCan = 0x18;

// A key code list block: 37 72 status, pairs kc1 kc2, 00.
inline constexpr uint8_t kReplyMark = 0x37;
inline constexpr uint8_t kKeyListKind = 0x72;
inline constexpr uint8_t kMoreBlocks = 0x41;  // status: another block follows our ACK
inline constexpr uint8_t kLastBlock = 0x40;
inline constexpr size_t kBlockStatusOffset = 2;  // from the block's start
inline constexpr size_t kBlockCodesOffset = 3;
// A block shorter than this cannot even carry its header, status and end.
inline constexpr size_t kMinBlockSize = 4;

// Function 66: delete the image stored under `key_code`.
std::array<uint8_t, 9> DeleteCommand(const KeyCode& key_code);
// Function 69: print the image stored under `key_code` at normal size (01 01).
std::array<uint8_t, 11> PrintCommand(const KeyCode& key_code);

// kc1 and kc2 from the first two characters of a key code text (the low byte of each), or
// nothing when the text is shorter than two characters.
std::optional<KeyCode> KeyCodeFromText(std::string_view text);

}  // namespace nv
