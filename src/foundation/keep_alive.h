// Keeps the program's windows painted while a long computation runs on the thread that shows them.
// The shell installs a hook for the duration of an engine call (KeepAliveScope); long loops call
// KeepAlive() once per step (a rotation, a row, a replicate, a piece of a parallel run):
//
//     for (std::size_t i = 0; i < n; ++i) {
//         KeepAlive();
//         ...
//     }
//
// KeepAlive does nothing on any thread but the one that installed the hook, and nothing without a
// hook. With one it counts the calls and looks at a steady clock only every few of them (more calls
// between two looks while they come quickly, about one look a millisecond), and calls the hook once
// the interval (100 ms) has passed since the hook last returned. A hook lets the windows repaint but
// must start nothing: while it runs KeepAliveServing() is true, and KeepAlive() calls made from
// inside it do nothing.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

inline void KeepAlive();

class KeepAliveScope {
public:
    // Installs hook for the calling thread until the scope ends; an outer scope's hook is put back.
    explicit KeepAliveScope(std::function<void()> hook);
    ~KeepAliveScope();
    KeepAliveScope(const KeepAliveScope&) = delete;
    KeepAliveScope& operator=(const KeepAliveScope&) = delete;

private:
    using Clock = std::chrono::steady_clock;
    friend void KeepAlive();

    void Look();

    std::function<void()> hook_;
    KeepAliveScope* outer_;
    Clock::duration interval_;
    Clock::time_point lastLook_, nextCall_;
    std::uint32_t stride_ = 1;     // calls from one look at the clock to the next
    std::uint32_t countdown_ = 1;  // calls left until the next look
};

namespace keep_alive_detail {
// The calling thread's scope: null on every other thread, and while the hook runs.
extern constinit thread_local KeepAliveScope* current;
}  // namespace keep_alive_detail

// One step of a long loop.
inline void KeepAlive() {
    KeepAliveScope* scope = keep_alive_detail::current;
    if (scope != nullptr && --scope->countdown_ == 0) scope->Look();
}

// Whether the calling thread is running a keep-alive hook (what the hook lets happen meanwhile, an
// event handler say, finds it true).
bool KeepAliveServing();

// The least time from the hook's return to its next call, for the scopes made afterwards; returns
// the previous one. 0 calls the hook at every look at the clock (tests).
std::chrono::nanoseconds SetKeepAliveInterval(std::chrono::nanoseconds interval);
