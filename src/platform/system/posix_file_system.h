#pragma once

#include <memory>
#include <string>

#include "platform/system/file_system.h"

namespace platform {

// The files of the local file system, through POSIX descriptors.
class PosixFileSystem : public FileSystem {
 public:
  std::unique_ptr<OpenFile> OpenReadWrite(const std::string& path, std::string* error) override;
};

}  // namespace platform
