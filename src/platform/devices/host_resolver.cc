#include "platform/devices/host_resolver.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <memory>
#include <mutex>
#include <system_error>
#include <thread>

namespace platform {
namespace {

// What the lookup thread and the caller share; the thread keeps it alive after the caller has
// given up waiting.
struct Pending {
  std::mutex mutex;
  std::condition_variable done_changed;
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
  try {
    std::thread([pending, lookup = lookup_, name] {
      HostLookup result = lookup(name);
      const std::lock_guard<std::mutex> lock(pending->mutex);
      pending->result = std::move(result);
      pending->done = true;
      pending->done_changed.notify_all();
    }).detach();
  } catch (const std::system_error& e) {
    return {{}, std::string("cannot start the lookup: ") + e.what()};
  }
  std::unique_lock<std::mutex> lock(pending->mutex);
  if (!pending->done_changed.wait_for(lock, std::chrono::milliseconds(timeout_ms_),
                                      [&] { return pending->done; })) {
    const std::string bound = timeout_ms_ % 1000 == 0 ? std::to_string(timeout_ms_ / 1000) + " s"
                                                      : std::to_string(timeout_ms_) + " ms";
    return {{}, "no answer from the name service within " + bound};
  }
  return pending->result;
}

}  // namespace platform
