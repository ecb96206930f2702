// The CPU floor of a fleet run on this machine: N conversations over loopback TCP shaped like a
// one-key `pelliset settings set` (a connect, ten small sends from the client in pairs, a small
// reply to each pair, a close), with no pauses and no protocol, the client and the server each a
// process with one epoll. What pelliset and printer-sim spend above these figures is their own.
//
//   c++ -O2 -std=c++20 tools/bench/loopback_floor.cc -o /tmp/loopback_floor
//   ulimit -n 20000; /tmp/loopback_floor 10000 12000   # N, first of N free ports
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

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

constexpr int kPairs = 5;  // ten sends, five replies
constexpr char kCommand[] = "command!";
constexpr char kReply[] = "reply-reply-repl";
constexpr ssize_t kCommandBytes = sizeof kCommand - 1;
constexpr ssize_t kReplyBytes = sizeof kReply - 1;

double CpuSeconds() {
  rusage r{};
  getrusage(RUSAGE_SELF, &r);
  return static_cast<double>(r.ru_utime.tv_sec + r.ru_stime.tv_sec) +
         static_cast<double>(r.ru_utime.tv_usec + r.ru_stime.tv_usec) / 1e6;
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

// N listeners; each client's pairs of commands get a reply each. Ends when every client left.
void Serve(int n, int first_port, int ready_fd) {
  const int epoll = epoll_create1(0);
  constexpr uint64_t kClient = uint64_t{1} << 32;
  std::vector<ssize_t> pending(65536, 0);
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
  int left = n;
  epoll_event events[256];
  while (left > 0) {
    const int k = epoll_wait(epoll, events, 256, 10000);
    if (k <= 0) break;
    for (int j = 0; j < k; ++j) {
      const int fd = static_cast<int>(events[j].data.u64 & 0xFFFFFFFF);
      if ((events[j].data.u64 & kClient) == 0) {
        const int c = accept4(fd, nullptr, nullptr, SOCK_NONBLOCK);
        if (c < 0) continue;
        const int one = 1;
        setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
        Watch(epoll, c, EPOLLIN, kClient | static_cast<uint64_t>(c));
        continue;
      }
      char buffer[256];
      const ssize_t r = recv(fd, buffer, sizeof buffer, 0);
      if (r == 0) {
        close(fd);
        --left;
      } else if (r > 0) {
        for (pending[fd] += r; pending[fd] >= 2 * kCommandBytes; pending[fd] -= 2 * kCommandBytes) {
          send(fd, kReply, kReplyBytes, 0);
        }
      }
    }
  }
  std::fprintf(stderr, "server: %.2f s of CPU\n", CpuSeconds() - start);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: %s N FIRST_PORT\n", argv[0]);
    return 2;
  }
  const int n = std::atoi(argv[1]);
  const int first_port = std::atoi(argv[2]);
  int ready[2];
  if (n < 1 || n > 30000 || first_port < 1024 || first_port + n > 65536 || pipe(ready) != 0) {
    return 2;
  }
  const pid_t server = fork();
  if (server == 0) {
    Serve(n, first_port, ready[1]);
    _exit(0);
  }
  close(ready[1]);  // a server that fails ends the wait
  char byte = 0;
  if (read(ready[0], &byte, 1) != 1) {
    waitpid(server, nullptr, 0);
    return 1;
  }
  const auto wall_start = std::chrono::steady_clock::now();
  const double start = CpuSeconds();
  const int epoll = epoll_create1(0);
  struct Conversation {
    int fd = -1;
    int sent_pairs = 0;
    ssize_t received = 0;
  };
  std::vector<Conversation> all(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) {
    const int s = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
    const int one = 1;
    setsockopt(s, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    const sockaddr_in a = Loopback(first_port + i);
    connect(s, reinterpret_cast<const sockaddr*>(&a), sizeof a);
    all[static_cast<size_t>(i)].fd = s;
    Watch(epoll, s, EPOLLOUT, static_cast<uint64_t>(i));
  }
  int done = 0;
  epoll_event events[256];
  while (done < n) {
    const int k = epoll_wait(epoll, events, 256, 10000);
    if (k <= 0) break;
    for (int j = 0; j < k; ++j) {
      Conversation& c = all[events[j].data.u64];
      if (events[j].events & EPOLLOUT) {  // connected
        Watch(epoll, c.fd, EPOLLIN, events[j].data.u64, EPOLL_CTL_MOD);
      } else {
        char buffer[256];
        const ssize_t r = recv(c.fd, buffer, sizeof buffer, 0);
        if (r > 0) c.received += r;
      }
      if (c.received == c.sent_pairs * kReplyBytes && c.sent_pairs < kPairs) {
        send(c.fd, kCommand, kCommandBytes, 0);
        send(c.fd, kCommand, kCommandBytes, 0);
        ++c.sent_pairs;
      } else if (c.received == kPairs * kReplyBytes && c.fd >= 0) {
        close(c.fd);
        c.fd = -1;
        ++done;
      }
    }
  }
  const double wall =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - wall_start).count();
  std::fprintf(stderr, "client: %.2f s of CPU; %d of %d conversations in %.2f s\n",
               CpuSeconds() - start, done, n, wall);
  waitpid(server, nullptr, 0);
  return done == n ? 0 : 1;
}
