// The end-to-end tests' own process handling: a program is ended with
// everything it started, and no wait can hang a test run.
#include "child_process.h"

#include <gtest/gtest.h>
#include <signal.h>

#include <cerrno>
#include <string>

namespace {

TEST(ChildProcessTest, EndsWithItsStatusAndItsOutput) {
  ChildProcess child({"sh", "-c", "echo one; echo two; exit 3"}, {"UNUSED=1"});
  int status = -1;
  ASSERT_TRUE(child.waitForExit(10, status));
  EXPECT_EQ(status, 3);
  EXPECT_EQ(child.output(), "one\ntwo\n");
  EXPECT_FALSE(child.running());
}

TEST(ChildProcessTest, TellsAnExitFromAnEndBySignal) {
  ChildProcess handled(
      {"sh", "-c", "trap 'exit 143' TERM; echo trapped; while :; do sleep 0.05; done"}, {});
  ChildProcess unhandled({"sleep", "300"}, {});
  waitUntil([&] { return !handled.output().empty(); }, 10);
  EXPECT_TRUE(handled.signal(SIGTERM));
  EXPECT_TRUE(unhandled.signal(SIGTERM));
  int status = -1;
  ASSERT_TRUE(handled.waitForExit(10, status));
  EXPECT_EQ(status, 143);
  EXPECT_FALSE(handled.endedBySignal()) << "it exited with 143 of its own";
  ASSERT_TRUE(unhandled.waitForExit(10, status));
  EXPECT_EQ(status, 143);
  EXPECT_TRUE(unhandled.endedBySignal());
  EXPECT_FALSE(unhandled.signal(SIGTERM)) << "no signal for a program that has ended";
}

TEST(ChildProcessTest, WaitingIsBoundedAndEndingTakesTheWholeGroup) {
  std::string grandchild;
  {
    ChildProcess child({"sh", "-c", "sleep 300 & echo $!; wait"}, {});
    int status = -1;
    EXPECT_FALSE(child.waitForExit(0.3, status)) << "a running program is still running";
    EXPECT_TRUE(child.running());
    waitUntil([&] { return child.output().find('\n') != std::string::npos; }, 5);
    grandchild = child.output();
  }
  const pid_t pid = static_cast<pid_t>(std::stol(grandchild));
  EXPECT_TRUE(waitUntil([&] { return kill(pid, 0) != 0 && errno == ESRCH; }, 5))
      << "what the program started outlives it";
}

TEST(ChildProcessTest, EndingAProgramAtOnceLeavesNothing) {
  // The child may not yet have made its own process group when it is ended,
  // and must go all the same, reaped, within the end's bounded wait.
  for (int i = 0; i < 50; ++i) {
    pid_t pid = 0;
    {
      ChildProcess child({"sleep", "300"}, {});
      ASSERT_TRUE(child.started());
      pid = child.pid();
    }
    ASSERT_TRUE(kill(pid, 0) != 0 && errno == ESRCH) << "process " << pid << " outlived its end";
  }
}

TEST(ChildProcessTest, ToolsReportFailureAndHangs) {
  EXPECT_TRUE(runTool({"true"}, {}));
  EXPECT_FALSE(runTool({"false"}, {}));
  EXPECT_FALSE(runTool({"no-such-tool-anywhere"}, {}));
  EXPECT_FALSE(runTool({"sleep", "300"}, {}, 0.3)) << "a hung tool fails";
}

}  // namespace
