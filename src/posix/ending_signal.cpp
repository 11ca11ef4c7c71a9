#include "posix/ending_signal.h"

#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

namespace {

// The one thing the handler writes, and the pipe it wakes the loop through.
volatile std::sig_atomic_t signalNumber = 0;
int signalPipe[2] = {-1, -1};

void noteEndingSignal(int number) {
  if (signalNumber == 0) signalNumber = number;
  const char wake = 0;
  if (write(signalPipe[1], &wake, 1) < 0) {
    // The pipe is full: the loop is already woken.
  }
}

}  // namespace

void endOnSignals() {
  if (pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
    signalPipe[0] = signalPipe[1] = -1;
    return;
  }
  struct sigaction action = {};
  action.sa_handler = noteEndingSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESETHAND;
  sigaction(SIGINT, &action, nullptr);
  sigaction(SIGTERM, &action, nullptr);
}

int endingSignal() {
  return signalNumber;
}

int earlyEndStatus(bool displayFailed) {
  if (signalNumber != 0) return 128 + signalNumber;
  return displayFailed ? -1 : 0;
}

int endingSignalDescriptor() {
  return signalPipe[0];
}

void sleepMilliseconds(unsigned milliseconds) {
  timespec pause = {static_cast<time_t>(milliseconds / 1000),
                    static_cast<long>(milliseconds % 1000) * 1000000L};
  while (nanosleep(&pause, &pause) != 0 && errno == EINTR && endingSignal() == 0) {
  }
}
