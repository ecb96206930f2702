#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class RegType : uint32_t { kNone = 0, kSz = 1, kBinary = 3, kDword = 4 };

struct RegValue {
  RegType type = RegType::kNone;
  std::vector<uint8_t> data;  // REG_SZ: the text's bytes and its terminating NUL, as written

  bool operator==(const RegValue&) const = default;
};

// One value of a batch written as one update: set, or removed when `remove` is true.
struct RegWrite {
  std::string key;
  std::string name;
  RegValue value;
  bool remove = false;
};

// The HKEY_LOCAL_MACHINE hive the programs keep their preferences in. Keys are backslash
// separated paths below the hive root ("Software\\Korvane\\Pelliset"), compared without regard
// to case as the Windows registry does; value names likewise.
class Registry {
 public:
  virtual ~Registry() = default;
  // True when the key exists (opening for reading fails on a missing key).
  virtual bool KeyExists(const std::string& key) = 0;
  // Creates the key and its parents if needed. False when the store cannot be written.
  virtual bool CreateKey(const std::string& key) = 0;
  // The value, or nullopt when the key or value is missing.
  virtual std::optional<RegValue> QueryValue(const std::string& key, const std::string& name) = 0;
  // Creates the key if needed and sets the value. False when the store cannot be written.
  virtual bool SetValue(const std::string& key, const std::string& name, const RegValue& value) = 0;
  // False when the value did not exist or the store cannot be written.
  virtual bool DeleteValue(const std::string& key, const std::string& name) = 0;
  // Sets (or removes) every value of `batch`, in its order, as one update: afterwards all of them
  // are stored, or, when false is returned, none is.
  virtual bool SetValues(const std::vector<RegWrite>& batch) = 0;
  // Why the last change that failed did, as "<where>: <reason>" for a person to act on (the
  // file's path and the system's reason); "" while nothing failed.
  virtual std::string LastError() const = 0;
  // Why the store could not be read the last time it was, as "<where>: <reason>"; "" when it
  // could (a store that does not exist yet reads as empty). The values read then were defaults.
  virtual std::string ReadError() const { return {}; }
};

// Batch entries with the encodings of WriteDword and WriteString.
RegWrite DwordWrite(const std::string& key, const std::string& name, uint32_t value);
RegWrite StringWrite(const std::string& key, const std::string& name, const std::string& text);
RegWrite RemoveWrite(const std::string& key, const std::string& name);

// The value-level rules every caller uses: a number counts only when it is a REG_DWORD of exactly
// 4 bytes; a text only when it is a REG_SZ.
std::optional<uint32_t> ReadDword(Registry& registry, const std::string& key,
                                  const std::string& name);
// The text up to its first NUL.
std::optional<std::string> ReadString(Registry& registry, const std::string& key,
                                      const std::string& name);
bool WriteDword(Registry& registry, const std::string& key, const std::string& name,
                uint32_t value);
// Stored with its terminating NUL.
bool WriteString(Registry& registry, const std::string& key, const std::string& name,
                 const std::string& text);

// The program's own key and its subkeys.
inline constexpr char kPellisetKey[] = "Software\\Korvane\\Pelliset";
inline constexpr char kPortsKey[] = "Software\\Korvane\\Pelliset\\Ports";

}  // namespace platform
