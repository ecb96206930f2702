#pragma once

#include "nvimage/nv_job.h"

namespace session {
// The words of the desktop program's NV jobs, which the command line shows too.
const nv::NvJobTexts& DesktopNvJobTexts();
}  // namespace session
