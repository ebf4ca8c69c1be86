#include "foundation/os_facts.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/utsname.h>
#include <sys/wait.h>
#include <unistd.h>
#include <array>
#include <cerrno>
#include <chrono>
#include <thread>

extern char** environ;

namespace {

ExecWaitHook waitHook;
thread_local int lastExecError = 0;

constexpr std::array<std::string_view, 11> kWinVersionNames = {
    "Windows Version Unknown", "Windows 95", "Windows 98", "Windows 98SE", "Windows NT", "Windows ME",
    "Windows 2000",            "Windows XP", "Windows Vista", "Windows 7", "Windows 8"};

// Exit status as ExecLastError reports it.
int StatusCode(int status) {
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
    return -1;
}

}  // namespace

bool IsWow64() { return false; }

std::uint8_t GetWinVersion() { return 0; }

std::string_view WinVersionName(std::uint8_t code) {
    return code < kWinVersionNames.size() ? kWinVersionNames[code] : kWinVersionNames[0];
}

std::string OsName() {
    struct utsname u {};
    if (::uname(&u) != 0) return "Unknown";
    return std::string(u.sysname) + " " + u.release + " " + u.machine;
}

ExecWaitHook SetExecWaitHook(ExecWaitHook hook) {
    ExecWaitHook previous = std::move(waitHook);
    waitHook = std::move(hook);
    return previous;
}

int ExecLastError() { return lastExecError; }

bool ExecAndWait(const std::string& program, const std::vector<std::string>& arguments, const std::string& errorFile) {
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    if (const int rc = ::posix_spawn_file_actions_init(&actions); rc != 0) {
        lastExecError = rc;
        return false;
    }
    int rc = 0;
    if (!errorFile.empty())
        rc = ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, errorFile.c_str(),
                                                O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (rc == 0) rc = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), environ);
    ::posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        lastExecError = rc;
        return false;
    }
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, waitHook ? WNOHANG : 0);
        if (done == pid) break;
        if (done < 0) {
            if (errno == EINTR) continue;
            lastExecError = errno;  // the child cannot be waited for (SIGCHLD ignored)
            return false;
        }
        // Still running: let the user interface work, then look again shortly.
        waitHook();
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    lastExecError = StatusCode(status);
    return lastExecError == 0;
}
