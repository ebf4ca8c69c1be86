// Facts about the operating system, and running an external program while waiting for it.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Whether this is a 32-bit process on a 64-bit system: never, the program is built 64-bit native.
bool IsWow64();

// The program's Windows version code; 0 ("Windows Version Unknown") on every other system.
std::uint8_t GetWinVersion();
// The name shown for a version code; unknown codes give "Windows Version Unknown".
std::string_view WinVersionName(std::uint8_t code);
// The running system for the options page: system name, release and machine as uname reports them
// (for example "Linux 6.1.0-18-amd64 x86_64"); "Unknown" when uname fails.
std::string OsName();

// Called over and over while ExecAndWait waits, so that a user interface can repaint; between two
// calls the waiting thread sleeps a few milliseconds. Empty: ExecAndWait simply blocks.
using ExecWaitHook = std::function<void()>;
// Installs a hook and returns the one installed before.
ExecWaitHook SetExecWaitHook(ExecWaitHook hook);

// Runs program (a path, not searched in PATH) with the given arguments, each passed to it as one
// argument without any quoting, in the caller's environment and folder, and waits until it ends.
// True only when it ran and exited with code 0. Otherwise ExecLastError() tells why: the error
// number when it could not be started (ENOENT for a missing program), its non-zero exit code, or
// 128 + the signal number when a signal ended it. With an errorFile the program's standard error
// goes to that file (created or emptied), so that a caller can show why the program failed.
bool ExecAndWait(const std::string& program, const std::vector<std::string>& arguments,
                 const std::string& errorFile = {});
// The reason of the calling thread's last failed ExecAndWait (0 after a success).
int ExecLastError();
