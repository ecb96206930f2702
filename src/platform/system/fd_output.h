#pragma once

// An output stream over a file descriptor (standard output, for a program whose output scripts
// read) that remembers why a write failed, so the program can tell a reader that went away
// (a closed pipe: `... | head`) from a full disk or a broken device.

#include <array>
#include <ostream>
#include <streambuf>
#include <string>

namespace platform {

enum class OutputFailure {
  kNone,
  kClosedPipe,  // the reader went away; not worth a message
  kOther,       // the disk is full, the device failed...
};

class FdOutputBuffer : public std::streambuf {
 public:
  // `fd` stays open; the buffer only writes to it. Nothing is written after the first failure.
  explicit FdOutputBuffer(int fd);
  ~FdOutputBuffer() override;

  OutputFailure failure() const { return failure_; }
  // The system's words for the failure ("No space left on device"); empty without one.
  const std::string& failure_text() const { return failure_text_; }

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char* data, std::streamsize count) override;
  int sync() override;

 private:
  bool Flush();
  bool Write(const char* data, size_t size);

  int fd_;
  std::array<char, 8192> buffer_{};
  OutputFailure failure_ = OutputFailure::kNone;
  std::string failure_text_;
};

class FdOutputStream : public std::ostream {
 public:
  explicit FdOutputStream(int fd) : std::ostream(nullptr), buffer_(fd) { rdbuf(&buffer_); }
  ~FdOutputStream() override { flush(); }

  OutputFailure failure() const { return buffer_.failure(); }
  const std::string& failure_text() const { return buffer_.failure_text(); }

 private:
  FdOutputBuffer buffer_;
};

}  // namespace platform
