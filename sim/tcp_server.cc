#include "sim/tcp_server.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace sim {
namespace {

// Longest a poll sleeps, so a stop request is seen promptly even without a signal interruption.
constexpr uint64_t kMaxPollMs = 200;

bool SendAll(int fd, const std::vector<uint8_t>& bytes) {
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::send(fd, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    done += static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

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
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (::inet_pton(AF_INET, bind_address.c_str(), &address.sin_addr) != 1) {
    if (error) *error = "not an IPv4 address: " + bind_address;
    return false;
  }
  listener_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
  if (!listener_.valid()) return fail("socket");
  const int one = 1;
  ::setsockopt(listener_.get(), SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  if (::bind(listener_.get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    return fail("cannot bind " + bind_address + ":" + std::to_string(port));
  }
  if (::listen(listener_.get(), 1) != 0) return fail("listen");
  socklen_t length = sizeof address;
  if (::getsockname(listener_.get(), reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    return fail("getsockname");
  }
  port_ = ntohs(address.sin_port);
  return true;
}

void TcpServer::Serve(const volatile std::sig_atomic_t& stop,
                      const std::function<void()>& on_state_change) {
  saved_generation_ = model_.state_generation();
  while (!stop && listener_.valid()) {
    pollfd entry{listener_.get(), POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(kMaxPollMs));
    if (ready <= 0) continue;  // time-out or a signal: look at `stop` again
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    platform::UniqueFd client(
        ::accept4(listener_.get(), reinterpret_cast<sockaddr*>(&peer), &length, SOCK_CLOEXEC));
    if (!client.valid()) continue;
    const int one = 1;
    ::setsockopt(client.get(), IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    char text[INET_ADDRSTRLEN] = "?";
    ::inet_ntop(AF_INET, &peer.sin_addr, text, sizeof text);
    model_.OnConnect(NowMs());
    model_.Note(std::string("connection from ") + text + ":" +
                std::to_string(ntohs(peer.sin_port)));
    ServeClient(std::move(client), stop, on_state_change);
  }
}

void TcpServer::ServeClient(platform::UniqueFd client, const volatile std::sig_atomic_t& stop,
                            const std::function<void()>& on_state_change) {
  uint8_t buffer[4096];
  while (!stop) {
    const uint64_t now = NowMs();
    for (;;) {
      const std::vector<uint8_t> due = model_.TakeDue(now, sizeof buffer);
      if (due.empty()) break;
      if (!SendAll(client.get(), due)) {
        model_.Note("send failed, connection closed");
        return;
      }
    }
    if (model_.state_generation() != saved_generation_) {
      saved_generation_ = model_.state_generation();
      if (on_state_change) on_state_change();
    }
    if (model_.Dropped()) {
      model_.Note("closing the connection (drop fault)");
      return;
    }
    uint64_t wait = kMaxPollMs;
    if (const auto next = model_.NextDueMs()) wait = *next > now ? std::min(wait, *next - now) : 0;
    pollfd entry{client.get(), POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(wait));
    if (ready <= 0) continue;
    if (entry.revents & (POLLIN | POLLHUP | POLLERR)) {
      const ssize_t n = ::recv(client.get(), buffer, sizeof buffer, 0);
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
      if (n <= 0) {
        model_.Note(n == 0 ? "client closed the connection" : "receive failed, connection closed");
        return;
      }
      if (raw_sink_) {
        raw_sink_({buffer, static_cast<size_t>(n)});
      } else {
        model_.Receive({buffer, static_cast<size_t>(n)}, NowMs());
      }
    }
  }
}

}  // namespace sim
