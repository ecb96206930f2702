#pragma once

#include <cstdint>
#include <string>

#include "link/cdev.h"
#include "platform/devices/failure_cause.h"

namespace devlink {
// The line a failure message adds under its own first line: what went wrong on the link and what
// to do about it, e.g. "/dev/usb/lp0: permission denied; add yourself to group lp (sudo usermod
// -aG lp $USER) and log in again". `target` names the device or address, `transport` is one of
// CDev's transport codes (the advice differs between USB, serial lines and TCP/IP). Empty for
// kNone.
std::string DescribeFailure(platform::FailureCause cause, const std::string& target, int transport);

// What `dev` has to say about a step that just failed, given its traffic before the step: the
// link's own failure when one happened during the step; otherwise "no answer" when the step sent
// bytes and nothing came back; otherwise "unreadable answer" when bytes came back that the step
// could not use; otherwise nothing (the step refused to send at all: the first line says so).
platform::FailureCause StepFailureCause(const CDev& dev, const CDev::Traffic& before);

// True when a stop request ended one of the step's reply waits (traffic since `before`): the
// program stopped asking, and the step's failure is the stop's, not the printer's.
inline bool StopEndedWait(const CDev& dev, const CDev::Traffic& before) {
  return dev.traffic().stopped_waits != before.stopped_waits;
}

// The description of that cause for `dev`'s device; empty when there is nothing to add.
std::string FailureLine(const CDev& dev, const CDev::Traffic& before);

// `first` as it is, or with the description of the step's failure as a second line.
std::string WithFailureLine(std::string first, const CDev& dev, const CDev::Traffic& before);
}  // namespace devlink
