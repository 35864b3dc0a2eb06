// The rules of the attribute word that need no window.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kAttributeNormal = 0x80;

// "Normal" stands alone: when it is chosen the other boxes are not looked at.
constexpr std::uint32_t ComposeAttributeWord(bool normalChosen, std::uint32_t otherChosenBits) {
    return normalChosen ? kAttributeNormal : otherChosenBits;
}

// Whether a file's attribute word shows "Normal": that bit and nothing else.
constexpr bool IsNormalOnly(std::uint32_t attributes) {
    return attributes == kAttributeNormal;
}
