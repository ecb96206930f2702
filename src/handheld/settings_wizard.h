#pragma once

// The handheld settings wizard: reads every setting from the printer, walks the user through
// five small steps, and writes the record back (or sends the factory block), with its own
// messages. The link has been handed the communication setting before; the wizard closes it on
// every path.

#include "platform/registry/registry.h"
#include "protocol/common_vmsm.h"
#include "ui/core/host.h"

namespace pda {
// `vmsm` is the main dialog's record holder; `registry` the handheld program's own store (the
// settings profile lives there).
void RunSettingsWizard(protocol::CCommonVmsm& vmsm, ui::Host& host, platform::Registry& registry);
}  // namespace pda
