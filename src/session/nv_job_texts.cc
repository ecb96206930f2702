#include "session/nv_job_texts.h"

#include <string_view>

#include "protocol/common_util.h"

namespace session {

const nv::NvJobTexts& DesktopNvJobTexts() {
  static constexpr std::string_view kWriteFailed =
      " Failed to write data!\r\nPlease check your printer.";
  static const nv::NvJobTexts texts{
      .stopped = "Download process is stoped...",
      .port_open_error = "Port open error!",
      .read_list_failed = "Failed to read NV image address!",
      .write_failed = kWriteFailed,
      .download_write_failed = kWriteFailed,
      .identify = {{protocol::CCommonUtil::kMaker, "Printer model is not matched!", 5, 5, {}}},
      .opened = {},
      .read_list = {},
      .delete_one = "Delete selected NV image...",
      .delete_all = "Delete all NV image...",
      .download_start = {},
      .downloading_suffix = " Downloading...",
      .download_finished = "Finish download...",
      .print_all = "Print all NV image...",
      .print_one = "Print selected NV image...",
  };
  return texts;
}

}  // namespace session
