// A program under test, started as its own process with standard output
// captured (standard error, where Wine chatters, is dropped).
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

class ChildProcess {
 public:
  // extraEnvironment holds "NAME=value" entries added to this process's own.
  ChildProcess(const std::vector<std::string>& argv,
               const std::vector<std::string>& extraEnvironment);
  ~ChildProcess();  // kills the process if it still runs
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  bool started() const { return pid_ > 0; }
  // Everything the program has written to standard output so far.
  const std::string& output();
  // Waits up to timeoutSeconds; true with the exit status (0..255) once ended.
  bool waitForExit(double timeoutSeconds, int& status);
  bool running();

 private:
  pid_t pid_ = -1;
  int outputFd_ = -1;
  bool exited_ = false;
  int status_ = -1;
  std::string output_;
  void drain();
};
