#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <thread>

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnvironment) {
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return;
  pid_ = fork();
  if (pid_ == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, STDERR_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    setpgid(0, 0);  // its own group, so that Wine's helpers go with it
    for (const std::string& entry : extraEnvironment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeFds[1]);
  outputFd_ = pipeFds[0];
  fcntl(outputFd_, F_SETFL, fcntl(outputFd_, F_GETFL) | O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && !exited_) {
    kill(-pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
  if (outputFd_ >= 0) close(outputFd_);
}

void ChildProcess::drain() {
  char buffer[4096];
  while (outputFd_ >= 0) {
    const ssize_t got = read(outputFd_, buffer, sizeof buffer);
    if (got <= 0) break;
    output_.append(buffer, static_cast<std::size_t>(got));
  }
}

const std::string& ChildProcess::output() {
  drain();
  return output_;
}

bool ChildProcess::running() {
  if (pid_ <= 0 || exited_) return false;
  int raw = 0;
  if (waitpid(pid_, &raw, WNOHANG) == pid_) {
    exited_ = true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  }
  return !exited_;
}

bool ChildProcess::waitForExit(double timeoutSeconds, int& status) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (running() && std::chrono::steady_clock::now() < deadline) {
    drain();
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  drain();
  status = status_;
  return exited_;
}
