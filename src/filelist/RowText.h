// Texts of a file-list row that depend on nothing but the values read from the disk.
#pragma once

#include <cstdint>
#include <string>

// One letter per set bit, in the order R D H S A O T C E N M, without separators. A path that
// does not exist reports every bit set and so shows all eleven letters.
std::wstring FormatAttributeLetters(std::uint32_t attributes);
