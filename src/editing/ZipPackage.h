// The zip container of Office Open XML and OpenDocument files: reading its directory with strict
// bounds checks, unpacking a part, and writing a new archive in which every untouched entry is
// carried over as its stored (compressed) bytes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

// Larger packages are refused rather than held in memory twice (the old and the new archive).
constexpr std::size_t kMaxPackageBytes = 256u * 1024 * 1024;
// A part we unpack (an XML part of a few kilobytes in practice) may not grow beyond this.
constexpr std::size_t kMaxPartBytes = 16u * 1024 * 1024;

enum class ZipStatus {
    Ok,
    NotZip,     // no end-of-directory record: not an archive at all
    Damaged,    // a record is cut off, points outside the file or contradicts another
    Encrypted,  // an entry is encrypted
    TooLarge,   // beyond kMaxPackageBytes, or a zip64 archive
};

// One entry as its central directory record describes it. The bytes it holds are
// archive[dataOffset, dataOffset + compressedSize).
struct ZipEntry {
    std::string name;
    std::uint16_t versionMadeBy = 0;
    std::uint16_t versionNeeded = 0;
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint16_t modTime = 0;
    std::uint16_t modDate = 0;
    std::uint32_t crc = 0;
    std::uint32_t compressedSize = 0;
    std::uint32_t uncompressedSize = 0;
    std::uint16_t internalAttributes = 0;
    std::uint32_t externalAttributes = 0;
    std::string centralExtra;
    std::string comment;
    std::string localExtra;
    std::size_t dataOffset = 0;
};

struct ZipArchive {
    std::vector<ZipEntry> entries;  // in the order of the central directory
    std::string comment;
};

// Reads the directory of `bytes`. Any inconsistency is Damaged; nothing is ever read outside
// `bytes`.
ZipStatus ReadZipArchive(std::string_view bytes, ZipArchive& archive);

// The entry of that exact name, or, failing that, one whose name differs only in ASCII case
// (package part names are case-insensitive).
const ZipEntry* FindZipEntry(const ZipArchive& archive, std::string_view name);

// The entry's content: stored or deflated, checked against its size and CRC, at most `limit`
// bytes. Nothing for another method, damaged data or a larger entry.
std::optional<std::string> UnpackZipEntry(std::string_view bytes, const ZipEntry& entry,
                                          std::size_t limit = kMaxPartBytes);

// An entry of the archive to write: an entry of the source archive copied as it is stored, the
// same entry with new content (name, times and attributes kept; deflated unless it was stored),
// or a new entry (deflated unless `stored`).
struct ZipOutputEntry {
    const ZipEntry* source = nullptr;
    bool hasContent = false;
    std::string content;
    std::string name;  // of a new entry
    std::uint16_t modTime = 0;
    std::uint16_t modDate = 0x21;  // 1980-01-01, the earliest date a zip entry can hold
    bool stored = false;           // a new entry kept uncompressed (an OpenDocument mimetype)

    static ZipOutputEntry Copy(const ZipEntry& entry) { return {&entry, false, {}, {}}; }
    static ZipOutputEntry Replace(const ZipEntry& entry, std::string content) {
        return {&entry, true, std::move(content), {}};
    }
    static ZipOutputEntry Add(std::string name, std::string content, bool stored = false) {
        ZipOutputEntry entry{nullptr, true, std::move(content), std::move(name)};
        entry.stored = stored;
        return entry;
    }
};

// The new archive, or nothing when it would need zip64 or deflating failed.
std::optional<std::string> WriteZipArchive(std::string_view sourceBytes, const ZipArchive& source,
                                           const std::vector<ZipOutputEntry>& entries);

// What kind of document package the archive is, judged by its content only.
enum class PackageKind { None, OfficeOpenXml, OpenDocument };
PackageKind DetectPackageKind(std::string_view bytes, const ZipArchive& archive);

// True when the bytes start like a zip archive's first local entry.
bool HasZipSignature(std::string_view bytes);
