// The projection of every vertex to a screen position and a depth key, in a scalar and a
// four-wide form that do the same single-precision operations in the same order, so both give
// the same pixels.
#include <algorithm>
#include <cmath>
#include <cstdint>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "foundation/rounding.h"
#include "plot3d/plot3d.h"

namespace {

// Offsets are cut to this many pixels, far outside any picture but inside what the canvas
// arithmetic holds; a value that is not a number goes to the lower limit, as the vector
// minimum and maximum do.
constexpr float kPixelLimit = 16777216.0f;
constexpr std::int64_t kScreenLimit = std::int64_t{1} << 30;

tplot3d::ProjectionTrig MakeTrig(float rotX, float rotY, float rotZ) {
    return {std::cos(rotX), std::sin(rotX), std::cos(rotY), std::sin(rotY), std::cos(rotZ), std::sin(rotZ)};
}

float Limit(float v) {
    v = v > -kPixelLimit ? v : -kPixelLimit;
    return v < kPixelLimit ? v : kPixelLimit;
}

// Nearest integer, ties to even (the caller holds round-to-nearest).
std::int32_t Pixel(float v) { return static_cast<std::int32_t>(std::lrint(Limit(v))); }

}  // namespace

void tplot3d::Project() {
    if (UseSSE) ProjectVector();
    else ProjectScalar();
}

void tplot3d::AddOrigin() {
    const auto add = [](std::int32_t origin, std::int32_t offset) {
        return static_cast<std::int32_t>(
            std::clamp<std::int64_t>(std::int64_t{origin} + offset, -kScreenLimit, kScreenLimit));
    };
    for (std::size_t i = 0; i < sx_.size(); ++i) {
        sx_[i] = add(OriginX, sx_[i]);
        sy_[i] = add(OriginY, sy_[i]);
    }
}

void tplot3d::ProjectOne(const ProjectionTrig& t, std::size_t i) {
    const float a = VX[i] * ScaleX * Zoom;
    const float b = VY[i] * ScaleY * Zoom;
    const float c = VZ[i] * ScaleZ * Zoom;
    const float p = a * t.c1 - c * t.s1;
    const float q = a * t.s1 + c * t.c1;
    const float r = b * t.c2 - q * t.s2;
    sx_[i] = Pixel(p * t.c3 - r * t.s3);
    sy_[i] = Pixel(p * t.s3 + r * t.c3);
    // The depth key as the drawing order has always used it (not the third rotated coordinate).
    depth_[i] = Pixel(r * t.c2 - q * t.s2);
}

tplot3d::ProjectionTrig tplot3d::StartProjection() {
    const std::size_t n = VX.size();
    sx_.resize(n);
    sy_.resize(n);
    depth_.resize(n);
    return MakeTrig(RotX, RotY, RotZ);
}

void tplot3d::ProjectScalar() {
    const RoundModeGuard nearest(0);
    const ProjectionTrig t = StartProjection();
    const std::size_t n = VX.size();
    for (std::size_t i = 0; i < n; ++i) ProjectOne(t, i);
    AddOrigin();
}

#if defined(__SSE2__)

void tplot3d::ProjectVector() {
    const RoundModeGuard nearest(0);
    const ProjectionTrig t = StartProjection();
    const std::size_t n = VX.size();
    const __m128 scaleX = _mm_set1_ps(ScaleX), scaleY = _mm_set1_ps(ScaleY), scaleZ = _mm_set1_ps(ScaleZ);
    const __m128 zoom = _mm_set1_ps(Zoom);
    const __m128 c1 = _mm_set1_ps(t.c1), s1 = _mm_set1_ps(t.s1);
    const __m128 c2 = _mm_set1_ps(t.c2), s2 = _mm_set1_ps(t.s2);
    const __m128 c3 = _mm_set1_ps(t.c3), s3 = _mm_set1_ps(t.s3);
    const __m128 low = _mm_set1_ps(-kPixelLimit), high = _mm_set1_ps(kPixelLimit);
    const auto pixels = [low, high](__m128 v) { return _mm_cvtps_epi32(_mm_min_ps(_mm_max_ps(v, low), high)); };
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const __m128 a = _mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(&VX[i]), scaleX), zoom);
        const __m128 b = _mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(&VY[i]), scaleY), zoom);
        const __m128 c = _mm_mul_ps(_mm_mul_ps(_mm_loadu_ps(&VZ[i]), scaleZ), zoom);
        const __m128 p = _mm_sub_ps(_mm_mul_ps(a, c1), _mm_mul_ps(c, s1));
        const __m128 q = _mm_add_ps(_mm_mul_ps(a, s1), _mm_mul_ps(c, c1));
        const __m128 r = _mm_sub_ps(_mm_mul_ps(b, c2), _mm_mul_ps(q, s2));
        const __m128 u = _mm_sub_ps(_mm_mul_ps(p, c3), _mm_mul_ps(r, s3));
        const __m128 v = _mm_add_ps(_mm_mul_ps(p, s3), _mm_mul_ps(r, c3));
        const __m128 d = _mm_sub_ps(_mm_mul_ps(r, c2), _mm_mul_ps(q, s2));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&sx_[i]), pixels(u));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&sy_[i]), pixels(v));
        _mm_storeu_si128(reinterpret_cast<__m128i*>(&depth_[i]), pixels(d));
    }
    // The last one to three vertices singly.
    for (; i < n; ++i) ProjectOne(t, i);
    AddOrigin();
}

#else

void tplot3d::ProjectVector() { ProjectScalar(); }

#endif
