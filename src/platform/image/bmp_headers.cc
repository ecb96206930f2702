#include "platform/image/bmp_headers.h"

#include <algorithm>
#include <bit>
#include <cstdio>
#include <string>
#include <utility>

#include "platform/image/bmp_decoder.h"

namespace platform {
namespace {

constexpr uint64_t kFileHeaderSize = 14;
// The largest info header we know (V5); longer ones are refused, so this bounds the read.
constexpr uint32_t kMaxInfoSize = 124;

enum class HeaderKind { kCore, kOs2, kWindows };

uint16_t U16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }
uint32_t U32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | static_cast<uint32_t>(p[1]) << 8 |
         static_cast<uint32_t>(p[2]) << 16 | static_cast<uint32_t>(p[3]) << 24;
}
int32_t I32(const uint8_t* p) { return static_cast<int32_t>(U32(p)); }

std::string Hex(uint32_t value) {
  char text[16];
  std::snprintf(text, sizeof text, "0x%X", value);
  return text;
}

bool Refuse(std::string* reason, std::string text) {
  *reason = std::move(text);
  return false;
}

// 40, 52, 56, 108 and 124 bytes are the Windows headers; any other length from 16 to 64 is an
// OS/2 2.x header, which shares the first 40 bytes' layout but gives compressions 3 and 4 other
// meanings and has no masks.
bool KindOfHeader(uint32_t size, HeaderKind* kind) {
  if (size == 12) {
    *kind = HeaderKind::kCore;
  } else if (size == 40 || size == 52 || size == 56 || size == 108 || size == 124) {
    *kind = HeaderKind::kWindows;
  } else if (size >= 16 && size <= 64) {
    *kind = HeaderKind::kOs2;
  } else {
    return false;
  }
  return true;
}

// Compression codes; all but RGB, the two RLEs and the bit fields are refused with their name.
bool CheckCompression(uint32_t compression, HeaderKind kind, std::string* reason) {
  const char* name = nullptr;
  if (kind == HeaderKind::kOs2 && compression == 3) {
    name = "OS/2 Huffman 1D";
  } else if (kind == HeaderKind::kOs2 && compression == 4) {
    name = "OS/2 RLE24";
  } else if (compression <= 3 || compression == 6) {
    return true;
  } else if (compression == 4) {
    name = "JPEG";
  } else if (compression == 5) {
    name = "PNG";
  } else if (compression == 11) {
    name = "CMYK";
  } else if (compression == 12) {
    name = "CMYK RLE8";
  } else if (compression == 13) {
    name = "CMYK RLE4";
  }
  std::string text = "unsupported compression " + std::to_string(compression);
  if (name != nullptr) text += std::string(" (") + name + ")";
  return Refuse(reason, text);
}

bool CheckDimensions(int64_t width, int64_t stored_height, std::string* reason) {
  if (width <= 0) return Refuse(reason, "width " + std::to_string(width));
  if (stored_height == 0) return Refuse(reason, "height 0");
  const int64_t height = stored_height < 0 ? -stored_height : stored_height;
  const std::string size = std::to_string(width) + " x " + std::to_string(height);
  if (width > kBmpMaxSide || height > kBmpMaxSide) {
    return Refuse(reason, "image too large: " + size + " (at most " + std::to_string(kBmpMaxSide) +
                              " per side)");
  }
  // Both sides are at most kBmpMaxSide here, so the product fits easily.
  if (static_cast<uint64_t>(width) * static_cast<uint64_t>(height) > kBmpMaxPixels) {
    return Refuse(reason, "image too large: " + size + " (at most " +
                              std::to_string(kBmpMaxPixels) + " pixels)");
  }
  return true;
}

// Picks the encoding from compression and depth, refusing the pairs the format does not define.
bool ChooseEncoding(uint32_t compression, int bits, bool top_down, BmpEncoding* encoding,
                    std::string* reason) {
  const std::string depth = std::to_string(bits);
  if (compression == 1 || compression == 2) {
    const int needed = compression == 1 ? 8 : 4;
    const std::string name = compression == 1 ? "RLE8" : "RLE4";
    if (bits != needed) {
      return Refuse(reason,
                    name + " needs " + std::to_string(needed) + " bits per pixel, not " + depth);
    }
    // Rows of a compressed bitmap always run bottom-up; a negative height there is damage.
    if (top_down) return Refuse(reason, "top-down " + name + " bitmap (not allowed)");
    *encoding = compression == 1 ? BmpEncoding::kRle8 : BmpEncoding::kRle4;
    return true;
  }
  if (compression == 3 || compression == 6) {
    if (bits != 16 && bits != 32) {
      return Refuse(reason, "bit fields need 16 or 32 bits per pixel, not " + depth);
    }
    *encoding = BmpEncoding::kBitFields;
    return true;
  }
  *encoding = bits <= 8    ? BmpEncoding::kIndexed
              : bits == 24 ? BmpEncoding::kRgb24
                           : BmpEncoding::kBitFields;
  return true;
}

bool CheckMasks(const std::array<uint32_t, 3>& masks, std::string* reason) {
  for (uint32_t mask : masks) {
    if (mask == 0) continue;
    const uint32_t shifted = mask >> std::countr_zero(mask);
    if ((shifted & (shifted + 1)) != 0) {
      return Refuse(reason, "bit field mask " + Hex(mask) + " is not contiguous");
    }
  }
  return true;
}

}  // namespace

long ReadAll(ByteSource& source, uint8_t* buffer, size_t length) {
  size_t done = 0;
  while (done < length) {
    const long got = source.Read(buffer + done, length - done);
    if (got < 0) return -1;
    if (got == 0) break;
    done += static_cast<size_t>(got);
  }
  return static_cast<long>(done);
}

bool ReadBmpLayout(ByteSource& source, BmpLayout* layout, std::string* reason) {
  // The file header and the info header's length field.
  uint8_t head[kFileHeaderSize + 4];
  const long head_read = ReadAll(source, head, sizeof head);
  if (head_read < 0) return Refuse(reason, "cannot read the file header");
  if (head_read < 2 || head[0] != 'B' || head[1] != 'M') {
    if (head_read >= 2 && head[0] == 'B' && head[1] == 'A') {
      return Refuse(reason, "unsupported OS/2 bitmap array");
    }
    return Refuse(reason, "not a BMP file");
  }
  if (head_read < static_cast<long>(sizeof head))
    return Refuse(reason, "file ends inside the headers");
  const uint64_t data_offset = U32(head + 10);
  const uint32_t info_size = U32(head + 14);
  HeaderKind kind;
  if (!KindOfHeader(info_size, &kind)) {
    return Refuse(reason, "unsupported header size " + std::to_string(info_size));
  }

  // The info header after its length field; fields a short OS/2 header lacks read as zero.
  uint8_t info[kMaxInfoSize] = {};
  const size_t info_rest = info_size - 4;
  if (ReadAll(source, info + 4, info_rest) != static_cast<long>(info_rest)) {
    return Refuse(reason, "file ends inside the headers");
  }
  int64_t width, height;
  uint32_t planes, bits, compression = 0, colours_used = 0;
  if (kind == HeaderKind::kCore) {
    width = U16(info + 4);
    height = U16(info + 6);
    planes = U16(info + 8);
    bits = U16(info + 10);
  } else {
    width = I32(info + 4);
    height = I32(info + 8);
    planes = U16(info + 12);
    bits = U16(info + 14);
    compression = U32(info + 16);
    colours_used = U32(info + 32);
  }

  if (!CheckCompression(compression, kind, reason)) return false;
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    return Refuse(reason, "unsupported bit count " + std::to_string(bits));
  }
  if (planes != 1) return Refuse(reason, "planes " + std::to_string(planes) + " (must be 1)");
  if (!CheckDimensions(width, height, reason)) return false;
  layout->width = static_cast<int>(width);
  layout->height = static_cast<int>(height < 0 ? -height : height);
  layout->top_down = height < 0;
  layout->bits = static_cast<int>(bits);
  if (!ChooseEncoding(compression, layout->bits, layout->top_down, &layout->encoding, reason)) {
    return false;
  }

  // Masks: in the header from V2 on, else in the 12 (or, with alpha, 16) bytes after it.
  uint64_t palette_start = kFileHeaderSize + info_size;
  if (compression == 3 || compression == 6) {
    const uint8_t* fields = info + 40;
    uint8_t after[16];
    if (info_size < 52) {
      const size_t length = compression == 6 ? 16 : 12;
      if (ReadAll(source, after, length) != static_cast<long>(length)) {
        return Refuse(reason, "file ends inside the bit field masks");
      }
      fields = after;
      palette_start += length;
    }
    layout->masks = {U32(fields), U32(fields + 4), U32(fields + 8)};
  } else if (bits == 16) {
    layout->masks = {0x7C00, 0x03E0, 0x001F};
  } else if (bits == 32) {
    layout->masks = {0xFF0000, 0xFF00, 0xFF};  // the top byte is unused (or alpha)
  }
  if (!CheckMasks(layout->masks, reason)) return false;

  if (data_offset < palette_start) {
    return Refuse(reason,
                  "pixel data offset " + std::to_string(data_offset) + " lies inside the headers");
  }
  if (data_offset > source.Size()) {
    return Refuse(reason, "pixel data offset " + std::to_string(data_offset) +
                              " is past the end of the file");
  }
  layout->data_offset = data_offset;

  // Palettes matter only below 16 bits; deeper files may carry one as a hint, which we skip. More
  // colours than 2^bits can never be indexed, and a palette never reaches into the pixel data
  // (older writers leave clrUsed 0 and store fewer entries).
  if (bits <= 8) {
    const uint64_t entry_size = kind == HeaderKind::kCore ? 3 : 4;
    const uint64_t most = uint64_t{1} << bits;
    uint64_t count = colours_used == 0 ? most : std::min<uint64_t>(colours_used, most);
    count = std::min(count, (data_offset - palette_start) / entry_size);
    std::vector<uint8_t> raw(static_cast<size_t>(count * entry_size));
    if (!source.Seek(palette_start) ||
        ReadAll(source, raw.data(), raw.size()) != static_cast<long>(raw.size())) {
      return Refuse(reason, "file ends inside the palette");
    }
    layout->palette.assign(static_cast<size_t>(most), {0, 0, 0});
    for (uint64_t i = 0; i < count; ++i) {
      const uint8_t* entry = raw.data() + i * entry_size;
      layout->palette[i] = {entry[2], entry[1], entry[0]};  // stored B, G, R
    }
  }

  // At most 30000 * 32 bits per row, so this cannot overflow; the 64-bit type makes that obvious.
  layout->stride = (static_cast<uint64_t>(layout->width) * bits + 31) / 32 * 4;
  return true;
}

}  // namespace platform
