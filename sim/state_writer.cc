#include "sim/state_writer.h"

#include <utility>

namespace sim {

StateWriter::StateWriter(Write write, Report report)
    : write_(std::move(write)), report_(std::move(report)), thread_([this] { Run(); }) {}

StateWriter::~StateWriter() {
  {
    const std::lock_guard lock(mutex_);
    ending_ = true;
  }
  changed_.notify_all();
  thread_.join();
}

void StateWriter::Queue(const std::string& path, std::string text) {
  {
    const std::lock_guard lock(mutex_);
    queued_[path] = std::move(text);
  }
  changed_.notify_all();
}

std::vector<std::string> StateWriter::Drain() {
  std::unique_lock lock(mutex_);
  changed_.wait(lock, [this] { return queued_.empty() && !writing_; });
  return {failed_.begin(), failed_.end()};
}

void StateWriter::Run() {
  std::unique_lock lock(mutex_);
  for (;;) {
    changed_.wait(lock, [this] { return ending_ || !queued_.empty(); });
    if (queued_.empty()) return;  // ending, and nothing left
    auto node = queued_.extract(queued_.begin());
    writing_ = true;
    lock.unlock();
    std::string error;
    const bool ok = write_(node.key(), node.mapped(), &error);
    if (!ok && report_) report_(error);
    lock.lock();
    writing_ = false;
    if (ok) {
      failed_.erase(node.key());
    } else {
      failed_.insert(node.key());
    }
    changed_.notify_all();
  }
}

}  // namespace sim
