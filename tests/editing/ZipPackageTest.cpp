// The zip container layer: reading directories strictly, copying entries as stored, and telling
// document packages by their content.
#include "editing/ZipPackage.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace {

// An archive written by our own writer from new entries.
std::string MakeArchive(const std::vector<std::pair<std::string, std::string>>& files) {
    std::vector<ZipOutputEntry> entries;
    for (const auto& [name, content] : files)
        entries.push_back(ZipOutputEntry::Add(name, content));
    return WriteZipArchive({}, {}, entries).value();
}

void Poke16(std::string& bytes, std::size_t at, std::uint16_t value) {
    bytes[at] = static_cast<char>(value & 0xFF);
    bytes[at + 1] = static_cast<char>(value >> 8);
}

void Poke32(std::string& bytes, std::size_t at, std::uint32_t value) {
    Poke16(bytes, at, value & 0xFFFF);
    Poke16(bytes, at + 2, static_cast<std::uint16_t>(value >> 16));
}

std::uint32_t Peek32(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = value << 8 | static_cast<unsigned char>(bytes[at + static_cast<std::size_t>(i)]);
    return value;
}

// Offsets in an archive with no comment.
std::size_t EndRecord(const std::string& bytes) {
    return bytes.size() - 22;
}
std::size_t Directory(const std::string& bytes) {
    return Peek32(bytes, EndRecord(bytes) + 16);
}

const std::vector<std::pair<std::string, std::string>> kTwoFiles = {{"first.xml", std::string(200000, 'a') + "<x/>"},
                                                                    {"second.bin", "\x01\x02\x03 short"}};

TEST(ZipPackageTest, WrittenArchivesReadBackInOrder) {
    const std::string bytes = MakeArchive(kTwoFiles);
    ZipArchive archive;
    ASSERT_EQ(ReadZipArchive(bytes, archive), ZipStatus::Ok);
    ASSERT_EQ(archive.entries.size(), 2u);
    for (std::size_t i = 0; i < kTwoFiles.size(); ++i) {
        SCOPED_TRACE(kTwoFiles[i].first);
        EXPECT_EQ(archive.entries[i].name, kTwoFiles[i].first);
        EXPECT_EQ(UnpackZipEntry(bytes, archive.entries[i]), kTwoFiles[i].second);
    }
    EXPECT_LT(archive.entries[0].compressedSize, 200004u) << "new content is deflated";
    EXPECT_EQ(FindZipEntry(archive, "FIRST.XML"), &archive.entries[0]) << "part names ignore ASCII case";
    EXPECT_EQ(FindZipEntry(archive, "third"), nullptr);
}

TEST(ZipPackageTest, CopiedEntriesKeepTheirStoredBytesAndAReplacedOneItsRecord) {
    std::string source = MakeArchive(kTwoFiles);
    ZipArchive archive;
    ASSERT_EQ(ReadZipArchive(source, archive), ZipStatus::Ok);
    // A data descriptor flag on the source: the copy carries sizes in its local header instead.
    archive.entries[1].flags |= 0x0008;
    archive.entries[1].externalAttributes = 0x81A40000;
    const std::optional<std::string> rewritten =
        WriteZipArchive(source, archive,
                        {ZipOutputEntry::Replace(archive.entries[0], "new"), ZipOutputEntry::Copy(archive.entries[1]),
                         ZipOutputEntry::Add("added.xml", "<added/>")});
    ASSERT_TRUE(rewritten);
    ZipArchive after;
    ASSERT_EQ(ReadZipArchive(*rewritten, after), ZipStatus::Ok);
    ASSERT_EQ(after.entries.size(), 3u);
    EXPECT_EQ(after.entries[0].name, "first.xml");
    EXPECT_EQ(UnpackZipEntry(*rewritten, after.entries[0]), "new");
    EXPECT_EQ(rewritten->substr(after.entries[1].dataOffset, after.entries[1].compressedSize),
              source.substr(archive.entries[1].dataOffset, archive.entries[1].compressedSize));
    EXPECT_EQ(after.entries[1].flags & 0x0008, 0);
    EXPECT_EQ(after.entries[1].externalAttributes, 0x81A40000u);
    EXPECT_EQ(after.entries[1].crc, archive.entries[1].crc);
    EXPECT_EQ(UnpackZipEntry(*rewritten, after.entries[2]), "<added/>");
}

TEST(ZipPackageTest, DamagedEncryptedAndOversizedArchivesAreRefused) {
    const std::string good = MakeArchive(kTwoFiles);
    struct Case {
        const char* label;
        std::function<void(std::string&)> damage;
        ZipStatus expected;
    };
    const Case cases[] = {
        {"no end record", [](std::string& b) { b.resize(b.size() - 10); }, ZipStatus::Damaged},
        {"not a zip at all", [](std::string& b) { b = "plain text, long enough to hold a record or two"; },
         ZipStatus::NotZip},
        {"directory beyond the file", [](std::string& b) { Poke32(b, EndRecord(b) + 16, 0x7FFFFFF0); },
         ZipStatus::Damaged},
        {"more entries than the directory holds",
         [](std::string& b) {
             Poke16(b, EndRecord(b) + 8, 3);
             Poke16(b, EndRecord(b) + 10, 3);
         },
         ZipStatus::Damaged},
        {"fewer entries than the directory holds",
         [](std::string& b) {
             Poke16(b, EndRecord(b) + 8, 1);
             Poke16(b, EndRecord(b) + 10, 1);
         },
         ZipStatus::Damaged},
        {"a second disk", [](std::string& b) { Poke16(b, EndRecord(b) + 4, 1); }, ZipStatus::Damaged},
        {"compressed size reaching into the directory", [](std::string& b) { Poke32(b, Directory(b) + 20, 0x100000); },
         ZipStatus::Damaged},
        {"local header offset past the data", [](std::string& b) { Poke32(b, Directory(b) + 42, 0xFFFFF); },
         ZipStatus::Damaged},
        {"local name differs", [](std::string& b) { b[30] = 'F'; }, ZipStatus::Damaged},
        {"name length past the directory", [](std::string& b) { Poke16(b, Directory(b) + 28, 0xFFFF); },
         ZipStatus::Damaged},
        {"two records for one entry's bytes",
         [](std::string& b) {
             // The second record points at the first entry's local header, whose name then differs;
             // renaming the record makes the two share their bytes.
             const std::size_t second = Directory(b) + 46 + 9;
             Poke32(b, second + 42, 0);
             Poke16(b, second + 28, 9);
             b.replace(second + 46, 9, "first.xml");
             b.erase(second + 46 + 9, 1);
             Poke32(b, EndRecord(b) + 12, Peek32(b, EndRecord(b) + 12) - 1);
         },
         ZipStatus::Damaged},
        {"encrypted entry", [](std::string& b) { Poke16(b, Directory(b) + 8, 1); }, ZipStatus::Encrypted},
        {"AES entry", [](std::string& b) { Poke16(b, Directory(b) + 10, 99); }, ZipStatus::Encrypted},
        {"zip64 sizes", [](std::string& b) { Poke32(b, Directory(b) + 24, 0xFFFFFFFF); }, ZipStatus::TooLarge},
        {"zip64 entry count", [](std::string& b) { Poke16(b, EndRecord(b) + 10, 0xFFFF); }, ZipStatus::TooLarge},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        std::string bytes = good;
        c.damage(bytes);
        ZipArchive archive;
        EXPECT_EQ(ReadZipArchive(bytes, archive), c.expected);
        EXPECT_TRUE(archive.entries.empty());
    }
}

TEST(ZipPackageTest, UnpackingChecksSizeAndChecksum) {
    const std::string bytes = MakeArchive(kTwoFiles);
    ZipArchive archive;
    ASSERT_EQ(ReadZipArchive(bytes, archive), ZipStatus::Ok);
    struct Case {
        const char* label;
        std::function<void(ZipEntry&)> change;
        std::size_t limit;
        bool unpacks;
    };
    const Case cases[] = {
        {"as recorded", [](ZipEntry&) {}, kMaxPartBytes, true},
        {"checksum differs", [](ZipEntry& e) { e.crc ^= 1; }, kMaxPartBytes, false},
        {"claims to be longer", [](ZipEntry& e) { e.uncompressedSize += 1; }, kMaxPartBytes, false},
        {"claims to be shorter", [](ZipEntry& e) { e.uncompressedSize -= 1; }, kMaxPartBytes, false},
        {"larger than the limit", [](ZipEntry&) {}, 100, false},
        {"unknown method", [](ZipEntry& e) { e.method = 12; }, kMaxPartBytes, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ZipEntry entry = archive.entries[0];
        c.change(entry);
        EXPECT_EQ(UnpackZipEntry(bytes, entry, c.limit).has_value(), c.unpacks);
    }
}

TEST(ZipPackageTest, PackagesAreToldByTheirContent) {
    std::vector<ZipOutputEntry> odf = {ZipOutputEntry::Add("mimetype", "application/vnd.oasis.opendocument.text"),
                                       ZipOutputEntry::Add("meta.xml", "<m/>")};
    const auto stored = [](std::vector<ZipOutputEntry> entries) {
        entries.front().stored = true;
        return WriteZipArchive({}, {}, entries).value();
    };
    struct Case {
        const char* label;
        std::string bytes;
        PackageKind expected;
    };
    const Case cases[] = {
        {"OpenDocument: stored mimetype first", stored(odf), PackageKind::OpenDocument},
        {"mimetype deflated", WriteZipArchive({}, {}, odf).value(), PackageKind::None},
        {"another media type", stored({ZipOutputEntry::Add("mimetype", "application/epub+zip")}), PackageKind::None},
        {"Office Open XML: content types", MakeArchive({{"_rels/.rels", "<r/>"}, {"[Content_Types].xml", "<t/>"}}),
         PackageKind::OfficeOpenXml},
        {"a plain zip", MakeArchive({{"readme.txt", "hello"}}), PackageKind::None},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ZipArchive archive;
        ASSERT_EQ(ReadZipArchive(c.bytes, archive), ZipStatus::Ok);
        EXPECT_EQ(DetectPackageKind(c.bytes, archive), c.expected);
        EXPECT_TRUE(HasZipSignature(c.bytes));
    }
    EXPECT_FALSE(HasZipSignature("\xD0\xCF\x11\xE0"));
}

}  // namespace
