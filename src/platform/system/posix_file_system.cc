#include "platform/system/posix_file_system.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/system/unique_fd.h"

namespace platform {
namespace {

std::string ErrnoText(const std::string& what, int error_number) {
  return what + ": " + std::strerror(error_number);
}

class PosixOpenFile : public OpenFile {
 public:
  PosixOpenFile(UniqueFd fd, std::string path) : fd_(std::move(fd)), path_(std::move(path)) {}

  std::optional<uint64_t> Length() override {
    if (!fd_.valid()) return std::nullopt;
    const off_t end = ::lseek(fd_.get(), 0, SEEK_END);
    if (end < 0) return std::nullopt;
    return static_cast<uint64_t>(end);
  }

  std::optional<std::vector<uint8_t>> ReadWhole(std::string* error) override {
    auto fail = [&](std::string text) -> std::optional<std::vector<uint8_t>> {
      if (error) *error = std::move(text);
      return std::nullopt;
    };
    if (!fd_.valid()) return fail(path_ + ": not open");
    const std::optional<uint64_t> length = Length();
    if (!length) return fail(ErrnoText(path_, errno));
    // Checked before anything is allocated, so a huge file costs nothing.
    if (*length > kMaxWholeFileBytes) {
      return fail(path_ + ": larger than " + std::to_string(kMaxWholeFileBytes >> 20) + " MiB");
    }
    std::vector<uint8_t> bytes(static_cast<size_t>(*length));
    size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n =
          ::pread(fd_.get(), bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
      if (n < 0 && errno == EINTR) continue;
      if (n < 0) return fail(ErrnoText(path_, errno));
      if (n == 0) return fail(path_ + ": the file became shorter while it was read");
      done += static_cast<size_t>(n);
    }
    // A file still being written (a firmware file mid-copy) would be sent cut at its old length.
    uint8_t beyond = 0;
    ssize_t more = 0;
    do {
      more = ::pread(fd_.get(), &beyond, 1, static_cast<off_t>(done));
    } while (more < 0 && errno == EINTR);
    if (more > 0) return fail(path_ + ": the file became longer while it was read");
    return bytes;
  }

  void Close() override { fd_.Reset(); }

 private:
  UniqueFd fd_;
  std::string path_;
};

}  // namespace

std::unique_ptr<OpenFile> PosixFileSystem::OpenReadWrite(const std::string& path,
                                                         std::string* error) {
  auto fail = [&](std::string text) -> std::unique_ptr<OpenFile> {
    if (error) *error = std::move(text);
    return nullptr;
  };
  // O_NONBLOCK: a FIFO or a device must not hold the caller in open(); they are refused below.
  UniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) return fail(ErrnoText(path, errno));
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) return fail(ErrnoText(path, errno));
  if (!S_ISREG(info.st_mode)) return fail(path + ": not a regular file");
  // The superuser may open a write-protected file for writing; the protection still means the
  // user marked the file as not to be used this way.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    return fail(ErrnoText(path, EACCES) + " (write-protected)");
  }
  // Regular files ignore O_NONBLOCK, but clear it so the descriptor behaves as plain as it looks.
  const int flags = ::fcntl(fd.get(), F_GETFL);
  if (flags >= 0) ::fcntl(fd.get(), F_SETFL, flags & ~O_NONBLOCK);
  return std::make_unique<PosixOpenFile>(std::move(fd), path);
}

}  // namespace platform
