// The rules of the attribute word that need no window.
#pragma once

#include <cstdint>

inline constexpr std::uint32_t kAttributeReadOnly = 0x1;
inline constexpr std::uint32_t kAttributeNormal = 0x80;
// The bits a write must be seen to keep: the ones a file system stores for every file.
inline constexpr std::uint32_t kAttributesThatMustHold = 0x1 | 0x2 | 0x4;  // read-only, hidden, system

// "Normal" stands alone: when it is chosen the other boxes are not looked at.
constexpr std::uint32_t ComposeAttributeWord(bool normalChosen, std::uint32_t otherChosenBits) {
    return normalChosen ? kAttributeNormal : otherChosenBits;
}

// Whether a file's attribute word shows "Normal": that bit and nothing else.
constexpr bool IsNormalOnly(std::uint32_t attributes) {
    return attributes == kAttributeNormal;
}

// Whether the word read back after writing `written` has every read-only, hidden and system
// bit that was written. Other bits may be dropped by the file system without a word of it.
constexpr bool WrittenBitsHeld(std::uint32_t written, std::uint32_t readBack) {
    return (readBack & written & kAttributesThatMustHold) == (written & kAttributesThatMustHold);
}
