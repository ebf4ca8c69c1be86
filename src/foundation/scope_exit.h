// Runs a clean-up when the scope is left, by return or by exception, unless dismissed: the way
// engine routines leave their object usable when a memory shortage passes through them.
//     ScopeExit reject([&] { RejectLoad(ds); });
//     ...
//     reject.Dismiss();  // loaded: keep it
#pragma once

#include <utility>

template <class F>
class ScopeExit {
public:
    explicit ScopeExit(F f) : f_(std::move(f)) {}
    ~ScopeExit() {
        if (active_) f_();
    }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

    void Dismiss() { active_ = false; }

private:
    F f_;
    bool active_ = true;
};
