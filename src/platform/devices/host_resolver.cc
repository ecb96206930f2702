#include "platform/devices/host_resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

#include "platform/system/clock.h"
#include "platform/system/fd_io.h"
#include "platform/system/unique_fd.h"

namespace platform {
namespace {

// What the lookup thread and the caller share; the thread keeps it alive after the caller has
// given up waiting.
// The caller waits on `done_fd` through WaitForFd, so a printer running as a task of a fiber loop
// leaves the loop's thread to the others meanwhile.
struct Pending {
  std::mutex mutex;
  UniqueFd done_fd{::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK)};
  bool done = false;
  HostLookup result;
};

}  // namespace

HostLookup SystemHostResolver::SystemLookup(const std::string& name) {
  addrinfo hints{};
  hints.ai_family = AF_UNSPEC;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  const int rc = ::getaddrinfo(name.c_str(), nullptr, &hints, &list);
  HostLookup found;
  if (rc != 0) {
    found.error = rc == EAI_SYSTEM ? std::strerror(errno) : ::gai_strerror(rc);
    return found;
  }
  for (const addrinfo* a = list; a != nullptr; a = a->ai_next) {
    char text[INET6_ADDRSTRLEN] = {};
    const void* raw = nullptr;
    if (a->ai_family == AF_INET) {
      raw = &reinterpret_cast<const sockaddr_in*>(a->ai_addr)->sin_addr;
    } else if (a->ai_family == AF_INET6) {
      raw = &reinterpret_cast<const sockaddr_in6*>(a->ai_addr)->sin6_addr;
    }
    if (raw == nullptr || ::inet_ntop(a->ai_family, raw, text, sizeof text) == nullptr) continue;
    if (std::find(found.addresses.begin(), found.addresses.end(), text) == found.addresses.end()) {
      found.addresses.emplace_back(text);
    }
  }
  ::freeaddrinfo(list);
  if (found.addresses.empty()) found.error = "no IPv4 or IPv6 address for this name";
  return found;
}

HostLookup SystemHostResolver::Resolve(const std::string& name) {
  auto pending = std::make_shared<Pending>();
  if (!pending->done_fd.valid()) {
    return {{}, std::string("cannot start the lookup: eventfd: ") + std::strerror(errno)};
  }
  try {
    std::thread([pending, lookup = lookup_, name] {
      HostLookup result = lookup(name);
      const std::lock_guard<std::mutex> lock(pending->mutex);
      pending->result = std::move(result);
      pending->done = true;
      const uint64_t one = 1;
      [[maybe_unused]] const ssize_t written = ::write(pending->done_fd.get(), &one, sizeof one);
    }).detach();
  } catch (const std::system_error& e) {
    return {{}, std::string("cannot start the lookup: ") + e.what()};
  }
  RealClock clock;
  WaitForFd(pending->done_fd.get(), POLLIN, clock, timeout_ms_);
  const std::lock_guard<std::mutex> lock(pending->mutex);
  if (!pending->done) {
    const std::string bound = timeout_ms_ % 1000 == 0 ? std::to_string(timeout_ms_ / 1000) + " s"
                                                      : std::to_string(timeout_ms_) + " ms";
    return {{}, "no answer from the name service within " + bound};
  }
  return pending->result;
}

}  // namespace platform
