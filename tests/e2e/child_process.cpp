#include "child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

ChildProcess::ChildProcess(const std::vector<std::string>& argv,
                           const std::vector<std::string>& extraEnvironment, bool takesInput) {
  int pipeFds[2], inputFds[2] = {-1, -1};
  if (argv.empty() || pipe2(pipeFds, O_CLOEXEC) != 0) return;
  // A socket rather than a pipe: a helper that ended must not end the
  // tests with SIGPIPE, and send() can say so.
  if (takesInput && socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, inputFds) != 0) {
    close(pipeFds[0]);
    close(pipeFds[1]);
    return;
  }
  pid_ = fork();
  if (pid_ == 0) {
    // Its own group, so that Wine's helpers go with it.
    setpgid(0, 0);
    dup2(pipeFds[1], STDOUT_FILENO);
    if (takesInput) dup2(inputFds[0], STDIN_FILENO);
    const int devNull = open("/dev/null", O_WRONLY);
    if (devNull >= 0) dup2(devNull, STDERR_FILENO);
    for (const std::string& entry : extraEnvironment) putenv(const_cast<char*>(entry.c_str()));
    std::vector<char*> args;
    for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);
    execvp(args[0], args.data());
    _exit(127);
  }
  close(pipeFds[1]);
  if (takesInput) close(inputFds[0]);
  if (pid_ < 0) {
    close(pipeFds[0]);
    if (takesInput) close(inputFds[1]);
    return;
  }
  inputFd_ = inputFds[1];
  // Set the group here too: the destructor may run before the child has
  // got as far as doing it, and kill(-pid) would then find no group.
  setpgid(pid_, pid_);
  outputFd_ = pipeFds[0];
  fcntl(outputFd_, F_SETFL, fcntl(outputFd_, F_GETFL) | O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  if (pid_ > 0 && running()) {
    kill(-pid_, SIGKILL);
    kill(pid_, SIGKILL);
    int status = 0;
    if (!waitForExit(10, status))
      std::fprintf(stderr, "process %d did not end within 10 s of SIGKILL\n",
                   static_cast<int>(pid_));
  }
  if (outputFd_ >= 0) close(outputFd_);
  if (inputFd_ >= 0) close(inputFd_);
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

bool ChildProcess::write(const std::string& text) {
  return inputFd_ >= 0 && send(inputFd_, text.data(), text.size(), MSG_NOSIGNAL) ==
                              static_cast<ssize_t>(text.size());
}

bool ChildProcess::running() {
  if (pid_ <= 0 || exited_) return false;
  int raw = 0;
  if (waitpid(pid_, &raw, WNOHANG) == pid_) {
    exited_ = true;
    status_ = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
    signalled_ = WIFSIGNALED(raw);
  }
  return !exited_;
}

bool ChildProcess::signal(int number) {
  return running() && kill(pid_, number) == 0;
}

bool ChildProcess::waitForExit(double timeoutSeconds, int& status) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::duration<double>(timeoutSeconds);
  while (running() && std::chrono::steady_clock::now() < deadline) {
    drain();
    sleepSeconds(0.05);
  }
  drain();
  status = status_;
  return exited_;
}

bool runTool(const std::vector<std::string>& argv, const std::vector<std::string>& environment,
             double timeoutSeconds) {
  ChildProcess tool(argv, environment);
  int status = -1;
  if (!tool.waitForExit(timeoutSeconds, status)) {
    std::fprintf(stderr, "%s did not end within %.0f s\n", argv.front().c_str(), timeoutSeconds);
    return false;
  }
  return status == 0;
}

void sleepSeconds(double seconds) {
  std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}
