// The key wait on a terminal: the console is flushed before the wait, the run
// stops until a key is pressed, and the key is not echoed.
#include <gtest/gtest.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>
#include <string>
#include "support/run_folder.h"

namespace {

// Reads what the program wrote to the terminal until `wanted` appears or a second passes.
std::string fReadUntil(int terminal, const std::string& wanted, std::string seen) {
  char chunk[256];
  while (seen.find(wanted) == std::string::npos) {
    pollfd ready{terminal, POLLIN, 0};
    if (poll(&ready, 1, 1000) <= 0) break;
    ssize_t got = read(terminal, chunk, sizeof chunk);
    if (got <= 0) break;
    seen.append(chunk, static_cast<size_t>(got));
  }
  return seen;
}

TEST(KeyWait, OnATerminalWaitsForOneKeyWithoutEcho) {
  RunFolder folder;  // no selection file: the program says so and waits for a key
  int terminal = -1;
  pid_t child = forkpty(&terminal, nullptr, nullptr, nullptr);
  ASSERT_GE(child, 0);
  if (child == 0) {
    if (chdir(folder.dir().c_str()) != 0) _exit(99);
    std::string exe = folder.path("vantrels");
    execl(exe.c_str(), exe.c_str(), static_cast<char*>(nullptr));
    _exit(98);
  }
  std::string seen = fReadUntil(terminal, "_ParamsOfFunc.txt", "");
  EXPECT_NE(seen.find("i can't open"), std::string::npos) << seen;
  // Still waiting: the program has not ended.
  usleep(200 * 1000);
  int status = 0;
  EXPECT_EQ(waitpid(child, &status, WNOHANG), 0);
  ASSERT_EQ(write(terminal, "x", 1), 1);
  seen = fReadUntil(terminal, "\x01never", seen);  // drain until the program closes the terminal
  ASSERT_EQ(waitpid(child, &status, 0), child);
  EXPECT_TRUE(WIFEXITED(status));
  EXPECT_EQ(WEXITSTATUS(status), 0);
  const std::string prompt = "_ParamsOfFunc.txt";
  EXPECT_EQ(seen.find('x', seen.find(prompt) + prompt.size()), std::string::npos) << "key echoed: " << seen;
  close(terminal);
}

}  // namespace
