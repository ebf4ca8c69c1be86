// A set of 8-bit characters: 256 bits, bit c set when character c is a member.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

struct CharSet {
    // Byte c / 8, bit c % 8: the layout the byte primitives index directly.
    std::array<std::uint8_t, 32> Bits{};

    constexpr bool Contains(unsigned char c) const { return (Bits[c >> 3] >> (c & 7)) & 1u; }
    constexpr bool Contains(char c) const { return Contains(static_cast<unsigned char>(c)); }
    constexpr void Include(unsigned char c) { Bits[c >> 3] = static_cast<std::uint8_t>(Bits[c >> 3] | (1u << (c & 7))); }
    constexpr void Include(char c) { Include(static_cast<unsigned char>(c)); }
    constexpr bool IsEmpty() const {
        for (std::uint8_t b : Bits) {
            if (b != 0) return false;
        }
        return true;
    }
    friend constexpr bool operator==(const CharSet&, const CharSet&) = default;
};

// The set of the characters of chars.
constexpr CharSet MakeCharSet(std::string_view chars) {
    CharSet set;
    for (char c : chars) set.Include(c);
    return set;
}
