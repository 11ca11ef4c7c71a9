// The measuring both tick benchmarks share: ticks paced as the program's
// 16 ms timer paces them, and per tick the client's CPU time (the whole
// process's, the rasteriser's threads included) and the display server's,
// read from its /proc entry when its process id is given.
#pragma once

#include <sys/types.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "app/facts.h"

namespace paced {

constexpr double tickMs = refreshPeriodMs;

inline double secondsOn(clockid_t clock) {
  timespec now = {};
  clock_gettime(clock, &now);
  return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

// CPU seconds another process has used (user and system, all its threads);
// 0 when it cannot be read.
inline double cpuSecondsOf(pid_t pid) {
  if (pid <= 0) return 0;
  std::ifstream file("/proc/" + std::to_string(pid) + "/stat");
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  const std::size_t nameEnd = text.rfind(')');
  if (nameEnd == std::string::npos) return 0;
  // After the name: state (field 3) and on to utime (14) and stime (15).
  std::istringstream fields(text.substr(nameEnd + 1));
  std::string skipped;
  for (int field = 3; field < 14; ++field) fields >> skipped;
  long user = 0, system = 0;
  if (!(fields >> user >> system)) return 0;
  return static_cast<double>(user + system) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

struct Cost {
  double clientMs, serverMs, busyMs;  // per tick; busy: the tick's own wall time
};

// `tick` draws and swaps both windows; `settle` waits until the server has
// the frames, as the program's loop does between ticks.
inline Cost timeTicks(void (*tick)(), void (*settle)(), int ticks, pid_t server) {
  for (int i = 0; i < 30; ++i) {
    tick();  // shaders compiled, buffers allocated
    settle();
  }
  const double client = secondsOn(CLOCK_PROCESS_CPUTIME_ID), serverCpu = cpuSecondsOf(server);
  double busy = 0;
  timespec next = {};
  clock_gettime(CLOCK_MONOTONIC, &next);
  for (int i = 0; i < ticks; ++i) {
    const double start = secondsOn(CLOCK_MONOTONIC);
    tick();
    settle();
    busy += secondsOn(CLOCK_MONOTONIC) - start;
    // The next tick 16 ms after this one began, as the program's timer runs.
    next.tv_nsec += static_cast<long>(tickMs * 1e6);
    while (next.tv_nsec >= 1000000000L) {
      next.tv_nsec -= 1000000000L;
      ++next.tv_sec;
    }
    while (clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &next, nullptr) != 0) {
    }
  }
  return {(secondsOn(CLOCK_PROCESS_CPUTIME_ID) - client) * 1000.0 / ticks,
          (cpuSecondsOf(server) - serverCpu) * 1000.0 / ticks, busy * 1000.0 / ticks};
}

// A figure, or "-" where the server's process is not known.
inline std::string cell(double value, bool known, const char* format = "%.3f") {
  if (!known) return "-";
  char text[32];
  snprintf(text, sizeof text, format, value);
  return text;
}

// The program beside the floor, with a heading naming the server's column.
inline void printTable(const char* title, const char* serverName, int ticks, const Cost& program,
                       const Cost& floor, bool serverKnown) {
  printf("\n%s, one tick every %.0f ms = both %dx%d windows, %d ticks each\n", title, tickMs,
         windowSize, windowSize, ticks);
  printf("%-30s %9s %9s %9s %9s %9s\n", "CPU ms per tick", "client", serverName, "total",
         "of 16 ms", "busy ms");
  const auto row = [&](const char* name, const Cost& cost) {
    const double total = cost.clientMs + cost.serverMs;
    printf("%-30s %9.3f %9s %9s %9s %9.3f\n", name, cost.clientMs,
           cell(cost.serverMs, serverKnown).c_str(), cell(total, serverKnown).c_str(),
           cell(total / tickMs * 100.0, serverKnown, "%.1f%%").c_str(), cost.busyMs);
  };
  row("program (scene, logo, swap)", program);
  row("floor (clear and swap only)", floor);
  printf("%-30s %8.1fx %9s %9s\n", "program / floor", program.clientMs / floor.clientMs,
         cell(program.serverMs / floor.serverMs, serverKnown, "%.1fx").c_str(),
         cell((program.clientMs + program.serverMs) / (floor.clientMs + floor.serverMs),
              serverKnown, "%.1fx")
             .c_str());
}

}  // namespace paced
