// QMK.cfg: the main window's settings between runs, in the binary form of a serialization
// archive (no header, no version): nineteen check-box ints, the last folder as an archive string,
// then theme, width, height and the maximized flag, all ints 32-bit little-endian. No Windows
// header here, so the reader is tested and fuzzed natively.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

struct MainSettings {
    static constexpr int kBoxCount = 19;
    // In file order: Archive, Case sensitive, Create Time, Path only, Exclusive filter, Hidden,
    // Include path, Last Access Time, Modify Time, Normal, NotContentIndexed, Offline, Other File
    // Properties, ReadOnly, Set File Attributes, Set File Time, Sub dir, System, Temporary.
    std::array<std::int32_t, kBoxCount> boxes{};
    std::u16string lastFolder;
    std::int32_t theme = 10;
    std::int32_t width = 800;
    std::int32_t height = 600;
    std::int32_t maximized = 0;
    // How many of the 24 fields the file held; the others keep the values above.
    int fieldsRead = 0;
};

// Converts the bytes of an 8-bit archive string (ANSI code page) to UTF-16.
using AnsiDecoder = std::function<std::u16string(std::string_view)>;

// Reads as many fields as the bytes hold, in order; the first field that is cut short or cannot
// be held (a string longer than the rest of the file) ends the reading, and the fields before it
// stand. Bytes after the last field are ignored. Never reserves more memory than the file's size.
MainSettings ParseMainSettings(const std::uint8_t* data, std::size_t size, const AnsiDecoder& decodeAnsi);

// The file's bytes; the string always in the Unicode form.
std::vector<std::uint8_t> SerializeMainSettings(const MainSettings& settings);

// settings.cfg: two bytes, automatic update and "do not ask before exiting".
struct FrameSettings {
    bool autoUpdate = true;
    bool noExitPrompt = false;
};
// A file of fewer than two bytes turns both switches off; any non-zero byte counts as on.
FrameSettings ParseFrameSettings(const std::uint8_t* data, std::size_t size);
std::vector<std::uint8_t> SerializeFrameSettings(const FrameSettings& settings);
