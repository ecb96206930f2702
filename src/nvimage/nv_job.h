#pragma once

// NvJob: one NV job (read the key code list, delete one image or all, download the prepared
// items, print all images or one) as a chain of steps. A step blocks while it talks to the
// printer and then says what comes next: another step after a pause, or the end with OK or
// Cancel. The driver decides how the pause passes: the progress dialog arms a window timer so
// the user can close it between steps; a program without windows just sleeps:
//
//   NvJob job(nv, sink);
//   job.SetJobCode(NvJob::kJobDownload);
//   NvStep step = job.Start();
//   while (step.kind == NvStep::Kind::kNext) {
//     nv.clock().Sleep(step.delay_ms);
//     step = job.Run(step.id);
//   }
//   // kOk, or kCancel with job.message() to show
//
// Every job first makes sure the link is open and, once per manager run (CCommonNv::identified_),
// that the printer is one of ours. The link stays open after the job for the next one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "link/cdev.h"
#include "nvimage/common_nv.h"

// Where a job shows its progress. The position counts on past 100 when a job's steps add up to
// more (a first print earns 119); a bar simply stays full.
class NvProgressSink {
 public:
  virtual ~NvProgressSink() = default;
  virtual void SetPosition(int position) = 0;
  virtual void SetCaption(const std::string& text) = 0;
  // Shows the changes now: the step holds the thread until it has finished.
  virtual void Refresh() = 0;
};

// One identification query of the start step, with the progress it earns around it.
struct NvIdentifyQuery {
  uint32_t kind = 0;  // CCommonUtil::GetPrinterInfo kind
  const char* failure = "";
  uint32_t advance_before = 0;
  uint32_t advance_after = 0;
  const char* caption = nullptr;  // shown with the progress after the query
};

// The words of one program's jobs. A null caption lets that progress run under the caption
// already shown.
struct NvJobTexts {
  // Window titles by job code 1000..1005; null: the window keeps its own title.
  std::array<const char*, 6> titles{};
  // The message when the user ends the job before it has finished.
  const char* stopped = "";
  const char* port_open_error = "";
  const char* read_list_failed = "";
  const char* write_failed = "";           // jobs 1001, 1002, 1004, 1005
  const char* download_write_failed = "";  // a download item
  std::vector<NvIdentifyQuery> identify;
  const char* opened = nullptr;
  const char* read_list = nullptr;
  const char* delete_one = nullptr;
  const char* delete_all = nullptr;
  const char* download_start = nullptr;
  const char* downloading_suffix = "";  // after the item's name
  const char* download_finished = nullptr;
  const char* print_all = nullptr;
  const char* print_one = nullptr;
  // The progress window shows these texts on a status line of its own instead of a frame's
  // caption: the handheld's window is too narrow for both.
  bool status_line = false;
};

const NvJobTexts& DesktopNvJobTexts();
// The handheld program's: a title by job code and a text for every step, so that the user of a
// slow handheld link sees what it is waiting for.
const NvJobTexts& HandheldNvJobTexts();

struct NvStep {
  enum class Kind { kNext, kOk, kCancel };
  Kind kind = Kind::kNext;
  int id = 0;             // kNext: the step to run next
  uint32_t delay_ms = 0;  // kNext: the pause before it
};

class NvJob {
 public:
  // Job codes; they also name the steps that carry out each job.
  static constexpr int kJobReadKeyCodes = 1000;
  static constexpr int kJobDeleteImage = 1001;
  static constexpr int kJobDeleteAll = 1002;
  static constexpr int kJobDownload = 1003;
  static constexpr int kJobPrintAll = 1004;
  static constexpr int kJobPrintImage = 1005;
  // Internal steps.
  static constexpr int kStepStart = 1;
  static constexpr int kStepDownloadItem = 2000;
  static constexpr int kStepFinish = 9999;

  // `nv` and `sink` must outlive the job; `texts` is static data.
  NvJob(CCommonNv& nv, NvProgressSink& sink, const NvJobTexts& texts = DesktopNvJobTexts());

  void SetJobCode(int job_code) { job_code_ = job_code; }
  // The image that jobs 1001 and 1005 delete or print (its first two characters).
  void SetKeyCode(std::string key_code) { key_code_ = std::move(key_code); }
  int job_code() const { return job_code_; }

  // Resets progress and message; returns the start step.
  NvStep Start();
  // Runs step `id` to its end. Unknown steps end the job with Cancel and the message as it is.
  NvStep Run(int id);

  // The text to show after Cancel: the failure's, or the stopped text while nothing failed.
  const std::string& message() const { return message_; }
  int progress() const { return progress_; }

 private:
  NvStep StartStep();
  NvStep ReadKeyCodesStep();
  NvStep DownloadItemStep();
  NvStep FinishStep();
  // Ends the job with `text`, and under it what the link says went wrong.
  NvStep Cancel(const char* text);
  // Marks the start of an exchange, so Cancel can tell a silent printer from a wrong reply.
  void MarkExchange();
  // `n` steps of one, each shown and followed by a pause of `ms`; a non-null caption first.
  void Advance(uint32_t n, const char* caption = nullptr, uint32_t ms = kAdvanceStepMs);

  static constexpr uint32_t kAdvanceStepMs = 2;

  CCommonNv& nv_;
  NvProgressSink& sink_;
  const NvJobTexts* texts_;
  int job_code_ = 0;
  std::string key_code_;
  uint32_t item_delay_ms_ = 0;
  uint32_t total_bytes_ = 0;
  size_t next_item_ = 0;  // index into the engine's download list
  int progress_ = 0;
  std::string message_;
  CDev::Traffic before_;  // the link's counts when the current exchange began
};
