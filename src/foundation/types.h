// The program's basic value types and dynamic array aliases, shared by every area.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

// 80-bit x87 extended precision: every frequency, coefficient and distance is computed in it.
using Extended = long double;
static_assert(std::numeric_limits<Extended>::digits == 64, "Extended must be the 80-bit x87 format");

using AString = std::vector<std::string>;
using ABool = std::vector<std::uint8_t>;   // one byte per flag, 0 or 1
using ADWord = std::vector<std::uint32_t>;
using APtr = std::vector<void*>;
using APNtvUInt = std::vector<std::uintptr_t>;
using AByte = std::vector<std::uint8_t>;
using AWord = std::vector<std::uint16_t>;
using ASingle = std::vector<float>;
using AExt = std::vector<Extended>;
using AAExt = std::vector<AExt>;
using AAByte = std::vector<AByte>;
using APBool = std::vector<std::uint8_t>;

// Bytes like AByte, but a type of its own so that overloads can tell the two apart.
struct APByte : std::vector<std::uint8_t> {
    using std::vector<std::uint8_t>::vector;
};

// A short label of at most 20 characters (labels are cut to 20 where they are made).
using str20 = std::string;
using AStr20 = std::vector<str20>;
