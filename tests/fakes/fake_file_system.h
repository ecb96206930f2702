#pragma once

// Files held in memory behind the platform's FileSystem seam. Each file has knobs that make one
// step fail; the record shows what the code did with the files:
//   fakes::FakeFileSystem files;
//   files.Add("/fw/a.fls", fakes::Bytes(10000, 0x5A));
//   files.Add("/fw/old.fls", {}, /*writable=*/false);   // refused like a write-protected file
//   ... run the code ...
//   EXPECT_EQ(files.open_files, 0);                        // every file closed again

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "fakes/conversation.h"
#include "platform/system/file_system.h"

namespace fakes {

struct FakeFile {
  Bytes bytes;
  bool writable = true;  // false: the open is refused, as for a write-protected file
  bool read_fails = false;
  // Reported by Length() (and checked by ReadWhole) instead of the size of `bytes`, so a test
  // can stand for a huge file without holding it.
  std::optional<uint64_t> claimed_length;
};

class FakeFileSystem : public platform::FileSystem {
 public:
  void Add(const std::string& path, Bytes bytes, bool writable = true) {
    FakeFile file;
    file.bytes = std::move(bytes);
    file.writable = writable;
    files[path] = std::move(file);
  }
  std::unique_ptr<platform::OpenFile> OpenReadWrite(const std::string& path,
                                                    std::string* error) override;

  std::map<std::string, FakeFile> files;
  // Records.
  std::vector<std::string> open_attempts;
  int open_files = 0;  // opened and not yet closed: a leak check
};

}  // namespace fakes
