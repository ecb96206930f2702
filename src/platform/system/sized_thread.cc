#include "platform/system/sized_thread.h"

#include <pthread.h>

#include <cstring>
#include <utility>

namespace platform {

struct SizedThread::State {
  std::function<void()> body;
  pthread_t thread{};
};

namespace {

void* RunBody(void* state) {
  static_cast<std::function<void()>*>(state)->operator()();
  return nullptr;
}

}  // namespace

SizedThread::SizedThread(std::unique_ptr<State> state) : state_(std::move(state)) {}

SizedThread::~SizedThread() { pthread_join(state_->thread, nullptr); }

std::unique_ptr<SizedThread> SizedThread::Start(size_t stack_bytes, std::function<void()> body,
                                                std::string* error) {
  auto state = std::make_unique<State>();
  state->body = std::move(body);
  pthread_attr_t attr;
  int rc = pthread_attr_init(&attr);
  if (rc == 0) {
    // The system's minimum, and whole pages; the attribute refuses anything else.
    const size_t page = 4096;
    const auto minimum = static_cast<size_t>(PTHREAD_STACK_MIN);
    size_t size = stack_bytes < minimum ? minimum : stack_bytes;
    size = (size + page - 1) / page * page;
    rc = pthread_attr_setstacksize(&attr, size);
    if (rc == 0) rc = pthread_create(&state->thread, &attr, RunBody, &state->body);
    pthread_attr_destroy(&attr);
  }
  if (rc != 0) {
    *error = std::strerror(rc);
    return nullptr;
  }
  return std::unique_ptr<SizedThread>(new SizedThread(std::move(state)));
}

}  // namespace platform
