// The floor of a fleet run on this machine: N conversations over loopback TCP shaped like the
// two-switch `pelliset settings set` of fleet.sh at printer-sim (a connect, ten small sends, five
// small replies, a close), with nothing else: no protocol, no printer model; the client side and
// the server side each two processes (a loop a CPU, as pelliset runs) with one epoll and one timer
// queue. What pelliset and printer-sim spend above these figures is their own.
//
//   c++ -O2 -std=c++20 tools/bench/loopback_floor.cc -o /tmp/loopback_floor
//   ulimit -n 20000; /tmp/loopback_floor 10000 12000          # N, first of N free ports
//   /tmp/loopback_floor --paced 1 12000; /tmp/loopback_floor --paced 10000 12000
//
// Without --paced every send and reply follows the last at once: the CPU both sides need. With
// --paced the client waits as pelliset does between commands and the server answers after the
// printer's delays (the times a one-key set takes, 1.7 s in all), so the wall time of N against 1
// is the best fleet ratio this machine allows for that work: the pauses make the kernel send
// acknowledgements of their own, and all N printers start at once.
//
// Give ports below the ephemeral range (/proc/sys/net/ipv4/ip_local_port_range), or outgoing
// connections may hold some of them.
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/epoll.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <queue>
#include <utility>
#include <vector>

namespace {

// One command: the client waits `pause_ms` after the last event (the connect, the reply, or its
// own last send), sends `bytes`, and when `reply_bytes` > 0 the server answers after
// `reply_delay_ms` and the client waits for it. Read off a one-key set against printer-sim.
struct Step {
  int pause_ms;
  int bytes;
  int reply_bytes;
  int reply_delay_ms;
};
constexpr Step kSteps[] = {
    {10, 3, 10, 5}, {20, 3, 25, 5}, {20, 7, 11, 150}, {30, 7, 11, 150}, {130, 8, 3, 150},
    {20, 6, 0, 0},  {510, 9, 0, 0}, {10, 6, 0, 0},    {510, 9, 0, 0},   {10, 9, 0, 0},
};
constexpr int kStepCount = static_cast<int>(sizeof kSteps / sizeof kSteps[0]);
const char kBytes[64] = {};

bool paced = false;

int PauseMs(int step) { return paced ? kSteps[step].pause_ms : 0; }
int ReplyDelayMs(int step) { return paced ? kSteps[step].reply_delay_ms : 0; }

double CpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
}

int64_t NowMs() {
  return std::chrono::duration_cast<std::chrono::milliseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Things due at a time, earliest first: (due ms, what).
using Timers = std::priority_queue<std::pair<int64_t, int>, std::vector<std::pair<int64_t, int>>,
                                   std::greater<>>;

// The epoll wait until the next timer (ten seconds with none, which ends a run gone wrong).
int WaitMs(const Timers& timers) {
  if (timers.empty()) return 10000;
  return static_cast<int>(std::max<int64_t>(0, timers.top().first - NowMs()));
}

sockaddr_in Loopback(int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  return a;
}

void Watch(int epoll, int fd, uint32_t events, uint64_t data, int op = EPOLL_CTL_ADD) {
  epoll_event e{};
  e.events = events;
  e.data.u64 = data;
  epoll_ctl(epoll, op, fd, &e);
}

// N listeners; each client's commands get their replies. Ends when every client left.
void Serve(int n, int first_port, int ready_fd) {
  const int epoll = epoll_create1(0);
  constexpr uint64_t kClient = uint64_t{1} << 32;
  struct Client {
    int step = 0;
    int pending = 0;  // bytes of the current command received so far
  };
  std::vector<Client> clients(65536);
  for (int i = 0; i < n; ++i) {
    const int l = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int one = 1;
    setsockopt(l, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
    const sockaddr_in a = Loopback(first_port + i);
    if (bind(l, reinterpret_cast<const sockaddr*>(&a), sizeof a) != 0 || listen(l, 4) != 0) {
      perror("bind");
      _exit(1);
    }
    Watch(epoll, l, EPOLLIN, static_cast<uint64_t>(l));
  }
  const double start = CpuSeconds();
  [[maybe_unused]] const ssize_t w = write(ready_fd, "r", 1);
  close(ready_fd);  // the last server to close it ends the wait of one that failed
  Timers replies;   // (due, client fd): a reply to send
  int left = n;
  epoll_event events[256];
  while (left > 0) {
    const int k = epoll_wait(epoll, events, 256, WaitMs(replies));
    if (k < 0 || (k == 0 && replies.empty())) break;  // ten silent seconds: gone wrong
    for (int j = 0; j < k; ++j) {
      const int fd = static_cast<int>(events[j].data.u64 & 0xFFFFFFFF);
      if ((events[j].data.u64 & kClient) == 0) {
        const int c = accept4(fd, nullptr, nullptr, SOCK_NONBLOCK);
        if (c < 0) continue;
        const int one = 1;
        setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        clients[static_cast<size_t>(c)] = Client{};
        Watch(epoll, c, EPOLLIN, kClient | static_cast<uint64_t>(c));
        continue;
      }
      char buffer[256];
      const ssize_t r = recv(fd, buffer, sizeof buffer, 0);
      if (r == 0) {
        close(fd);
        --left;
        continue;
      }
      Client& c = clients[static_cast<size_t>(fd)];
      for (c.pending += static_cast<int>(std::max<ssize_t>(r, 0));
           c.step < kStepCount && c.pending >= kSteps[c.step].bytes; ++c.step) {
        c.pending -= kSteps[c.step].bytes;
        if (kSteps[c.step].reply_bytes > 0) replies.emplace(NowMs() + ReplyDelayMs(c.step), fd);
      }
    }
    for (const int64_t now = NowMs(); !replies.empty() && replies.top().first <= now;) {
      const int fd = replies.top().second;
      replies.pop();
      // The step before the client's current one asked for it: the client waits for it.
      const int asked = clients[static_cast<size_t>(fd)].step - 1;
      send(fd, kBytes, static_cast<size_t>(kSteps[asked].reply_bytes), MSG_NOSIGNAL);
    }
  }
  std::fprintf(stderr, "server: %.2f s of CPU\n", CpuSeconds() - start);
}

// N conversations with the listeners from first_port on. True when every one ended.
bool Talk(int n, int first_port) {
  const double start = CpuSeconds();
  const int epoll = epoll_create1(0);
  struct Conversation {
    int fd = -1;
    int step = 0;
    int received = 0;  // bytes of the current reply
  };
  std::vector<Conversation> all(static_cast<size_t>(n));
  // A few hundred connects at a time: ten thousand SYNs in one go overflowed the kernel's loopback
  // queue here (net.core.netdev_max_backlog), and a dropped SYN is sent again a second later.
  constexpr int kConnectsAtOnce = 256;
  int connecting = 0;
  int started = 0;
  auto connect_more = [&] {
    for (; started < n && connecting < kConnectsAtOnce; ++started, ++connecting) {
      const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      const int one = 1;
      setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
      const sockaddr_in a = Loopback(first_port + started);
      connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a);
      all[static_cast<size_t>(started)].fd = s;
      Watch(epoll, s, EPOLLOUT, static_cast<uint64_t>(started));
    }
  };
  connect_more();
  Timers sends;  // (due, conversation): its next command
  int done = 0;
  // The current step's reply is in, or it needs none: on to the next, or the close.
  auto next = [&](int i) {
    Conversation& c = all[static_cast<size_t>(i)];
    if (++c.step < kStepCount) {
      sends.emplace(NowMs() + PauseMs(c.step), i);
    } else {
      close(c.fd);
      c.fd = -1;
      ++done;
    }
  };
  epoll_event events[256];
  while (done < n) {
    const int k = epoll_wait(epoll, events, 256, WaitMs(sends));
    if (k < 0 || (k == 0 && sends.empty())) break;  // ten silent seconds: gone wrong
    for (int j = 0; j < k; ++j) {
      const int i = static_cast<int>(events[j].data.u64);
      Conversation& c = all[static_cast<size_t>(i)];
      if (events[j].events & EPOLLOUT) {  // connected
        Watch(epoll, c.fd, EPOLLIN, events[j].data.u64, EPOLL_CTL_MOD);
        sends.emplace(NowMs() + PauseMs(0), i);
        --connecting;
        connect_more();
        continue;
      }
      char buffer[256];
      const ssize_t r = recv(c.fd, buffer, sizeof buffer, 0);
      if (r <= 0) continue;
      c.received += static_cast<int>(r);
      if (c.received >= kSteps[c.step].reply_bytes) {
        c.received = 0;
        next(i);
      }
    }
    for (const int64_t now = NowMs(); !sends.empty() && sends.top().first <= now;) {
      const int i = sends.top().second;
      sends.pop();
      Conversation& c = all[static_cast<size_t>(i)];
      send(c.fd, kBytes, static_cast<size_t>(kSteps[c.step].bytes), MSG_NOSIGNAL);
      if (kSteps[c.step].reply_bytes == 0) next(i);
    }
  }
  std::fprintf(stderr, "client: %.2f s of CPU; %d of %d conversations\n", CpuSeconds() - start,
               done, n);
  return done == n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "--paced") == 0) {
    paced = true;
    --argc;
    ++argv;
  }
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s [--paced] N FIRST_PORT\n", argv[0]);
    return 2;
  }
  const int n = std::atoi(argv[1]);
  const int first_port = std::atoi(argv[2]);
  int ready[2];
  if (n < 1 || n > 30000 || first_port < 1024 || first_port + n > 65536 || pipe(ready) != 0) {
    return 2;
  }
  // Two server processes and two client processes, half the printers each, as pelliset works
  // with a loop a CPU; and one process cannot hold ten thousand listeners and their clients in
  // the usual 20,000 open files.
  const int halves[2] = {n - n / 2, n / 2};
  pid_t servers[2] = {-1, -1};
  for (int h = 0; h < 2; ++h) {
    if (halves[h] == 0) continue;
    servers[h] = fork();
    if (servers[h] == 0) {
      Serve(halves[h], first_port + (h == 0 ? 0 : halves[0]), ready[1]);
      _exit(0);
    }
  }
  close(ready[1]);  // a server that fails ends the wait
  auto wait_servers = [&] {
    for (const pid_t server : servers) {
      if (server > 0) waitpid(server, nullptr, 0);
    }
  };
  char byte = 0;
  for (const pid_t server : servers) {
    if (server > 0 && read(ready[0], &byte, 1) != 1) {
      wait_servers();
      return 1;
    }
  }
  const int64_t wall_start = NowMs();
  pid_t clients[2] = {-1, -1};
  for (int h = 0; h < 2; ++h) {
    if (halves[h] == 0) continue;
    clients[h] = fork();
    if (clients[h] == 0) _exit(Talk(halves[h], first_port + (h == 0 ? 0 : halves[0])) ? 0 : 1);
  }
  bool ok = true;
  for (const pid_t client : clients) {
    int status = 0;
    if (client > 0 && (waitpid(client, &status, 0) != client || status != 0)) ok = false;
  }
  std::fprintf(stderr, "%d conversations in %.2f s%s\n", n,
               static_cast<double>(NowMs() - wall_start) / 1000, ok ? "" : ", not all ended");
  wait_servers();
  return ok ? 0 : 1;
}
