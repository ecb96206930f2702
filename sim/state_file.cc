#include "sim/state_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string_view>

#include "platform/system/hex.h"
#include "platform/system/unique_fd.h"

namespace sim {
namespace {

constexpr size_t kMaxLineLength = 1024;
// An image line holds the whole raster in hex.
constexpr char kNvImageKey[] = "nv_image ";
constexpr size_t kMaxNvLineLength = kMaxLineLength + 2 * kNvMaxRasterBytes;

std::string Escape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    const unsigned char c = static_cast<unsigned char>(value[i]);
    const bool edge_blank = c == ' ' && (i == 0 || i + 1 == value.size());
    if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c > 0x7E || edge_blank) {
      char hex[5];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::optional<std::string> Unescape(std::string_view text) {
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      out += text[i];
      continue;
    }
    if (i + 1 < text.size() && text[i + 1] == '\\') {
      out += '\\';
      ++i;
      continue;
    }
    if (i + 3 >= text.size() || text[i + 1] != 'x') return std::nullopt;
    const int high = platform::HexDigitValue(text[i + 2]);
    const int low = platform::HexDigitValue(text[i + 3]);
    if (high < 0 || low < 0) return std::nullopt;
    out += static_cast<char>(high * 16 + low);
    i += 3;
  }
  return out;
}

std::string_view Trim(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

std::string SwitchKey(uint8_t number) {
  return number == kRadioSwitch ? "switchP" : "switch" + std::to_string(number);
}

std::optional<uint8_t> SwitchBits(std::string_view text) {
  if (text.size() != 8) return std::nullopt;
  uint8_t bits = 0;
  for (char c : text) {
    if (c != '0' && c != '1') return std::nullopt;
    bits = static_cast<uint8_t>((bits << 1) | (c == '1'));
  }
  return bits;
}

std::optional<unsigned long> Number(std::string_view text, unsigned long max) {
  if (text.empty() || text.size() > 10) return std::nullopt;
  unsigned long value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value > max) return std::nullopt;
  return value;
}

std::string NvImageLine(NvKeyCode key, const NvImage& image) {
  std::string line = kNvImageKey;
  line += platform::HexBytes(key).erase(2, 1);  // "31 30" -> "3130"
  line += " = " + std::to_string(image.width) + " " + std::to_string(image.height) + " ";
  static constexpr char kDigits[] = "0123456789ABCDEF";
  for (uint8_t byte : image.raster) {
    line += kDigits[byte >> 4];
    line += kDigits[byte & 0x0F];
  }
  return line + "\n";
}

std::optional<uint8_t> HexByte(std::string_view two) {
  const int high = platform::HexDigitValue(two[0]);
  const int low = platform::HexDigitValue(two[1]);
  if (high < 0 || low < 0) return std::nullopt;
  return static_cast<uint8_t>(high * 16 + low);
}

// "nv_image KKKK" = "W H RASTER". The raster's length is checked against the size before
// anything is allocated, so a damaged line costs no more memory than its own text.
std::optional<std::string> SetNvImage(PrinterState& state, std::string_view key_hex,
                                      std::string_view raw) {
  if (key_hex.size() != 4) return "an NV image needs a key code of 4 hex digits";
  const auto kc1 = HexByte(key_hex.substr(0, 2));
  const auto kc2 = HexByte(key_hex.substr(2, 2));
  if (!kc1 || !kc2) return "an NV image needs a key code of 4 hex digits";
  const NvKeyCode key = {*kc1, *kc2};
  for (uint8_t c : key) {
    if (c < kMinKeyCodeChar || c > kMaxKeyCodeChar) return "NV key code outside 20..7E";
  }
  const size_t first = raw.find(' ');
  const size_t second = first == std::string_view::npos ? first : raw.find(' ', first + 1);
  if (second == std::string_view::npos) return "an NV image needs 'width height raster'";
  const auto width = Number(raw.substr(0, first), kNvMaxWidth);
  const auto height = Number(raw.substr(first + 1, second - first - 1), kNvMaxHeight);
  if (!width || !height || *width == 0 || *height == 0) {
    return "NV image size outside 1..8192 x 1..2304";
  }
  const size_t bytes = NvImage::RowBytes(static_cast<uint32_t>(*width)) * *height;
  if (bytes > kNvMaxRasterBytes) return "NV image larger than one define can carry";
  const std::string_view hex = raw.substr(second + 1);
  if (hex.size() != 2 * bytes) return "NV raster length does not fit the image size";
  NvImage image;
  image.width = static_cast<uint16_t>(*width);
  image.height = static_cast<uint16_t>(*height);
  image.raster.reserve(bytes);
  for (size_t i = 0; i < hex.size(); i += 2) {
    const auto byte = HexByte(hex.substr(i, 2));
    if (!byte) return "NV raster is not hex";
    image.raster.push_back(*byte);
  }
  state.nv_images[key] = std::move(image);
  return std::nullopt;
}

// Sets the field named `key` from `raw`; an error text when the key or value is not acceptable.
std::optional<std::string> SetField(PrinterState& state, const std::string& key,
                                    std::string_view raw) {
  for (uint8_t number : kKnownSwitches) {
    if (key != SwitchKey(number)) continue;
    auto bits = SwitchBits(raw);
    if (!bits) return "a switch needs 8 characters 0 or 1";
    state.switches[number] = *bits;
    return std::nullopt;
  }
  if (key.starts_with(kNvImageKey)) {
    return SetNvImage(state, std::string_view(key).substr(sizeof kNvImageKey - 1), raw);
  }
  if (key == "tear_off") {
    auto value = Number(raw, 0xFFFF);
    if (!value) return "tear_off needs a number 0..65535";
    state.tear_off = static_cast<uint16_t>(*value);
    return std::nullopt;
  }
  if (key == "setting_mode") {
    if (raw != "0" && raw != "1") return "setting_mode needs 0 or 1";
    state.setting_mode = raw == "1";
    return std::nullopt;
  }
  auto text = Unescape(raw);
  if (!text) return "bad escape in value";
  auto limited = [&](std::string& field, size_t max) -> std::optional<std::string> {
    if (text->size() > max) return "value longer than " + std::to_string(max) + " bytes";
    field = *text;
    return std::nullopt;
  };
  for (int i = 0; i < 4; ++i) {
    if (key == "serial" + std::to_string(i + 1)) return limited(state.serial[i], kMaxSerialItem);
  }
  for (int t = 0; t < 3; ++t) {
    const std::string prefix = "sentinel" + std::to_string(t + 1);
    if (key == prefix + "_start") return limited(state.sentinel_start[t], kMaxSentinel);
    if (key == prefix + "_end") return limited(state.sentinel_end[t], kMaxSentinel);
  }
  if (key == "bt_security") return limited(state.bt_security, 1);
  if (key == "bt_conn_mode") return limited(state.bt_conn_mode, 1);
  if (key == "bt_pin") return limited(state.bt_pin, kMaxBtText);
  if (key == "bt_name") return limited(state.bt_name, kMaxBtText);
  return "unknown key '" + Escape(key) + "'";
}

bool Fail(std::string* error, std::string text) {
  if (error) *error = std::move(text);
  return false;
}

}  // namespace

std::string StateToText(const PrinterState& state) {
  std::string out = "# printer-sim state: the virtual printer's stored settings\n";
  auto line = [&](const std::string& key, const std::string& value) {
    out += key + " = " + value + "\n";
  };
  for (const auto& [number, bits] : state.switches) {
    std::string text(8, '0');
    for (int i = 0; i < 8; ++i) text[i] = (bits & (0x80 >> i)) ? '1' : '0';
    line(SwitchKey(number), text);
  }
  for (int i = 0; i < 4; ++i) line("serial" + std::to_string(i + 1), Escape(state.serial[i]));
  line("tear_off", std::to_string(state.tear_off));
  line("bt_security", Escape(state.bt_security));
  line("bt_conn_mode", Escape(state.bt_conn_mode));
  line("bt_pin", Escape(state.bt_pin));
  line("bt_name", Escape(state.bt_name));
  for (int t = 0; t < 3; ++t) {
    const std::string prefix = "sentinel" + std::to_string(t + 1);
    line(prefix + "_start", Escape(state.sentinel_start[t]));
    line(prefix + "_end", Escape(state.sentinel_end[t]));
  }
  for (const auto& [key, image] : state.nv_images) out += NvImageLine(key, image);
  line("setting_mode", state.setting_mode ? "1" : "0");
  return out;
}

bool StateFromText(const std::string& text, PrinterState& state, std::string* error) {
  PrinterState parsed = state;
  size_t line_number = 0;
  size_t pos = 0;
  while (pos < text.size()) {
    ++line_number;
    size_t end = text.find('\n', pos);
    if (end == std::string::npos) end = text.size();
    const std::string_view raw_line(text.data() + pos, end - pos);
    pos = end + 1;
    const std::string where = "line " + std::to_string(line_number) + ": ";
    const bool image_line = Trim(raw_line).starts_with(kNvImageKey);
    if (raw_line.size() > (image_line ? kMaxNvLineLength : kMaxLineLength)) {
      return Fail(error, where + "line too long");
    }
    if (raw_line.find('\0') != std::string_view::npos) return Fail(error, where + "holds a NUL");
    const std::string_view line = Trim(raw_line);
    if (line.empty() || line.front() == '#') continue;
    const size_t eq = line.find('=');
    if (eq == std::string_view::npos) return Fail(error, where + "expected 'key = value'");
    const std::string key(Trim(line.substr(0, eq)));
    if (auto problem = SetField(parsed, key, Trim(line.substr(eq + 1)))) {
      return Fail(error, where + *problem);
    }
  }
  if (NvBytesUsed(parsed.nv_images) > kNvCapacityBytes) {
    return Fail(error, "NV images larger than the 262144-byte NV graphics area");
  }
  state = std::move(parsed);
  return true;
}

namespace {

// Writes all of `text` to `fd`; false with errno set when that fails.
bool WriteAll(int fd, const std::string& text) {
  size_t done = 0;
  while (done < text.size()) {
    const ssize_t n = ::write(fd, text.data() + done, text.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      if (n == 0) errno = EIO;
      return false;
    }
    done += static_cast<size_t>(n);
  }
  return true;
}

// Writes `text` to the new file `path`, to be removed again when that fails.
bool WriteNewFile(const std::string& path, platform::UniqueFd file, const std::string& text,
                  std::string* error) {
  bool ok = WriteAll(file.get(), text);
  const int saved_errno = errno;
  if (::close(file.Release()) != 0) ok = false;
  if (ok) return true;
  ::unlink(path.c_str());
  return Fail(error, "cannot write " + path + ": " + std::strerror(saved_errno));
}

}  // namespace

bool SaveState(const PrinterModel& model, const std::string& path, std::string* error) {
  return WriteStateText(StateToText(model.state()), path, error);
}

bool WriteStateText(const std::string& text, const std::string& path, std::string* error) {
  // No fsync: a virtual printer need not outlive a power cut, and ten thousand printers each
  // waiting for the disk at every change would answer late.
  constexpr size_t kOneWrite = 4096;
  if (text.size() <= kOneWrite) {
    // A first save that one write fills goes straight in: a crash leaves the file whole or empty
    // (an empty file is a printer with the defaults), and a fleet's first saves skip ten thousand
    // renames, which cost seconds.
    platform::UniqueFd file(::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644));
    if (file.valid()) return WriteNewFile(path, std::move(file), text, error);
    if (errno != EEXIST) {
      return Fail(error, "cannot write " + path + ": " + std::strerror(errno));
    }
  }
  // A state file reached through a link is replaced where it lies, and keeps its mode.
  std::string target = path;
  if (char* real = ::realpath(path.c_str(), nullptr)) {
    target = real;
    std::free(real);
  }
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  // Replaced, a device or a FIFO named as the state file (/dev/null for "keep nothing") would
  // become a plain file in its place.
  if (exists && !S_ISREG(old.st_mode)) return Fail(error, "cannot write " + path + ": not a file");
  const std::string temp = target + ".tmp";
  platform::UniqueFd file(::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644));
  if (!file.valid()) return Fail(error, "cannot write " + temp + ": " + std::strerror(errno));
  if (exists) ::fchmod(file.get(), old.st_mode & 07777);
  if (!WriteNewFile(temp, std::move(file), text, error)) return false;
  if (::rename(temp.c_str(), target.c_str()) != 0) {
    const std::string reason = std::strerror(errno);
    ::unlink(temp.c_str());
    return Fail(error, "cannot replace " + path + ": " + reason);
  }
  return true;
}

bool LoadState(PrinterModel& model, const std::string& path, std::string* error) {
  // O_NONBLOCK: a FIFO in the file's place must not hold the printer before it listens.
  platform::UniqueFd file(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  const int fd = file.get();
  if (fd < 0) return Fail(error, "cannot read " + path + ": " + std::strerror(errno));
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    return Fail(error, path + ": not a state file (not a regular file)");
  }
  std::string text;
  char buffer[4096];
  bool too_big = false;
  bool failed = false;
  int read_error = 0;
  for (;;) {
    const ssize_t n = ::read(fd, buffer, sizeof buffer);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      failed = true;
      read_error = errno;
      break;
    }
    if (n == 0) break;
    if (text.size() + static_cast<size_t>(n) > kMaxStateFileBytes) {
      too_big = true;
      break;
    }
    text.append(buffer, static_cast<size_t>(n));
  }
  file.Reset();
  if (failed) return Fail(error, "cannot read " + path + ": " + std::strerror(read_error));
  if (too_big) return Fail(error, path + ": not a state file (larger than 1 MiB)");
  std::string problem;
  if (!StateFromText(text, model.state(), &problem)) {
    return Fail(error, path + ": damaged state file, " + problem);
  }
  model.StateChanged();
  return true;
}

}  // namespace sim
