#include "foundation/os_facts.h"

#include "support/temp_dir.h"

#include <cerrno>
#include <chrono>
#include <gtest/gtest.h>

TEST(OsFacts, NativeSixtyFourBitAndNotWindows) {
    EXPECT_FALSE(IsWow64());
    EXPECT_EQ(GetWinVersion(), 0);
    EXPECT_EQ(WinVersionName(GetWinVersion()), "Windows Version Unknown");
    EXPECT_EQ(WinVersionName(3), "Windows 98SE");
    EXPECT_EQ(WinVersionName(10), "Windows 8");
    EXPECT_EQ(WinVersionName(11), "Windows Version Unknown");
    const std::string name = OsName();
    EXPECT_FALSE(name.empty());
    EXPECT_NE(name, "Unknown");
}

TEST(ExecAndWait, ExitCodeDecidesAndIsKept) {
    EXPECT_TRUE(ExecAndWait("/bin/sh", {"-c", "exit 0"}));
    EXPECT_EQ(ExecLastError(), 0);
    EXPECT_FALSE(ExecAndWait("/bin/sh", {"-c", "exit 3"}));
    EXPECT_EQ(ExecLastError(), 3);
    EXPECT_FALSE(ExecAndWait("/bin/sh", {"-c", "kill -9 $$"}));
    EXPECT_EQ(ExecLastError(), 128 + 9);
}

TEST(ExecAndWait, MissingProgramFailsAtOnce) {
    TempDir dir;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(ExecAndWait(dir.Path("no-such-program"), {}));
    EXPECT_EQ(ExecLastError(), ENOENT);
    EXPECT_FALSE(ExecAndWait("sh", {"-c", "exit 0"}));  // a bare name is not looked up in PATH
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

TEST(ExecAndWait, ArgumentsArriveUnchanged) {
    TempDir dir;
    const std::string out = dir.Path("args.txt");
    const std::vector<std::string> args{"-c", "printf '%s|' \"$@\" > \"$0\"", out, "a b", "\"quoted\" x", "", "$HOME"};
    ASSERT_TRUE(ExecAndWait("/bin/sh", args));
    EXPECT_EQ(TempDir::Read(out), "a b|\"quoted\" x||$HOME|");
}

TEST(ExecAndWait, HookRunsWhileWaiting) {
    int calls = 0;
    const ExecWaitHook previous = SetExecWaitHook([&calls] { ++calls; });
    EXPECT_FALSE(ExecAndWait("/bin/sh", {"-c", "sleep 0.2; exit 4"}));
    EXPECT_EQ(ExecLastError(), 4);
    SetExecWaitHook(previous);
    EXPECT_GT(calls, 3);
    calls = 0;
    EXPECT_TRUE(ExecAndWait("/bin/sh", {"-c", "exit 0"}));  // hook removed: not called again
    EXPECT_EQ(calls, 0);
}

TEST(ExecAndWait, StandardErrorGoesToTheGivenFile) {
    TempDir dir;
    const std::string err = dir.Write("err.txt", "old text that is replaced");
    EXPECT_FALSE(ExecAndWait("/bin/sh", {"-c", "echo out; echo 'Error: broken' >&2; exit 1"}, err));
    EXPECT_EQ(TempDir::Read(err), "Error: broken\n");
    EXPECT_FALSE(ExecAndWait("/bin/sh", {"-c", "exit 0"}, dir.Path("no-folder/err.txt")));  // cannot be opened
    EXPECT_EQ(ExecLastError(), ENOENT);
}
