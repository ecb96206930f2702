#include "platform/image/byte_source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/system/unique_fd.h"

namespace platform {
namespace {

// Reads with pread at our own position, so the size taken at open bounds every read and nothing
// else moving the descriptor's offset can confuse us.
class FileSource : public ByteSource {
 public:
  FileSource(UniqueFd fd, uint64_t size) : fd_(std::move(fd)), size_(size) {}

  long Read(uint8_t* buffer, size_t length) override {
    if (position_ >= size_ || length == 0) return 0;
    // A file that grew since open is read only as far as it was then; one that shrank ends early.
    const uint64_t left = size_ - position_;
    const size_t wanted = static_cast<size_t>(std::min<uint64_t>({length, left, kMaxChunk}));
    for (;;) {
      const ssize_t got = ::pread(fd_.get(), buffer, wanted, static_cast<off_t>(position_));
      if (got < 0 && errno == EINTR) continue;
      if (got < 0) return -1;
      position_ += static_cast<uint64_t>(got);
      return static_cast<long>(got);
    }
  }

  bool Seek(uint64_t offset) override {
    if (offset > size_) return false;
    position_ = offset;
    return true;
  }

  uint64_t Position() const override { return position_; }
  uint64_t Size() const override { return size_; }

 private:
  // Keeps every count representable as a long and an ssize_t.
  static constexpr uint64_t kMaxChunk = uint64_t{1} << 30;

  UniqueFd fd_;
  uint64_t size_;
  uint64_t position_ = 0;
};

class BufferSource : public ByteSource {
 public:
  explicit BufferSource(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}

  long Read(uint8_t* buffer, size_t length) override {
    const size_t n = std::min(length, bytes_.size() - position_);
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return static_cast<long>(n);
  }

  bool Seek(uint64_t offset) override {
    if (offset > bytes_.size()) return false;
    position_ = static_cast<size_t>(offset);
    return true;
  }

  uint64_t Position() const override { return position_; }
  uint64_t Size() const override { return bytes_.size(); }

 private:
  std::vector<uint8_t> bytes_;
  size_t position_ = 0;
};

}  // namespace

std::unique_ptr<ByteSource> OpenFileSource(const std::string& path, std::string* reason) {
  UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY | O_NONBLOCK));
  if (!fd.valid()) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  // O_NONBLOCK above keeps a FIFO or a device from holding the open; only a regular file has a
  // size we can trust, and reading one ignores the flag.
  struct stat info {};
  if (::fstat(fd.get(), &info) != 0) {
    *reason = std::strerror(errno);
    return nullptr;
  }
  if (!S_ISREG(info.st_mode)) {
    *reason = S_ISDIR(info.st_mode) ? "a folder, not a file" : "not a regular file";
    return nullptr;
  }
  return std::make_unique<FileSource>(std::move(fd), static_cast<uint64_t>(info.st_size));
}

std::unique_ptr<ByteSource> MemorySource(std::vector<uint8_t> bytes) {
  return std::make_unique<BufferSource>(std::move(bytes));
}

std::unique_ptr<ByteSource> MemorySource(const uint8_t* data, size_t length) {
  if (length == 0) return MemorySource(std::vector<uint8_t>());
  return MemorySource(std::vector<uint8_t>(data, data + length));
}

}  // namespace platform
