#pragma once

// NvJob: one NV job (read the key code list, delete one image or all, download the prepared
// items, print all images or one) as a plan for the job engine, with the operations it needs.
// The driver decides how the pauses between events pass: the progress dialog arms window timers
// so the user can close it between steps; a program without windows just sleeps:
//
//   NvJob job(nv, progress, NvJobCode::kDownload, "", texts);
//   if (!job.runner().RunToEnd()) { /* job.runner().message() */ }
//
// Every job first makes sure the link is open and, once per manager run (CCommonNv::identified),
// that the printer is one of ours. The link stays open after the job for the next one.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "jobs/job_runner.h"
#include "nvimage/common_nv.h"

namespace nv {
// One identification query of the start step, with the progress it earns around it.
struct NvIdentifyQuery {
  uint32_t kind = 0;  // CCommonUtil::GetPrinterInfo kind
  std::string_view failure;
  uint32_t advance_before = 0;
  uint32_t advance_after = 0;
  std::string_view caption;  // shown with the progress after the query
};

// The words of one program's jobs. An empty caption lets that progress run under the caption
// already shown.
struct NvJobTexts {
  // Window titles by job code 1000..1005; empty: the window keeps its own title.
  std::array<std::string_view, 6> titles{};
  // The message when the user ends the job before it has finished.
  std::string_view stopped;
  std::string_view port_open_error;
  std::string_view read_list_failed;
  std::string_view write_failed;           // jobs 1001, 1002, 1004, 1005
  std::string_view download_write_failed;  // a download item
  std::vector<NvIdentifyQuery> identify;
  std::string_view opened;
  std::string_view read_list;
  std::string_view delete_one;
  std::string_view delete_all;
  std::string_view download_start;
  std::string_view downloading_suffix;  // after the item's name
  std::string_view download_finished;
  std::string_view print_all;
  std::string_view print_one;
};

// Job codes; the window titles are indexed by them.
enum class NvJobCode {
  kReadKeyCodes = 1000,
  kDeleteImage = 1001,
  kDeleteAll = 1002,
  kDownload = 1003,
  kPrintAll = 1004,
  kPrintImage = 1005,
};

class NvJob : private jobs::JobActions {
 public:
  // `nv` and `progress` must outlive the job; `texts` is static data, the program's own words.
  // `key_code` is the image that kDeleteImage and kPrintImage delete or print (its first two
  // characters).
  NvJob(CCommonNv& nv, jobs::JobProgress& progress, NvJobCode code, std::string key_code,
        const NvJobTexts& texts);

  // Starts with the stopped text as its message: the text to show when the user ends the job.
  jobs::JobRunner& runner() { return runner_; }

 private:
  protocol::Result Perform(const jobs::JobStep& step, jobs::JobRunner& runner) override;
  bool Applies(int condition) const override;

  CCommonNv& nv_;
  const NvJobTexts& texts_;
  std::string key_code_;
  jobs::JobPlan plan_;
  uint32_t total_bytes_ = 0;
  size_t next_item_ = 0;                  // index into the engine's download list
  const NvDownloadItem* item_ = nullptr;  // the item being sent
  jobs::JobRunner runner_;
};
}  // namespace nv
