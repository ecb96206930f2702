#include "sim/tcp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstring>
#include <optional>

#include "platform/devices/socket_address.h"
#include "platform/system/fd_io.h"

namespace sim {
namespace {

// A change of the stored state is saved this long after it at the latest, and when the client
// leaves: a set of twenty writes (about two seconds) is saved once, not twenty times, which ten
// thousand printers at once would need a fast disk for.
constexpr uint64_t kSaveDelayMs = 2000;
// Replies are due within minutes at most (the longest delay option is 600 s).
constexpr uint64_t kMaxDueMs = 3600 * 1000;

}  // namespace

// The client socket is non-blocking: a client that stops reading is waited for through the
// clock, so the other printers of the loop go on answering.
bool TcpServer::SendAll(int client, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n =
        ::send(client, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno == EAGAIN) {
      if (platform::WaitForFd(client, POLLOUT, clock_, kMaxDueMs) > 0) continue;
      return false;  // in error, or the stop came first
    }
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

TcpServer::TcpServer(PrinterModel& model, platform::Clock& clock)
    : model_(model), clock_(clock), last_tick_(clock.TickCount()) {}

uint64_t TcpServer::NowMs() {
  const uint32_t tick = clock_.TickCount();
  elapsed_ms_ += static_cast<uint32_t>(tick - last_tick_);
  last_tick_ = tick;
  return elapsed_ms_;
}

bool TcpServer::Listen(const std::string& bind_address, uint16_t port, std::string* error) {
  auto fail = [&](const std::string& what) {
    if (error) *error = what + ": " + std::strerror(errno);
    listener_.Reset();
    return false;
  };
  std::optional<platform::SocketAddress> made = platform::MakeSocketAddress(bind_address, port);
  if (!made) {
    if (error) *error = "not an IPv4 or IPv6 address: " + bind_address;
    return false;
  }
  sockaddr_storage& address = made->storage;
  listener_.Reset(::socket(address.ss_family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!listener_.valid()) return fail("socket");
  const int one = 1;
  ::setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (address.ss_family == AF_INET6) {
    // "::" means IPv6 only here; an IPv4 printer is another --bind.
    ::setsockopt(listener_.get(), IPPROTO_IPV6, IPV6_V6ONLY, &one, sizeof one);
  }
  if (::bind(listener_.get(), made->get(), made->size) != 0) {
    return fail("cannot bind " + bind_address + ":" + std::to_string(port));
  }
  if (::listen(listener_.get(), 1) != 0) return fail("listen");
  socklen_t length = sizeof address;
  if (::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return fail("getsockname");
  }
  port_ = ntohs(address.ss_family == AF_INET6
                    ? reinterpret_cast<const sockaddr_in6*>(&address)->sin6_port
                    : reinterpret_cast<const sockaddr_in*>(&address)->sin_port);
  return true;
}

platform::UniqueFd TcpServer::Accept() {
  sockaddr_storage peer{};
  socklen_t length = sizeof peer;
  platform::UniqueFd client(::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length,
                                      SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!client.valid()) return client;
  const int one = 1;
  ::setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  char text[INET6_ADDRSTRLEN] = "?";
  uint16_t peer_port = 0;
  const bool v6 = peer.ss_family == AF_INET6;
  if (v6) {
    const auto* a = reinterpret_cast<const sockaddr_in6*>(&peer);
    ::inet_ntop(AF_INET6, &a->sin6_addr, text, sizeof text);
    peer_port = ntohs(a->sin6_port);
  } else {
    const auto* a = reinterpret_cast<const sockaddr_in*>(&peer);
    ::inet_ntop(AF_INET, &a->sin_addr, text, sizeof text);
    peer_port = ntohs(a->sin_port);
  }
  model_.OnConnect(NowMs());
  model_.NoteConnection(std::string("connection from ") + (v6 ? "[" : "") + text + (v6 ? "]" : "") +
                        ":" + std::to_string(peer_port));
  return client;
}

void TcpServer::ServeClient(platform::UniqueFd client, const volatile std::sig_atomic_t& stop,
                            const std::function<void()>& on_state_change) {
  saved_generation_ = model_.state_generation();
  Converse(client.get(), stop, on_state_change);
  SaveIfChanged(on_state_change);  // all of it on disk once the client has left
}

void TcpServer::SaveIfChanged(const std::function<void()>& on_state_change) {
  save_due_ms_.reset();
  if (model_.state_generation() == saved_generation_) return;
  saved_generation_ = model_.state_generation();
  if (on_state_change) on_state_change();
}

void TcpServer::Converse(int client, const volatile std::sig_atomic_t& stop,
                         const std::function<void()>& on_state_change) {
  uint8_t buffer[4096];
  while (!stop) {
    const uint64_t now = NowMs();
    for (;;) {
      const std::vector<uint8_t> due = model_.TakeDue(now, sizeof buffer);
      if (due.empty()) break;
      if (!SendAll(client, due)) {
        model_.Note("send failed, connection closed");
        return;
      }
    }
    if (model_.state_generation() != saved_generation_ && !save_due_ms_) {
      save_due_ms_ = now + kSaveDelayMs;
    }
    if (save_due_ms_ && now >= *save_due_ms_) SaveIfChanged(on_state_change);
    if (model_.Dropped()) {
      model_.Note("closing the connection (drop fault)");
      return;
    }
    // Only the next reply and the next save bound the wait; the loop's stop wakes it.
    uint64_t wait = kMaxDueMs;
    for (const auto due : {model_.NextDueMs(), save_due_ms_}) {
      if (due) wait = std::min(wait, *due > now ? *due - now : 0);
    }
    const int ready = platform::WaitForFd(client, POLLIN, clock_, wait);
    if (ready == 0) continue;
    // ready < 0: an error or a hang-up, which recv tells.
    const ssize_t n = ::recv(client, buffer, sizeof buffer, 0);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
    if (n <= 0) {
      model_.NoteConnection(n == 0 ? "client closed the connection"
                                   : "receive failed, connection closed");
      return;
    }
    if (raw_sink_) {
      raw_sink_({buffer, static_cast<size_t>(n)});
    } else {
      model_.Receive({buffer, static_cast<size_t>(n)}, NowMs());
    }
  }
}

}  // namespace sim
