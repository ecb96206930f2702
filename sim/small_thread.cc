#include "sim/small_thread.h"

#include <pthread.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>

namespace sim {
namespace {

void* RunBody(void* argument) {
  const std::unique_ptr<std::function<void()>> body(static_cast<std::function<void()>*>(argument));
  (*body)();
  return nullptr;
}

}  // namespace

bool StartDetachedThread(std::function<void()> body, size_t stack_bytes, std::string* error) {
  pthread_attr_t attributes;
  int status = ::pthread_attr_init(&attributes);
  if (status == 0) {
    status =
        ::pthread_attr_setstacksize(&attributes, std::max<size_t>(stack_bytes, PTHREAD_STACK_MIN));
    if (status == 0) status = ::pthread_attr_setdetachstate(&attributes, PTHREAD_CREATE_DETACHED);
    if (status == 0) {
      auto* argument = new std::function<void()>(std::move(body));
      pthread_t thread;
      status = ::pthread_create(&thread, &attributes, RunBody, argument);
      if (status != 0) delete argument;
    }
    ::pthread_attr_destroy(&attributes);
  }
  if (status != 0) *error = std::strerror(status);
  return status == 0;
}

}  // namespace sim
