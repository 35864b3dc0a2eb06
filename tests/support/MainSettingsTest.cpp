#include "support/MainSettings.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void AppendInt(Bytes& bytes, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        bytes.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

Bytes BoxBytes() {
    Bytes bytes;
    for (std::uint32_t i = 0; i < MainSettings::kBoxCount; ++i) {
        AppendInt(bytes, i % 2);
    }
    return bytes;
}

Bytes Prefix(Bytes bytes, std::size_t size) {
    bytes.resize(size);
    return bytes;
}

Bytes WithTail(Bytes bytes, const Bytes& text, std::initializer_list<std::uint32_t> ints) {
    bytes.insert(bytes.end(), text.begin(), text.end());
    for (const std::uint32_t value : ints) {
        AppendInt(bytes, value);
    }
    return bytes;
}

// A stand-in for the ANSI code page: marks the text so the test sees the decoder was used.
std::u16string DecodeLatin(std::string_view bytes) {
    std::u16string text = u"~";
    for (const char c : bytes) {
        text.push_back(static_cast<unsigned char>(c));
    }
    return text;
}

TEST(MainSettingsTest, ReadsWhatTheFileHolds) {
    const struct Case {
        const char* label;
        Bytes bytes;
        int fieldsRead;
        std::u16string folder;
        std::int32_t theme;
        std::int32_t width;
    } cases[] = {
        {"no bytes: every default", {}, 0, u"", 10, 800},
        {"the boxes only", BoxBytes(), 19, u"", 10, 800},
        {"a box cut short", Prefix(BoxBytes(), 10), 2, u"", 10, 800},
        {"Unicode string", WithTail(BoxBytes(), {0xFF, 0xFE, 0xFF, 2, 'C', 0, ':', 0}, {3, 1000, 700, 1}), 24, u"C:", 3,
         1000},
        {"8-bit string, decoded from the code page", WithTail(BoxBytes(), {3, 'a', 'b', 0xE9}, {4, 900, 650, 0}), 24,
         u"~ab\u00E9", 4, 900},
        {"8-bit string with a 16-bit length", WithTail(BoxBytes(), {0xFF, 1, 0, 'x'}, {5, 801, 601, 0}), 24, u"~x", 5,
         801},
        {"bytes after the last field are ignored",
         WithTail(BoxBytes(), {0xFF, 0xFE, 0xFF, 0}, {2, 810, 610, 0, 77, 78}), 24, u"", 2, 810},
        {"the size cut short: theme read, width default", WithTail(BoxBytes(), {0xFF, 0xFE, 0xFF, 0}, {6}), 21, u"", 6,
         800},
        {"a 32-bit length beyond the file is refused",
         WithTail(BoxBytes(), {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF}, {0x7FFFFFFF, 1}), 19, u"", 10, 800},
        {"a 64-bit length beyond anything is refused",
         WithTail(BoxBytes(),
                  {0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF}, {}),
         19, u"", 10, 800},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const MainSettings read = ParseMainSettings(c.bytes.data(), c.bytes.size(), DecodeLatin);
        EXPECT_EQ(read.fieldsRead, c.fieldsRead);
        EXPECT_EQ(read.lastFolder, c.folder);
        EXPECT_EQ(read.theme, c.theme);
        EXPECT_EQ(read.width, c.width);
        if (c.fieldsRead >= 19) {
            EXPECT_EQ(read.boxes[1], 1);
            EXPECT_EQ(read.boxes[18], 0);
        }
    }
}

TEST(MainSettingsTest, WritesTheArchiveFormByteForByte) {
    const struct Case {
        const char* label;
        std::size_t folderLength;
        std::size_t size;
        Bytes header;  // the bytes from offset 76
    } cases[] = {
        {"empty folder", 0, 96, {0xFF, 0xFE, 0xFF, 0x00}},
        {"254 characters: one length byte", 254, 96 + 508, {0xFF, 0xFE, 0xFF, 0xFE}},
        {"300 characters: FF and a 16-bit length", 300, 98 + 600, {0xFF, 0xFE, 0xFF, 0xFF, 0x2C, 0x01}},
        {"65534 characters: FF FF FF and a 32-bit length",
         65534,
         102 + 2 * 65534,
         {0xFF, 0xFE, 0xFF, 0xFF, 0xFF, 0xFF, 0xFE, 0xFF, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        MainSettings settings;
        settings.boxes[0] = 1;
        settings.boxes[18] = 0x2000;  // stored as held, whatever the value
        settings.lastFolder = std::u16string(c.folderLength, u'\u00C4');
        settings.theme = 13;
        settings.width = 1000;
        settings.height = 700;
        settings.maximized = 1;
        const Bytes bytes = SerializeMainSettings(settings);
        ASSERT_EQ(bytes.size(), c.size);
        EXPECT_EQ(Bytes(bytes.begin() + 76, bytes.begin() + 76 + static_cast<std::ptrdiff_t>(c.header.size())),
                  c.header);
        EXPECT_EQ(bytes[0], 1);
        const MainSettings again = ParseMainSettings(bytes.data(), bytes.size(), DecodeLatin);
        EXPECT_EQ(again.fieldsRead, 24);
        EXPECT_EQ(again.boxes, settings.boxes);
        EXPECT_EQ(again.lastFolder, settings.lastFolder);
        EXPECT_EQ(again.theme, 13);
        EXPECT_EQ(again.width, 1000);
        EXPECT_EQ(again.height, 700);
        EXPECT_EQ(again.maximized, 1);
    }
}

TEST(FrameSettingsTest, TwoBytesReadLeniently) {
    const struct Case {
        const char* label;
        Bytes bytes;
        bool autoUpdate;
        bool noExitPrompt;
    } cases[] = {
        {"empty: both off", {}, false, false},
        {"one byte: both off", {1}, false, false},
        {"on, ask", {1, 0}, true, false},
        {"any non-zero byte is on", {0, 5}, false, true},
        {"extra bytes ignored", {1, 1, 7}, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const FrameSettings read = ParseFrameSettings(c.bytes.data(), c.bytes.size());
        EXPECT_EQ(read.autoUpdate, c.autoUpdate);
        EXPECT_EQ(read.noExitPrompt, c.noExitPrompt);
        EXPECT_EQ(SerializeFrameSettings(read), (Bytes{std::uint8_t(c.autoUpdate), std::uint8_t(c.noExitPrompt)}));
    }
}

}  // namespace
