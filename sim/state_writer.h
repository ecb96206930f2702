#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

namespace sim {

// Writes the printers' state files on a thread of its own, so that the loop serving the printers
// never waits for the disk: ten thousand new files in one folder take seconds. A state queued
// again before it was written is written once, as last queued.
class StateWriter {
 public:
  // `write` writes one file (false with the message on failure); `report` hears the failures.
  using Write =
      std::function<bool(const std::string& path, const std::string& text, std::string* error)>;
  using Report = std::function<void(const std::string& message)>;
  // Throws std::system_error when no thread could be started.
  StateWriter(Write write, Report report);
  // Writes what is queued, then ends the thread.
  ~StateWriter();
  StateWriter(const StateWriter&) = delete;
  StateWriter& operator=(const StateWriter&) = delete;

  void Queue(const std::string& path, std::string text);
  // Waits until everything queued so far is written; the paths whose last write failed.
  std::vector<std::string> Drain();

 private:
  void Run();

  Write write_;
  Report report_;
  std::mutex mutex_;
  std::condition_variable changed_;
  std::map<std::string, std::string> queued_;  // path -> text
  bool writing_ = false;
  bool ending_ = false;
  std::set<std::string> failed_;
  std::thread thread_;
};

}  // namespace sim
