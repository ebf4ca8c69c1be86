#include "foundation/keep_alive.h"

#include <algorithm>
#include <atomic>
#include <utility>

#include "foundation/scope_exit.h"

namespace keep_alive_detail {
constinit thread_local KeepAliveScope* current = nullptr;
}  // namespace keep_alive_detail

namespace {

using keep_alive_detail::current;

// How often a scope looks at the clock, and the most calls it lets pass between two looks: enough
// that the looks cost nothing beside the steps, few enough that slow steps following quick ones
// are looked at again soon.
constexpr std::chrono::steady_clock::duration kLookEvery = std::chrono::milliseconds(1);
constexpr std::uint32_t kMostStride = 32;

std::atomic<std::chrono::nanoseconds::rep> gInterval{std::chrono::nanoseconds(std::chrono::milliseconds(100)).count()};

constinit thread_local bool serving = false;

}  // namespace

KeepAliveScope::KeepAliveScope(std::function<void()> hook)
    : hook_(std::move(hook)),
      outer_(current),
      interval_(std::chrono::duration_cast<Clock::duration>(
          std::chrono::nanoseconds(gInterval.load(std::memory_order_relaxed)))),
      lastLook_(Clock::now()),
      nextCall_(lastLook_ + interval_) {
    current = this;
}

KeepAliveScope::~KeepAliveScope() { current = outer_; }

void KeepAliveScope::Look() {
    const Clock::time_point now = Clock::now();
    const Clock::duration since = now - lastLook_;
    if (since < kLookEvery / 2) {
        stride_ = std::min(stride_ * 2, kMostStride);
    } else if (since > kLookEvery * 2) {
        stride_ = static_cast<std::uint32_t>(std::max<Clock::rep>(1, stride_ * kLookEvery.count() / since.count()));
    }
    countdown_ = stride_;
    lastLook_ = now;
    if (now < nextCall_ || !hook_) return;
    {
        // What the hook lets run may call KeepAlive too: it finds no scope.
        const bool outerServing = serving;
        current = nullptr;
        serving = true;
        const ScopeExit restore([this, outerServing] {
            current = this;
            serving = outerServing;
        });
        hook_();
    }
    // Timed from the hook's return, so that a slow repaint does not take the computation's time.
    lastLook_ = Clock::now();
    nextCall_ = lastLook_ + interval_;
}

bool KeepAliveServing() { return serving; }

std::chrono::nanoseconds SetKeepAliveInterval(std::chrono::nanoseconds interval) {
    return std::chrono::nanoseconds(gInterval.exchange(interval.count(), std::memory_order_relaxed));
}
