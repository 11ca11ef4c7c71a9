// A program under test, started as its own process group with standard
// output captured (standard error, where Wine chatters, is dropped), and
// every wait for it bounded. A helper that takes commands gets its standard
// input through a pipe.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  // extraEnvironment holds "NAME=value" entries added to this process's own.
  ChildProcess(const std::vector<std::string>& argv,
               const std::vector<std::string>& extraEnvironment, bool takesInput = false);
  // Kills the process group if the program still runs, and reaps it within
  // a few seconds (a child that will not go is reported on standard error).
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // Everything the program has written to standard output so far.
  const std::string& output();
  // Writes text to its standard input (a process that takes input); false
  // when that fails.
  bool write(const std::string& text);
  // Waits up to timeoutSeconds; true with the exit status (0..255, or 128 +
  // the signal's number) once ended.
  bool waitForExit(double timeoutSeconds, int& status);
  bool running();
  pid_t pid() const { return pid_; }
  // Sends the program (not its group) a signal; false if it has ended.
  bool signal(int number);
  // Whether it ended through a signal it did not handle, rather than exiting.
  bool endedBySignal() const { return exited_ && signalled_; }

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1, inputFd_ = -1;
  bool exited_ = false;
  int status_ = -1;
  bool signalled_ = false;
  std::string output_;
  void drain();
};

// Runs a helper tool (xdotool, ...) to its end, waiting at most
// timeoutSeconds; true when it ended with status 0.
bool runTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             double timeoutSeconds = 20);

// Sleeps for that many seconds (fractions allowed).
void sleepSeconds(double seconds);

// Calls condition() every 0.1 s until it holds, for at most timeoutSeconds.
template <typename Condition>
bool waitUntil(Condition condition, double timeoutSeconds) {
  for (double waited = 0; waited < timeoutSeconds; waited += 0.1) {
    if (condition()) return true;
    sleepSeconds(0.1);
  }
  return condition();
}
