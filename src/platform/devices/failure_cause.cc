#include "platform/devices/failure_cause.h"

#include <cerrno>

namespace platform {

FailureCause CauseFromErrno(int error) {
  switch (error) {
    case 0:
      return FailureCause::kNone;
    case EACCES:
    case EPERM:
    case EROFS:
      return FailureCause::kPermissionDenied;
    case ENOENT:
    case ENODEV:
    case ENXIO:
    case ENOTDIR:
    case EISDIR:        // a folder
    case ELOOP:         // links that lead round in a circle
    case ENAMETOOLONG:  // a path no device has
      return FailureCause::kNoSuchDevice;
    case ENOTTY:
      return FailureCause::kNotSerialPort;
    case EBUSY:
    case EWOULDBLOCK:  // a lock held by another program (flock with LOCK_NB)
      return FailureCause::kDeviceBusy;
    case ECONNREFUSED:
      return FailureCause::kConnectionRefused;
    case ENETUNREACH:
    case EHOSTUNREACH:
    case ENETDOWN:
    case EHOSTDOWN:
    case ETIMEDOUT:
    case EAFNOSUPPORT:   // IPv6 on a machine without it
    case EADDRNOTAVAIL:  // no local address of the printer's kind
      return FailureCause::kUnreachable;
    default:
      return FailureCause::kIoError;
  }
}

}  // namespace platform
