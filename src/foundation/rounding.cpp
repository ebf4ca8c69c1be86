#include "foundation/rounding.h"

#include <cfenv>

namespace {

constexpr int kModes[4] = {FE_TONEAREST, FE_DOWNWARD, FE_UPWARD, FE_TOWARDZERO};

}  // namespace

void SetRoundMode(std::uint8_t mode) {
    std::feclearexcept(FE_ALL_EXCEPT);
    std::fesetround(kModes[mode & 3u]);
}

std::uint8_t GetRoundMode() {
    const int current = std::fegetround();
    for (std::uint8_t m = 0; m < 4; ++m)
        if (kModes[m] == current) return m;
    return 0;
}

void ResetFPU() { std::fesetenv(FE_DFL_ENV); }

RoundModeGuard::RoundModeGuard(std::uint8_t mode) : saved_(GetRoundMode()) { SetRoundMode(mode); }

RoundModeGuard::~RoundModeGuard() { std::fesetround(kModes[saved_]); }
