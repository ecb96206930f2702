#include "platform/devices/posix_serial_port.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/system/fd_io.h"

// How a LineSettings value becomes Linux settings:
//
// | LineSettings field      | Linux                                                              |
// |-------------------------|--------------------------------------------------------------------|
// | baud                    | cfsetispeed/cfsetospeed with the Bxxxx constant; a rate without    |
// |                         | one fails Configure                                                |
// | data_bits 5..8          | CS5..CS8; anything else fails Configure                            |
// | parity none/odd/even    | no PARENB / PARENB|PARODD / PARENB                                 |
// | check_received_parity   | none: IGNPAR without INPCK either way. With INPCK the driver can   |
// |                         | only drop a byte whose parity bit is wrong or turn it into 00h,    |
// |                         | which ends a printer's reply early; the link wants such bytes      |
// |                         | passed on unchanged, and that is what no input check does          |
// | stop_bits two           | CSTOPB                                                             |
// | transmit_waits_for_cts  | CRTSCTS. Linux ties both directions together: the driver also      |
// |                         | drives RTS from its receive buffer. RTS is still set per rts_on    |
// |                         | right after tcsetattr                                              |
// | transmit_waits_for_dsr  | none: no termios flag gates output on DSR, so it is not enforced   |
// |                         | by the driver. The link checks DSR itself when it opens            |
// | dtr_on / rts_on         | TIOCMBIS / TIOCMBIC of TIOCM_DTR / TIOCM_RTS after tcsetattr       |
// | dsr_sensitivity         | none (the driver never drops bytes on DSR)                         |
// | xon_xoff_output         | IXON                                                               |
// | xon_xoff_input          | IXOFF                                                              |
// | strip_nul               | none: raw mode passes NUL bytes through                            |
// | abort_on_error          | none: an error never blocks later reads or writes                  |
// | (always)                | raw mode: no echo, no canonical input, no signals, no CR/LF        |
// |                         | translation, no output processing, 8-bit clean (no ISTRIP);        |
// |                         | CLOCAL|CREAD; VMIN=0 VTIME=0 (time-outs come from poll)            |
//
// Lines without modem control (ENOTTY/EINVAL from TIOCMBIS, e.g. pseudo terminals) keep their
// settings: the link's DSR probe decides whether a printer is there.

namespace platform {
namespace {

struct BaudEntry {
  uint32_t baud;
  speed_t speed;
};

constexpr BaudEntry kBauds[] = {
    {50, B50},           {75, B75},           {110, B110},         {134, B134},
    {150, B150},         {200, B200},         {300, B300},         {600, B600},
    {1200, B1200},       {1800, B1800},       {2400, B2400},       {4800, B4800},
    {9600, B9600},       {19200, B19200},     {38400, B38400},     {57600, B57600},
    {115200, B115200},   {230400, B230400},   {460800, B460800},   {500000, B500000},
    {576000, B576000},   {921600, B921600},   {1000000, B1000000}, {1152000, B1152000},
    {1500000, B1500000}, {2000000, B2000000}, {2500000, B2500000}, {3000000, B3000000},
    {3500000, B3500000}, {4000000, B4000000},
};

tcflag_t CharacterSize(uint8_t data_bits) {
  switch (data_bits) {
    case 5:
      return CS5;
    case 6:
      return CS6;
    case 7:
      return CS7;
    default:
      return CS8;
  }
}

}  // namespace

std::optional<speed_t> BaudToSpeed(uint32_t baud) {
  for (const BaudEntry& e : kBauds) {
    if (e.baud == baud) return e.speed;
  }
  return std::nullopt;
}

bool LineSettingsSupported(const LineSettings& settings) {
  return BaudToSpeed(settings.baud).has_value() && settings.data_bits >= 5 &&
         settings.data_bits <= 8;
}

termios ToTermios(const termios& current, const LineSettings& settings) {
  termios t = current;
  t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                      IXON | IXOFF | IXANY | INPCK | IGNPAR | IUCLC);
  t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  t.c_cflag &= ~static_cast<tcflag_t>(PARENB | PARODD | CSTOPB | CRTSCTS | CMSPAR);
  t.c_cflag |= CLOCAL | CREAD;
  if (settings.data_bits >= 5 && settings.data_bits <= 8) {
    t.c_cflag &= ~static_cast<tcflag_t>(CSIZE);
    t.c_cflag |= CharacterSize(settings.data_bits);
  }
  if (settings.parity == Parity::kOdd) t.c_cflag |= PARENB | PARODD;
  if (settings.parity == Parity::kEven) t.c_cflag |= PARENB;
  t.c_iflag |= IGNPAR;
  if (settings.stop_bits == StopBits::kTwo) t.c_cflag |= CSTOPB;
  if (settings.transmit_waits_for_cts) t.c_cflag |= CRTSCTS;
  if (settings.xon_xoff_output) t.c_iflag |= IXON;
  if (settings.xon_xoff_input) t.c_iflag |= IXOFF;
  t.c_cc[VMIN] = 0;
  t.c_cc[VTIME] = 0;
  if (const std::optional<speed_t> speed = BaudToSpeed(settings.baud)) {
    cfsetispeed(&t, *speed);
    cfsetospeed(&t, *speed);
  }
  return t;
}

ModemLines ToModemLines(const LineSettings& settings) {
  return ModemLines{settings.dtr_on, settings.rts_on};
}

bool PosixSerialPort::Fail() {
  last_cause_ = CauseFromErrno(errno);
  return false;
}

bool PosixSerialPort::Open(const std::string& device_path) {
  Close();
  // Non-blocking, so neither a missing carrier nor a full output buffer can block; poll supplies
  // the waiting.
  int fd;
  do {
    fd = ::open(device_path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  if (fd < 0) return Fail();
  UniqueFd owned(fd);
  // Not a terminal line (a file, a folder's device, /dev/urandom): isatty's errno may be EINVAL.
  if (!::isatty(fd)) {
    errno = ENOTTY;
    return Fail();
  }
  // Exclusive use: the advisory lock keeps out programs that honour it (and other instances),
  // TIOCEXCL refuses later opens of the tty by anyone without CAP_SYS_ADMIN.
  if (::flock(fd, LOCK_EX | LOCK_NB) != 0) return Fail();
  if (::ioctl(fd, TIOCEXCL) != 0) return Fail();
  fd_ = std::move(owned);
  timeouts_ = SerialTimeouts{};
  last_cause_ = FailureCause::kNone;
  return true;
}

bool PosixSerialPort::Configure(const LineSettings& settings) {
  if (!fd_.valid()) {
    errno = EBADF;
    return Fail();
  }
  // A setting the port cannot take is the user's to change, not a fault of the cable.
  const auto refused = [this] {
    last_cause_ = FailureCause::kLineRefused;
    return false;
  };
  if (!LineSettingsSupported(settings)) return refused();
  termios current{};
  if (::tcgetattr(fd_.get(), &current) != 0) return Fail();
  const termios wanted = ToTermios(current, settings);
  if (::tcsetattr(fd_.get(), TCSANOW, &wanted) != 0) return errno == EINVAL ? refused() : Fail();
  // tcsetattr succeeds when any part was applied; the rate is the part that must hold.
  termios applied{};
  if (::tcgetattr(fd_.get(), &applied) != 0) return Fail();
  if (cfgetospeed(&applied) != cfgetospeed(&wanted)) return refused();
  const ModemLines lines = ToModemLines(settings);
  const int on = (lines.dtr ? TIOCM_DTR : 0) | (lines.rts ? TIOCM_RTS : 0);
  const int off = (lines.dtr ? 0 : TIOCM_DTR) | (lines.rts ? 0 : TIOCM_RTS);
  for (const auto& [request, bits] : {std::pair{TIOCMBIS, on}, std::pair{TIOCMBIC, off}}) {
    if (bits == 0) continue;
    if (::ioctl(fd_.get(), request, &bits) != 0 && errno != ENOTTY && errno != EINVAL) {
      return Fail();
    }
  }
  return true;
}

bool PosixSerialPort::SetTimeouts(const SerialTimeouts& timeouts) {
  if (!fd_.valid()) {
    errno = EBADF;
    return Fail();
  }
  timeouts_ = timeouts;
  return true;
}

bool PosixSerialPort::Drain(uint32_t max_ms) {
  constexpr uint32_t kPollMs = 10;
  for (uint32_t waited = 0;; waited += kPollMs) {
    int queued = 0;
    // A device that cannot say (a pty says 0) has nothing we could wait for.
    if (!fd_.valid() || ::ioctl(fd_.get(), TIOCOUTQ, &queued) != 0 || queued <= 0) return true;
    if (waited >= max_ms) return false;
    clock_.Sleep(kPollMs);
  }
}

bool PosixSerialPort::Purge() {
  if (!fd_.valid()) {
    errno = EBADF;
    return Fail();
  }
  if (::tcflush(fd_.get(), TCIOFLUSH) != 0) return Fail();
  return true;
}

// Nothing on Linux waits for line events, so there is nothing to stop.
bool PosixSerialPort::ClearEventMask() { return true; }

bool PosixSerialPort::GetModemStatus(ModemStatus* status) {
  if (!fd_.valid()) {
    errno = EBADF;
    return Fail();
  }
  int bits = 0;
  if (::ioctl(fd_.get(), TIOCMGET, &bits) != 0) return Fail();
  status->dsr = (bits & TIOCM_DSR) != 0;
  status->cts = (bits & TIOCM_CTS) != 0;
  status->ring = (bits & TIOCM_RI) != 0;
  status->carrier = (bits & TIOCM_CD) != 0;
  return true;
}

size_t PosixSerialPort::Write(const uint8_t* data, size_t length) {
  if (!fd_.valid()) return 0;
  // A full driver buffer is waited out within the time-out (zero: none) and the stall limit.
  const uint64_t total =
      static_cast<uint64_t>(timeouts_.write_multiplier) * length + timeouts_.write_constant;
  const FdWriteResult result = WriteFd(fd_.get(), data, length, clock_, kStallLimitMs, total);
  // Running out of time with data left (ETIMEDOUT: unreachable) means the far end takes none:
  // the printer off, its handshake line down, a Bluetooth link gone quiet. A read's time-out is
  // a silent printer instead.
  if (result.error != 0) last_cause_ = CauseFromErrno(result.error);
  return result.written;
}

size_t PosixSerialPort::Read(uint8_t* buffer, size_t capacity) {
  if (!fd_.valid() || capacity == 0) return 0;
  const SerialTimeouts& t = timeouts_;
  const bool at_once = t.read_interval == SerialTimeouts::kReturnAtOnce && t.read_multiplier == 0 &&
                       t.read_constant == 0;
  uint64_t total = static_cast<uint64_t>(t.read_multiplier) * capacity + t.read_constant;
  if (total == 0) total = kStallLimitMs;  // "no time-out" still may not wait forever
  // A "return at once" interval with totals set leaves only the totals in force.
  const uint32_t interval = t.read_interval == SerialTimeouts::kReturnAtOnce ? 0 : t.read_interval;

  const uint32_t start = clock_.TickCount();
  size_t got = 0;
  bool polled_ready = false;
  while (got < capacity) {
    const ssize_t n = ::read(fd_.get(), buffer + got, capacity - got);
    if (n > 0) {
      got += static_cast<size_t>(n);
      polled_ready = false;
      continue;
    }
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && errno != EAGAIN) {
      Fail();
      break;
    }
    // With VMIN=0 VTIME=0 the line discipline reports "nothing buffered" as 0, not EAGAIN, so 0
    // alone is no hang-up; only a line that poll called readable and then gave nothing is gone
    // (an adapter pulled out, a Bluetooth link dropped): a failure of the device, not silence.
    if (n == 0 && polled_ready) {
      errno = EIO;
      Fail();
      break;
    }
    if (at_once) break;
    uint64_t wait = static_cast<uint64_t>(RemainingMs(clock_, start, total));
    if (wait == 0) break;
    // Once bytes flow, a gap longer than the interval ends the read.
    if (got > 0 && interval != 0) wait = std::min<uint64_t>(wait, interval);
    const int r = WaitForFd(fd_.get(), POLLIN, clock_, wait);
    if (r < 0) Fail();
    if (r <= 0) break;
    polled_ready = true;
  }
  return got;
}

void PosixSerialPort::Close() {
  if (!fd_.valid()) return;
  ::ioctl(fd_.get(), TIOCNXCL);
  fd_.Reset();
}

}  // namespace platform
