#include "platform/devices/posix_tcp_socket.h"

#include <poll.h>
#include <sys/socket.h>

#include <cerrno>
#include <climits>
#include <optional>
#include <utility>

#include "platform/devices/socket_address.h"
#include "platform/system/clock.h"
#include "platform/system/fd_io.h"

namespace platform {
namespace {

// A send or receive on an open connection: a reset or a broken pipe is the printer's end going
// away, not a fault of the cable.
FailureCause TransferCause(int error) {
  if (error == ECONNRESET || error == EPIPE || error == ECONNABORTED) {
    return FailureCause::kClosedByPrinter;
  }
  return CauseFromErrno(error);
}

}  // namespace

bool PosixTcpSocket::Connect(const std::string& ip_address, uint16_t port) {
  Close();
  const std::optional<SocketAddress> address = MakeSocketAddress(ip_address, port);
  if (!address) {
    last_cause_ = FailureCause::kBadAddress;
    return false;
  }
  // Here connecting to the unspecified address (0.0.0.0, ::) reaches this machine; it is no
  // printer's address, only what an address entry shows before one is typed.
  if (address->IsUnspecified()) {
    last_cause_ = FailureCause::kUnreachable;
    return false;
  }
  UniqueFd fd(::socket(address->family(), SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.valid()) {
    last_cause_ = CauseFromErrno(errno);
    return false;
  }
  // Non-blocking connect, so the wait is ours to bound.
  if (::connect(fd.get(), address->get(), address->size) != 0) {
    if (errno != EINPROGRESS && errno != EINTR) {
      last_cause_ = CauseFromErrno(errno);
      return false;
    }
    const int r = WaitForFd(fd.get(), POLLOUT, clock_, connect_timeout_ms_);
    const int wait_errno = errno;
    if (r == 0) {
      last_cause_ = FailureCause::kUnreachable;
      return false;
    }
    // r < 0: poll saw only an error or a hang-up; SO_ERROR below says which.
    int error = 0;
    socklen_t size = sizeof error;
    if (::getsockopt(fd.get(), SOL_SOCKET, SO_ERROR, &error, &size) != 0) error = errno;
    if (error == 0 && r < 0) error = wait_errno;
    if (error != 0) {
      last_cause_ = CauseFromErrno(error);
      return false;
    }
  }
  fd_ = std::move(fd);
  last_cause_ = FailureCause::kNone;
  return true;
}

bool PosixTcpSocket::PeerClosed(uint32_t wait_ms) {
  // A close shows as POLLRDHUP, a reset as an error or hang-up; waiting for bytes is no part of it.
  return fd_.valid() && WaitForFd(fd_.get(), POLLRDHUP, clock_, wait_ms) != 0;
}

int PosixTcpSocket::Send(const uint8_t* data, size_t length) {
  if (!fd_.valid()) {
    last_cause_ = FailureCause::kIoError;
    return -1;
  }
  if (length > INT_MAX) length = INT_MAX;  // the count must fit the result
  // The socket stays non-blocking: a send waits in poll on the clock for room, up to
  // kSendTimeoutMs at a time, so a printer that stops reading holds up nobody else's work.
  size_t sent = 0;
  bool poll_saw_error = false;
  while (sent < length) {
    // MSG_NOSIGNAL: a peer that went away is a failed send, not a SIGPIPE that ends the program.
    const ssize_t n = ::send(fd_.get(), data + sent, length - sent, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) {
      sent += static_cast<size_t>(n);
      continue;
    }
    if (errno == EINTR) continue;
    if ((errno == EAGAIN || errno == EWOULDBLOCK) && !poll_saw_error) {
      const int ready = WaitForFd(fd_.get(), POLLOUT, clock_, kSendTimeoutMs);
      if (ready > 0) continue;
      // An error or a hang-up: the next send tells which.
      poll_saw_error = ready < 0;
      if (poll_saw_error) continue;
      // No room for kSendTimeoutMs: a peer that stopped answering.
      last_cause_ = FailureCause::kUnreachable;
      return sent > 0 ? static_cast<int>(sent) : -1;
    }
    last_cause_ = TransferCause(errno);
    return sent > 0 ? static_cast<int>(sent) : -1;
  }
  return static_cast<int>(sent);
}

int PosixTcpSocket::Receive(uint8_t* buffer, size_t capacity) {
  if (!fd_.valid()) {
    last_cause_ = FailureCause::kIoError;
    return -1;
  }
  if (capacity > INT_MAX) capacity = INT_MAX;
  // The wait is poll's on the clock, so the idle hook runs while a silent printer is awaited.
  const int ready = WaitForFd(fd_.get(), POLLIN, clock_, kReceiveTimeoutMs);
  if (ready == 0) return 0;  // nothing within kReceiveTimeoutMs
  // ready < 0 (an error or a hang-up): recv tells which, or reads the end of the stream.
  while (true) {
    const ssize_t n = ::recv(fd_.get(), buffer, capacity, MSG_DONTWAIT);
    if (n >= 0) return static_cast<int>(n);
    if (errno == EINTR) continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK) return 0;
    last_cause_ = TransferCause(errno);
    return -1;
  }
}

void PosixTcpSocket::Close() { fd_.Reset(); }

}  // namespace platform
