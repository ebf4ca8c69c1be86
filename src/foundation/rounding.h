// Floating-point rounding mode and state. The mode codes are the program's own:
// 0 to nearest (ties to even), 1 down, 2 up, 3 toward zero.
#pragma once

#include <cstdint>

// Sets the rounding mode (only the low two bits of mode count) and clears pending
// floating-point exceptions. Affects both the x87 unit and SSE arithmetic.
void SetRoundMode(std::uint8_t mode);

// The current rounding mode, 0-3.
std::uint8_t GetRoundMode();

// Back to the initial floating-point state: round to nearest, all exceptions masked and clear.
void ResetFPU();

// Sets a rounding mode for the lifetime of the guard and restores the previous one when the
// guard goes out of scope (also on early return or exception).
class RoundModeGuard {
public:
    explicit RoundModeGuard(std::uint8_t mode);
    ~RoundModeGuard();
    RoundModeGuard(const RoundModeGuard&) = delete;
    RoundModeGuard& operator=(const RoundModeGuard&) = delete;

    // The mode that was current when the guard was made (restored on destruction).
    std::uint8_t saved() const { return saved_; }

private:
    std::uint8_t saved_;
};
