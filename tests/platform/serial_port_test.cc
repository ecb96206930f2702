#include <gtest/gtest.h>
#include <sys/ioctl.h>
#include <termios.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/devices/posix_serial_port.h"
#include "pty.h"
#include "temp_dir.h"

namespace platform {
namespace {

TEST(ToTermios, EveryStandardRateMapsToItsConstantAndOthersAreRefused) {
  const std::pair<uint32_t, speed_t> rates[] = {
      {1200, B1200},     {2400, B2400},     {4800, B4800},     {9600, B9600},
      {19200, B19200},   {38400, B38400},   {57600, B57600},   {115200, B115200},
      {230400, B230400}, {460800, B460800}, {921600, B921600},
  };
  termios current{};
  cfsetispeed(&current, B300);
  cfsetospeed(&current, B300);
  for (const auto& [baud, speed] : rates) {
    LineSettings s;
    s.baud = baud;
    const termios t = ToTermios(current, s);
    EXPECT_EQ(cfgetospeed(&t), speed) << baud;
    EXPECT_EQ(cfgetispeed(&t), speed) << baud;
    EXPECT_TRUE(LineSettingsSupported(s)) << baud;
  }
  for (const uint32_t baud : {0u, 1u, 12345u, 14400u, 128000u, 256000u}) {
    LineSettings s;
    s.baud = baud;
    EXPECT_FALSE(LineSettingsSupported(s)) << baud;
    const termios t = ToTermios(current, s);
    EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B300)) << baud;
  }
  for (const uint8_t bits : {0, 4, 9}) {
    LineSettings s;
    s.data_bits = bits;
    EXPECT_FALSE(LineSettingsSupported(s)) << int{bits};
  }
}

TEST(ToTermios, LineSettingsMapToTheFlagTable) {
  struct Case {
    const char* what;
    void (*change)(LineSettings&);
    tcflag_t cflag_on, cflag_off, iflag_on, iflag_off;
  };
  const Case cases[] = {
      {"defaults: 8N1, no handshake", [](LineSettings&) {}, CS8 | CLOCAL | CREAD,
       PARENB | PARODD | CSTOPB | CRTSCTS, IGNPAR, INPCK | IXON | IXOFF},
      // A byte with a bad parity bit must reach the reader unchanged: INPCK would drop it or turn
      // it into 00h, the end of a reply.
      {"odd parity, checked",
       [](LineSettings& s) {
         s.parity = Parity::kOdd;
         s.check_received_parity = true;
       },
       PARENB | PARODD, 0, 0, INPCK | PARMRK},
      {"even parity, not checked", [](LineSettings& s) { s.parity = Parity::kEven; }, PARENB,
       PARODD, IGNPAR, INPCK},
      {"two stop bits", [](LineSettings& s) { s.stop_bits = StopBits::kTwo; }, CSTOPB, 0, 0, 0},
      {"CTS gates transmit", [](LineSettings& s) { s.transmit_waits_for_cts = true; }, CRTSCTS, 0,
       0, 0},
      {"DSR gate has no flag", [](LineSettings& s) { s.transmit_waits_for_dsr = true; }, 0, CRTSCTS,
       0, IXON | IXOFF},
      {"XON/XOFF out", [](LineSettings& s) { s.xon_xoff_output = true; }, 0, 0, IXON, IXOFF},
      {"XON/XOFF in", [](LineSettings& s) { s.xon_xoff_input = true; }, 0, 0, IXOFF, IXON},
      {"7 data bits", [](LineSettings& s) { s.data_bits = 7; }, CS7, CS8 & ~CS7, 0, 0},
      {"5 data bits", [](LineSettings& s) { s.data_bits = 5; }, 0, CSIZE, 0, 0},
  };
  // Start from a cooked terminal with every flag the mapping must clear.
  termios cooked{};
  cooked.c_iflag = ICRNL | INLCR | IGNCR | ISTRIP | IXANY | IXON | IXOFF | BRKINT | PARMRK | INPCK;
  cooked.c_oflag = OPOST | ONLCR;
  cooked.c_lflag = ICANON | ECHO | ECHOE | ECHONL | ISIG | IEXTEN;
  cooked.c_cflag = CS7 | PARENB | PARODD | CSTOPB | CRTSCTS | HUPCL;
  cooked.c_cc[VMIN] = 1;
  cooked.c_cc[VTIME] = 5;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    LineSettings s;
    c.change(s);
    const termios t = ToTermios(cooked, s);
    EXPECT_EQ(t.c_cflag & c.cflag_on, c.cflag_on);
    EXPECT_EQ(t.c_cflag & c.cflag_off, 0u);
    EXPECT_EQ(t.c_iflag & c.iflag_on, c.iflag_on);
    EXPECT_EQ(t.c_iflag & c.iflag_off, 0u);
    // Always raw, whatever the settings.
    EXPECT_EQ(t.c_lflag & (ICANON | ECHO | ECHONL | ISIG | IEXTEN), 0u);
    EXPECT_EQ(t.c_iflag & (ICRNL | INLCR | IGNCR | ISTRIP | IXANY | BRKINT | PARMRK), 0u);
    EXPECT_EQ(t.c_oflag & OPOST, 0u);
    EXPECT_EQ(t.c_cflag & (CLOCAL | CREAD), CLOCAL | CREAD);
    EXPECT_EQ(t.c_cc[VMIN], 0);
    EXPECT_EQ(t.c_cc[VTIME], 0);
  }
  LineSettings s;
  s.data_bits = 5;
  EXPECT_EQ(ToTermios(cooked, s).c_cflag & CSIZE, static_cast<tcflag_t>(CS5));
  s.data_bits = 6;
  EXPECT_EQ(ToTermios(cooked, s).c_cflag & CSIZE, static_cast<tcflag_t>(CS6));

  s.dtr_on = true;
  s.rts_on = false;
  EXPECT_EQ(ToModemLines(s), (ModemLines{true, false}));
  s.dtr_on = false;
  s.rts_on = true;
  EXPECT_EQ(ToModemLines(s), (ModemLines{false, true}));
}

using Millis = std::chrono::milliseconds;

// A read that must not wait returns well within this, even on a loaded machine under sanitizers;
// the waits it must not make (the time-outs set in these tests) are all longer.
constexpr long kAtOnceMs = 500;

long ElapsedMs(std::chrono::steady_clock::time_point since) {
  return static_cast<long>(
      std::chrono::duration_cast<Millis>(std::chrono::steady_clock::now() - since).count());
}

// The backend against a pseudo terminal: real descriptors, real time-outs (each well under a
// second).
class SerialPortOnPty : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(pty_.ok());
    ASSERT_TRUE(port_.Open(pty_.slave_path()));
  }
  size_t ReadString(std::string* out, size_t capacity) {
    std::vector<uint8_t> buf(capacity);
    const size_t n = port_.Read(buf.data(), capacity);
    out->assign(buf.begin(), buf.begin() + static_cast<long>(n));
    return n;
  }

  platform_test::Pty pty_;
  PosixSerialPort port_;
};

TEST_F(SerialPortOnPty, OpenIsExclusiveAndRefusesWhatIsNoSerialLine) {
  PosixSerialPort second;
  EXPECT_FALSE(second.Open(pty_.slave_path()));
  port_.Close();
  EXPECT_TRUE(second.Open(pty_.slave_path()));  // free again after close

  platform_test::TempDir dir;
  platform_test::WriteFile(dir.File("plain"), "x");
  PosixSerialPort other;
  EXPECT_FALSE(other.Open(dir.File("plain")));
  EXPECT_FALSE(other.Open(dir.File("missing")));
  EXPECT_FALSE(other.Configure(LineSettings{}));  // not open
  EXPECT_EQ(other.Read(nullptr, 0), 0u);
}

TEST_F(SerialPortOnPty, ConfigureAppliesRawSettingsAndPassesEveryByte) {
  LineSettings s;
  s.baud = 9600;
  s.stop_bits = StopBits::kTwo;
  ASSERT_TRUE(port_.Configure(s));
  termios t{};
  ASSERT_EQ(::tcgetattr(pty_.master(), &t), 0);
  EXPECT_EQ(cfgetospeed(&t), static_cast<speed_t>(B9600));
  EXPECT_EQ(t.c_lflag & ICANON, 0u);
  s.baud = 12345;
  EXPECT_FALSE(port_.Configure(s));

  const std::string bytes("\r\n\x00\x11\x13\xff", 6);  // CR, LF, NUL, XON, XOFF stay as they are
  ASSERT_EQ(port_.Write(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size()), 6u);
  EXPECT_EQ(pty_.Receive(), bytes);
  pty_.Send(bytes);
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{0, 0, 300, 0, 0}));
  std::string got;
  EXPECT_EQ(ReadString(&got, 6), 6u);
  EXPECT_EQ(got, bytes);
}

TEST_F(SerialPortOnPty, ReadReturnsAtOnceWithWhatIsBuffered) {
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{SerialTimeouts::kReturnAtOnce, 0, 0, 0, 0}));
  std::string got;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 16), 0u);
  EXPECT_LT(ElapsedMs(start), kAtOnceMs);

  // The bytes take a moment to cross the pseudo terminal (longer on a loaded machine): poll with
  // reads that must each return at once, until they come or two seconds pass.
  pty_.Send("abc");
  const auto sent = std::chrono::steady_clock::now();
  size_t n = 0;
  while (n == 0 && ElapsedMs(sent) < 2000) {
    start = std::chrono::steady_clock::now();
    n = ReadString(&got, 16);
    EXPECT_LT(ElapsedMs(start), kAtOnceMs);
    if (n == 0) ::usleep(5000);
  }
  EXPECT_EQ(n, 3u);
  EXPECT_EQ(got, "abc");
}

TEST_F(SerialPortOnPty, ReadWaitsForTheTotalTimeOutThenGivesUp) {
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{0, 0, 200, 0, 0}));
  std::string got;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 16), 0u);
  const long elapsed = ElapsedMs(start);
  EXPECT_GE(elapsed, 190);
  EXPECT_LT(elapsed, 1000);
}

// Configure leaves the line at VMIN=0 VTIME=0, where an empty read says "nothing" with 0 instead
// of EAGAIN; a read with time-outs must still wait for them, and still take a late reply.
TEST_F(SerialPortOnPty, ConfiguredReadStillWaitsForItsTimeOut) {
  ASSERT_TRUE(port_.Configure(LineSettings{}));
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{0, 0, 200, 0, 0}));
  std::string got;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 16), 0u);
  long elapsed = ElapsedMs(start);
  EXPECT_GE(elapsed, 190);
  EXPECT_LT(elapsed, 1000);

  // The handheld's working time-outs: a reply that comes after a while is still read.
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{10, 10, 1000, 1000, 1000}));
  std::thread late([this] {
    ::usleep(150000);
    pty_.Send("late");
  });
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 16), 4u);
  late.join();
  EXPECT_EQ(got, "late");
  elapsed = ElapsedMs(start);
  EXPECT_GE(elapsed, 140);
  EXPECT_LT(elapsed, 1000);

  // "Return at once" stays at once on a configured line.
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{SerialTimeouts::kReturnAtOnce, 0, 0, 0, 0}));
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 16), 0u);
  EXPECT_LT(ElapsedMs(start), kAtOnceMs);  // not the 1 s total set before
}

TEST_F(SerialPortOnPty, ReadEndsAtAGapLongerThanTheIntervalOrWhenFull) {
  // interval 50 ms, total 10 * 16 + 2000 ms: two bytes then silence ends the read at the gap.
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{50, 10, 2000, 0, 0}));
  pty_.Send("hi");
  std::string got;
  auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 16), 2u);
  EXPECT_EQ(got, "hi");
  EXPECT_LT(ElapsedMs(start), 1000);

  pty_.Send("0123456789");
  start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 4), 4u);  // full: no waiting at all
  EXPECT_EQ(got, "0123");
  EXPECT_LT(ElapsedMs(start), kAtOnceMs);  // not the 2 s total
}

TEST_F(SerialPortOnPty, PurgeDiscardsWhatWasReceived) {
  pty_.Send("stale reply");
  ::usleep(200000);  // let the bytes cross the pseudo terminal before the purge
  ASSERT_TRUE(port_.Purge());
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{SerialTimeouts::kReturnAtOnce, 0, 0, 0, 0}));
  std::string got;
  EXPECT_EQ(ReadString(&got, 16), 0u);
}

TEST_F(SerialPortOnPty, WriteGivesUpAtTheTimeOutWhenTheLineTakesNothing) {
  // The far end never reads, so the pseudo terminal's buffers fill up and stay full.
  ASSERT_TRUE(port_.SetTimeouts(SerialTimeouts{0, 0, 0, 0, 200}));
  const std::vector<uint8_t> data(1 << 20, 'x');
  const auto start = std::chrono::steady_clock::now();
  const size_t written = port_.Write(data.data(), data.size());
  const long elapsed = ElapsedMs(start);
  EXPECT_LT(written, data.size());
  EXPECT_GE(elapsed, 190);
  EXPECT_LT(elapsed, 2000);
  // Told apart from a printer that takes the data and stays silent.
  EXPECT_EQ(port_.LastCause(), FailureCause::kUnreachable);
}

// A line that goes away (an adapter pulled out, a Bluetooth link dropped) is a device failure at
// once, not a silent printer waited out to the read's time limit.
TEST_F(SerialPortOnPty, ALineThatHangsUpFailsTheReadAtOnce) {
  ASSERT_TRUE(port_.SetTimeouts({.read_constant = 3000}));
  pty_.Send("ab");
  std::string got;
  EXPECT_EQ(ReadString(&got, 2), 2u);
  EXPECT_EQ(port_.LastCause(), FailureCause::kNone);
  pty_.HangUp();
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(ReadString(&got, 8), 0u);
  EXPECT_LT(ElapsedMs(start), 1000);
  EXPECT_EQ(port_.LastCause(), FailureCause::kIoError);
}

}  // namespace
}  // namespace platform
