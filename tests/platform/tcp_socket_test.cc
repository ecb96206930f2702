#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/devices/host_resolver.h"
#include "platform/devices/posix_tcp_socket.h"
#include "platform/system/clock.h"
#include "platform/system/fiber_loop.h"
#include "platform/system/unique_fd.h"

namespace platform {
namespace {

// A listening socket on 127.0.0.1 with a port the system picked.
class Listener {
 public:
  explicit Listener(int backlog = 4) {
    fd_.Reset(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (::bind(fd_.get(), reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 ||
        ::listen(fd_.get(), backlog) != 0 ||
        ::getsockname(fd_.get(), reinterpret_cast<sockaddr*>(&a), &size) != 0) {
      fd_.Reset();
      return;
    }
    port_ = ntohs(a.sin_port);
  }
  bool ok() const { return fd_.valid(); }
  uint16_t port() const { return port_; }
  UniqueFd Accept() const { return UniqueFd(::accept4(fd_.get(), nullptr, nullptr, SOCK_CLOEXEC)); }
  void Stop() { fd_.Reset(); }

 private:
  UniqueFd fd_;
  uint16_t port_ = 0;
};

long ElapsedMs(std::chrono::steady_clock::time_point since) {
  return static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                               std::chrono::steady_clock::now() - since)
                               .count());
}

TEST(PosixTcpSocket, SendsAndReceivesOverALocalConnection) {
  Listener listener;
  ASSERT_TRUE(listener.ok());
  PosixTcpSocket socket;
  ASSERT_TRUE(socket.Connect("127.0.0.1", listener.port()));
  UniqueFd peer = listener.Accept();
  ASSERT_TRUE(peer.valid());

  const uint8_t query[] = {0x1D, 0x49, 0x43};
  EXPECT_EQ(socket.Send(query, sizeof query), 3);
  uint8_t got[16] = {};
  ASSERT_EQ(::recv(peer.get(), got, sizeof got, 0), 3);
  EXPECT_EQ(got[2], 0x43);

  ASSERT_EQ(::send(peer.get(), "_TMQ\0", 5, 0), 5);
  uint8_t reply[16] = {};
  EXPECT_EQ(socket.Receive(reply, sizeof reply), 5);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(reply), 4), "_TMQ");

  peer.Reset();  // the printer closes: a receive reports 0 at once
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.Receive(reply, sizeof reply), 0);
  EXPECT_LT(ElapsedMs(start), 500);
  // Sending to a closed peer fails (soon) instead of raising SIGPIPE and ending the program,
  // and the cause is the printer's close, not a fault of the cable.
  int result = 0;
  for (int i = 0; i < 50 && result >= 0; ++i) {
    result = socket.Send(query, sizeof query);
    ::usleep(2000);
  }
  EXPECT_EQ(result, -1);
  EXPECT_EQ(socket.LastCause(), FailureCause::kClosedByPrinter);
}

// Counts its calls; a call made while the hook runs (it sleeps too) would be a re-entry.
class CountingHook : public IdleHook {
 public:
  explicit CountingHook(Clock& clock) : clock_(clock) {}
  void OnIdle() override {
    ++calls;
    clock_.Sleep(1);
  }
  int calls = 0;

 private:
  Clock& clock_;
};

// A printer's close shows without reading what it sent; a quiet or talking one is no close. Run
// on this thread and as a task of a fiber loop, whose waits go through epoll.
TEST(PosixTcpSocket, PeerClosedSeesTheCloseButNotAQuietOrTalkingPeer) {
  for (const bool in_fiber_loop : {false, true}) {
    SCOPED_TRACE(in_fiber_loop);
    Listener listener;
    ASSERT_TRUE(listener.ok());
    RealClock clock;
    PosixTcpSocket socket(clock, 2000);
    ASSERT_TRUE(socket.Connect("127.0.0.1", listener.port()));
    UniqueFd peer = listener.Accept();
    ASSERT_TRUE(peer.valid());
    std::vector<bool> seen;
    auto check = [&] {
      seen.push_back(socket.PeerClosed(20));
      ASSERT_EQ(::write(peer.get(), "x", 1), 1);
      seen.push_back(socket.PeerClosed(20));
      peer.Reset();
      seen.push_back(socket.PeerClosed(1000));
    };
    if (in_fiber_loop) {
      FiberLoop loop(64 << 10);
      std::string error;
      ASSERT_TRUE(loop.Spawn(check, &error)) << error;
      loop.Run();
    } else {
      check();
    }
    EXPECT_EQ(seen, (std::vector<bool>{false, false, true}));
    uint8_t byte = 0;
    EXPECT_EQ(socket.Receive(&byte, 1), 1);  // what it sent is still there to read
  }
}

// Takes about kReceiveTimeoutMs (half a second) of real time.
TEST(PosixTcpSocket, SilentPeerMakesReceiveReturnZeroAfterTheTimeOutCallingTheIdleHook) {
  Listener listener;
  ASSERT_TRUE(listener.ok());
  RealClock clock;
  CountingHook hook(clock);
  clock.SetIdleHook(&hook);
  PosixTcpSocket socket(clock, 2000);
  ASSERT_TRUE(socket.Connect("127.0.0.1", listener.port()));
  UniqueFd peer = listener.Accept();
  uint8_t buf[8];
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(socket.Receive(buf, sizeof buf), 0);
  const long elapsed = ElapsedMs(start);
  EXPECT_GE(elapsed, static_cast<long>(TcpSocket::kReceiveTimeoutMs) - 100);
  EXPECT_LT(elapsed, static_cast<long>(TcpSocket::kReceiveTimeoutMs) + 1500);
  // One call per 50 ms slice of the 500 ms wait.
  EXPECT_GE(hook.calls, 5);  // fewer when a loaded machine stretches the slices
  EXPECT_LE(hook.calls, 10);
}

TEST(VirtualClock, SleepCallsTheIdleHookOncePerSliceAndOnlyWhileInstalled) {
  VirtualClock clock;
  CountingHook hook(clock);
  clock.SetIdleHook(&hook);
  clock.Sleep(120);  // slices of 50, 50 and 20 ms, plus the hook's own 1 ms each
  EXPECT_EQ(hook.calls, 3);
  EXPECT_EQ(clock.NowMs(), 123u);
  clock.SetIdleHook(nullptr);
  clock.Sleep(500);
  EXPECT_EQ(hook.calls, 3);
}

TEST(PosixTcpSocket, ConnectFailsOnBadAddressesAndRefusedPorts) {
  Listener listener;
  ASSERT_TRUE(listener.ok());
  PosixTcpSocket socket;
  for (const char* bad : {"", "localhost", "10.1", "127.0.0.256", "127.0.0.1 ", " 127.0.0.1",
                          "1.2.3.4.5", "[::1]", "::g", "127.0.0.01"}) {
    EXPECT_FALSE(socket.Connect(bad, listener.port())) << '"' << bad << '"';
  }
  // "Any address" would reach the listener here; no printer has it.
  for (const char* any : {"0.0.0.0", "::", "::ffff:0.0.0.0"}) {
    EXPECT_FALSE(socket.Connect(any, listener.port())) << any;
    EXPECT_EQ(socket.LastCause(), platform::FailureCause::kUnreachable) << any;
  }
  const uint16_t port = listener.port();
  listener.Stop();  // nobody listens there any more
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(socket.Connect("127.0.0.1", port));
  EXPECT_LT(ElapsedMs(start), 1000);
  uint8_t b = 0;
  EXPECT_EQ(socket.Send(&b, 1), -1);  // never connected: a failure, not a crash
  EXPECT_EQ(socket.Receive(&b, 1), -1);
}

// A name service that never answers: the lookup is given up at the bound, not waited for.
TEST(SystemHostResolver, GivesUpOnASilentNameService) {
  struct Gate {
    std::mutex mutex;
    std::condition_variable opened;
    bool open = false;
  };
  auto gate = std::make_shared<Gate>();
  SystemHostResolver silent(/*timeout_ms=*/100, [gate](const std::string&) {
    std::unique_lock<std::mutex> lock(gate->mutex);
    gate->opened.wait(lock, [&] { return gate->open; });
    return HostLookup{{"192.0.2.1"}, ""};
  });
  const auto start = std::chrono::steady_clock::now();
  const HostLookup stuck = silent.Resolve("till-3.shop.example");
  EXPECT_LT(ElapsedMs(start), 1000);
  EXPECT_TRUE(stuck.addresses.empty());
  EXPECT_EQ(stuck.error, "no answer from the name service within 100 ms");
  {
    const std::lock_guard<std::mutex> lock(gate->mutex);
    gate->open = true;
  }
  gate->opened.notify_all();
}

// A listener whose accept queue is full drops new connection attempts, like an address where
// nothing answers: the connect must give up after its own time-out.
TEST(PosixTcpSocket, ConnectGivesUpWhenNothingAnswers) {
  Listener listener(/*backlog=*/0);
  ASSERT_TRUE(listener.ok());
  std::vector<UniqueFd> fillers;
  for (int i = 0; i < 4; ++i) {
    fillers.emplace_back(::socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(listener.port());
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    (void)::connect(fillers.back().get(), reinterpret_cast<sockaddr*>(&a), sizeof a);
  }
  ::usleep(100000);
  PosixTcpSocket socket(/*connect_timeout_ms=*/300);
  const auto start = std::chrono::steady_clock::now();
  const bool connected = socket.Connect("127.0.0.1", listener.port());
  const long elapsed = ElapsedMs(start);
  if (connected) GTEST_SKIP() << "this kernel accepted beyond the backlog";
  EXPECT_GE(elapsed, 250);
  EXPECT_LT(elapsed, 2000);
  EXPECT_EQ(socket.LastCause(), FailureCause::kUnreachable);
}

}  // namespace
}  // namespace platform
