#include "editing/ZipPackage.h"

#include <zlib.h>

#include <algorithm>
#include <limits>

namespace {

constexpr std::uint32_t kLocalSignature = 0x04034b50;
constexpr std::uint32_t kCentralSignature = 0x02014b50;
constexpr std::uint32_t kEndSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::size_t kLocalHeaderSize = 30;
constexpr std::size_t kCentralHeaderSize = 46;
constexpr std::size_t kEndRecordSize = 22;
constexpr std::size_t kZip64LocatorSize = 20;

constexpr std::uint16_t kFlagEncrypted = 0x0001;
constexpr std::uint16_t kFlagDataDescriptor = 0x0008;
constexpr std::uint16_t kFlagStrongEncryption = 0x0040;
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kMethodDeflated = 8;
constexpr std::uint16_t kMethodAes = 99;

// Little-endian fields read only after the caller has checked that they lie inside the bytes.
std::uint16_t Read16(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[at]) | static_cast<unsigned char>(bytes[at + 1])
                                                                                  << 8);
}

std::uint32_t Read32(std::string_view bytes, std::size_t at) {
    return static_cast<std::uint32_t>(Read16(bytes, at)) | static_cast<std::uint32_t>(Read16(bytes, at + 2)) << 16;
}

// True when [offset, offset + length) lies within [0, end).
bool Inside(std::size_t offset, std::size_t length, std::size_t end) {
    return offset <= end && length <= end - offset;
}

char AsciiLower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

bool SameIgnoringAsciiCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return AsciiLower(x) == AsciiLower(y); });
}

// The end-of-directory record: the last signature whose comment ends exactly at the file's end.
std::optional<std::size_t> FindEndRecord(std::string_view bytes) {
    if (bytes.size() < kEndRecordSize) {
        return std::nullopt;
    }
    const std::size_t last = bytes.size() - kEndRecordSize;
    const std::size_t first = last > 0xFFFF ? last - 0xFFFF : 0;
    for (std::size_t at = last + 1; at-- > first;) {
        if (Read32(bytes, at) == kEndSignature && at + kEndRecordSize + Read16(bytes, at + 20) == bytes.size()) {
            return at;
        }
    }
    return std::nullopt;
}

ZipStatus ReadCentralRecord(std::string_view bytes, std::size_t& at, std::size_t directoryEnd, std::size_t dataEnd,
                            ZipEntry& entry) {
    if (!Inside(at, kCentralHeaderSize, directoryEnd) || Read32(bytes, at) != kCentralSignature) {
        return ZipStatus::Damaged;
    }
    entry.versionMadeBy = Read16(bytes, at + 4);
    entry.versionNeeded = Read16(bytes, at + 6);
    entry.flags = Read16(bytes, at + 8);
    entry.method = Read16(bytes, at + 10);
    entry.modTime = Read16(bytes, at + 12);
    entry.modDate = Read16(bytes, at + 14);
    entry.crc = Read32(bytes, at + 16);
    entry.compressedSize = Read32(bytes, at + 20);
    entry.uncompressedSize = Read32(bytes, at + 24);
    const std::size_t nameLength = Read16(bytes, at + 28);
    const std::size_t extraLength = Read16(bytes, at + 30);
    const std::size_t commentLength = Read16(bytes, at + 32);
    const std::uint16_t startDisk = Read16(bytes, at + 34);
    entry.internalAttributes = Read16(bytes, at + 36);
    entry.externalAttributes = Read32(bytes, at + 38);
    const std::uint32_t localOffset = Read32(bytes, at + 42);
    const std::size_t variable = at + kCentralHeaderSize;
    if (!Inside(variable, nameLength + extraLength + commentLength, directoryEnd)) {
        return ZipStatus::Damaged;
    }
    entry.name.assign(bytes.substr(variable, nameLength));
    entry.centralExtra.assign(bytes.substr(variable + nameLength, extraLength));
    entry.comment.assign(bytes.substr(variable + nameLength + extraLength, commentLength));
    at = variable + nameLength + extraLength + commentLength;

    constexpr std::uint32_t kZip64Marker = 0xFFFFFFFF;
    if (entry.compressedSize == kZip64Marker || entry.uncompressedSize == kZip64Marker || localOffset == kZip64Marker) {
        return ZipStatus::TooLarge;
    }
    if (startDisk != 0 || entry.name.empty()) {
        return ZipStatus::Damaged;
    }
    if ((entry.flags & (kFlagEncrypted | kFlagStrongEncryption)) != 0 || entry.method == kMethodAes) {
        return ZipStatus::Encrypted;
    }
    // The local header must repeat the name, and the data must end before the directory.
    if (!Inside(localOffset, kLocalHeaderSize, dataEnd) || Read32(bytes, localOffset) != kLocalSignature) {
        return ZipStatus::Damaged;
    }
    const std::size_t localNameLength = Read16(bytes, localOffset + 26);
    const std::size_t localExtraLength = Read16(bytes, localOffset + 28);
    const std::size_t localVariable = localOffset + kLocalHeaderSize;
    if (!Inside(localVariable, localNameLength + localExtraLength, dataEnd) ||
        bytes.substr(localVariable, localNameLength) != entry.name) {
        return ZipStatus::Damaged;
    }
    entry.localExtra.assign(bytes.substr(localVariable + localNameLength, localExtraLength));
    entry.dataOffset = localVariable + localNameLength + localExtraLength;
    if (!Inside(entry.dataOffset, entry.compressedSize, dataEnd)) {
        return ZipStatus::Damaged;
    }
    if (entry.method == kMethodStored && entry.compressedSize != entry.uncompressedSize) {
        return ZipStatus::Damaged;
    }
    return ZipStatus::Ok;
}

// No two entries may share bytes (which a crafted archive uses to multiply its content) or
// a name.
bool EntriesAreDistinct(const std::vector<ZipEntry>& entries) {
    std::vector<std::pair<std::size_t, std::size_t>> spans;  // from the local header to the data's end
    std::vector<std::string> names;
    for (const ZipEntry& entry : entries) {
        const std::size_t localStart =
            entry.dataOffset - entry.localExtra.size() - entry.name.size() - kLocalHeaderSize;
        spans.emplace_back(localStart, entry.dataOffset + entry.compressedSize);
        std::string lower = entry.name;
        std::transform(lower.begin(), lower.end(), lower.begin(), AsciiLower);
        names.push_back(std::move(lower));
    }
    std::sort(spans.begin(), spans.end());
    for (std::size_t i = 1; i < spans.size(); ++i) {
        if (spans[i].first < spans[i - 1].second) {
            return false;
        }
    }
    std::sort(names.begin(), names.end());
    return std::adjacent_find(names.begin(), names.end()) == names.end();
}

void Put16(std::string& out, std::uint32_t value) {
    out += static_cast<char>(value & 0xFF);
    out += static_cast<char>((value >> 8) & 0xFF);
}

void Put32(std::string& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

std::uint32_t Crc32(std::string_view data) {
    uLong crc = ::crc32(0L, Z_NULL, 0);
    std::size_t done = 0;
    while (done < data.size()) {
        const uInt chunk = static_cast<uInt>(std::min<std::size_t>(data.size() - done, 1u << 30));
        crc = ::crc32(crc, reinterpret_cast<const Bytef*>(data.data() + done), chunk);
        done += chunk;
    }
    return static_cast<std::uint32_t>(crc);
}

std::optional<std::string> Deflate(std::string_view data) {
    if (data.size() > kMaxPartBytes) {
        return std::nullopt;
    }
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
        return std::nullopt;
    }
    std::string out(deflateBound(&stream, static_cast<uLong>(data.size())), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> Inflate(std::string_view data, std::size_t expected) {
    z_stream stream{};
    if (inflateInit2(&stream, -MAX_WBITS) != Z_OK) {
        return std::nullopt;
    }
    // Room for one byte more than expected, so that data longer than its record says is caught;
    // the buffer grows with what the data really holds rather than with what the record claims.
    const std::size_t room = expected + 1;
    std::string out(std::min<std::size_t>(room, 64 * 1024), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    int result = Z_OK;
    while (result == Z_OK) {
        if (stream.total_out == out.size()) {
            if (out.size() == room) {
                break;
            }
            out.resize(std::min(room, out.size() * 2));
        }
        stream.next_out = reinterpret_cast<Bytef*>(out.data() + stream.total_out);
        stream.avail_out = static_cast<uInt>(out.size() - stream.total_out);
        result = inflate(&stream, Z_FINISH);
        if (result == Z_BUF_ERROR && stream.avail_out == 0) {
            result = Z_OK;  // only out of room: grow and go on
        }
    }
    const std::size_t produced = stream.total_out;
    inflateEnd(&stream);
    if (result != Z_STREAM_END || produced != expected) {
        return std::nullopt;
    }
    out.resize(produced);
    return out;
}

}  // namespace

bool HasZipSignature(std::string_view bytes) {
    return bytes.size() >= 4 && Read32(bytes, 0) == kLocalSignature;
}

ZipStatus ReadZipArchive(std::string_view bytes, ZipArchive& archive) {
    archive = {};
    if (bytes.size() > kMaxPackageBytes) {
        return ZipStatus::TooLarge;
    }
    const std::optional<std::size_t> end = FindEndRecord(bytes);
    if (!end) {
        return HasZipSignature(bytes) ? ZipStatus::Damaged : ZipStatus::NotZip;
    }
    if (*end >= kZip64LocatorSize && Read32(bytes, *end - kZip64LocatorSize) == kZip64LocatorSignature) {
        return ZipStatus::TooLarge;
    }
    const std::uint16_t disk = Read16(bytes, *end + 4);
    const std::uint16_t directoryDisk = Read16(bytes, *end + 6);
    const std::uint16_t entriesOnDisk = Read16(bytes, *end + 8);
    const std::uint16_t entryCount = Read16(bytes, *end + 10);
    const std::uint32_t directorySize = Read32(bytes, *end + 12);
    const std::uint32_t directoryOffset = Read32(bytes, *end + 16);
    if (entryCount == 0xFFFF || directorySize == 0xFFFFFFFF || directoryOffset == 0xFFFFFFFF) {
        return ZipStatus::TooLarge;
    }
    if (disk != 0 || directoryDisk != 0 || entriesOnDisk != entryCount ||
        !Inside(directoryOffset, directorySize, *end)) {
        return ZipStatus::Damaged;
    }
    archive.comment.assign(bytes.substr(*end + kEndRecordSize));
    const std::size_t directoryEnd = std::size_t{directoryOffset} + directorySize;
    std::size_t at = directoryOffset;
    for (std::uint32_t i = 0; i < entryCount; ++i) {
        ZipEntry entry;
        const ZipStatus status = ReadCentralRecord(bytes, at, directoryEnd, directoryOffset, entry);
        if (status != ZipStatus::Ok) {
            archive = {};
            return status;
        }
        archive.entries.push_back(std::move(entry));
    }
    if (at != directoryEnd || !EntriesAreDistinct(archive.entries)) {
        archive = {};
        return ZipStatus::Damaged;
    }
    return ZipStatus::Ok;
}

const ZipEntry* FindZipEntry(const ZipArchive& archive, std::string_view name) {
    const ZipEntry* caseless = nullptr;
    for (const ZipEntry& entry : archive.entries) {
        if (entry.name == name) {
            return &entry;
        }
        if (!caseless && SameIgnoringAsciiCase(entry.name, name)) {
            caseless = &entry;
        }
    }
    return caseless;
}

std::optional<std::string> UnpackZipEntry(std::string_view bytes, const ZipEntry& entry, std::size_t limit) {
    if (entry.uncompressedSize > limit || !Inside(entry.dataOffset, entry.compressedSize, bytes.size())) {
        return std::nullopt;
    }
    const std::string_view data = bytes.substr(entry.dataOffset, entry.compressedSize);
    std::optional<std::string> content;
    if (entry.method == kMethodStored) {
        content = std::string(data);
    } else if (entry.method == kMethodDeflated) {
        content = Inflate(data, entry.uncompressedSize);
    }
    if (!content || content->size() != entry.uncompressedSize || Crc32(*content) != entry.crc) {
        return std::nullopt;
    }
    return content;
}

std::optional<std::string> WriteZipArchive(std::string_view sourceBytes, const ZipArchive& source,
                                           const std::vector<ZipOutputEntry>& entries) {
    if (entries.size() >= 0xFFFF || source.comment.size() > 0xFFFF) {
        return std::nullopt;
    }
    std::string out;
    std::string directory;
    for (const ZipOutputEntry& output : entries) {
        // Start from the source's record (a copied or replaced entry) or a plain new one.
        ZipEntry record;
        if (output.source) {
            record = *output.source;
        } else {
            record.name = output.name;
            record.versionMadeBy = 20;
            record.modTime = output.modTime;
            record.modDate = output.modDate;
            record.method = output.stored ? kMethodStored : kMethodDeflated;
        }
        std::string_view data;
        std::string packed;
        if (output.hasContent) {
            if (record.method == kMethodStored) {
                packed = output.content;
            } else {
                std::optional<std::string> deflated = Deflate(output.content);
                if (!deflated) {
                    return std::nullopt;
                }
                packed = std::move(*deflated);
                record.method = kMethodDeflated;
            }
            if (output.content.size() > std::numeric_limits<std::uint32_t>::max()) {
                return std::nullopt;
            }
            record.versionNeeded = record.method == kMethodStored ? 10 : 20;
            record.crc = Crc32(output.content);
            record.uncompressedSize = static_cast<std::uint32_t>(output.content.size());
            data = packed;
        } else {
            if (!output.source || !Inside(record.dataOffset, record.compressedSize, sourceBytes.size())) {
                return std::nullopt;
            }
            data = sourceBytes.substr(record.dataOffset, record.compressedSize);
        }
        if (data.size() > std::numeric_limits<std::uint32_t>::max() || record.name.size() > 0xFFFF ||
            record.localExtra.size() > 0xFFFF || record.centralExtra.size() > 0xFFFF ||
            record.comment.size() > 0xFFFF) {
            return std::nullopt;
        }
        record.compressedSize = static_cast<std::uint32_t>(data.size());
        // Sizes and CRC now stand in the local header, so no data descriptor follows the data.
        record.flags = static_cast<std::uint16_t>(record.flags & ~kFlagDataDescriptor);

        if (out.size() > std::numeric_limits<std::uint32_t>::max()) {
            return std::nullopt;
        }
        const auto localOffset = static_cast<std::uint32_t>(out.size());
        Put32(out, kLocalSignature);
        Put16(out, record.versionNeeded);
        Put16(out, record.flags);
        Put16(out, record.method);
        Put16(out, record.modTime);
        Put16(out, record.modDate);
        Put32(out, record.crc);
        Put32(out, record.compressedSize);
        Put32(out, record.uncompressedSize);
        Put16(out, static_cast<std::uint32_t>(record.name.size()));
        Put16(out, static_cast<std::uint32_t>(record.localExtra.size()));
        out += record.name;
        out += record.localExtra;
        out += data;

        Put32(directory, kCentralSignature);
        Put16(directory, record.versionMadeBy);
        Put16(directory, record.versionNeeded);
        Put16(directory, record.flags);
        Put16(directory, record.method);
        Put16(directory, record.modTime);
        Put16(directory, record.modDate);
        Put32(directory, record.crc);
        Put32(directory, record.compressedSize);
        Put32(directory, record.uncompressedSize);
        Put16(directory, static_cast<std::uint32_t>(record.name.size()));
        Put16(directory, static_cast<std::uint32_t>(record.centralExtra.size()));
        Put16(directory, static_cast<std::uint32_t>(record.comment.size()));
        Put16(directory, 0);  // disk
        Put16(directory, record.internalAttributes);
        Put32(directory, record.externalAttributes);
        Put32(directory, localOffset);
        directory += record.name;
        directory += record.centralExtra;
        directory += record.comment;
    }
    if (out.size() + directory.size() > std::numeric_limits<std::uint32_t>::max()) {
        return std::nullopt;
    }
    const auto directoryOffset = static_cast<std::uint32_t>(out.size());
    out += directory;
    Put32(out, kEndSignature);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put16(out, static_cast<std::uint32_t>(entries.size()));
    Put32(out, static_cast<std::uint32_t>(directory.size()));
    Put32(out, directoryOffset);
    Put16(out, static_cast<std::uint32_t>(source.comment.size()));
    out += source.comment;
    return out;
}

PackageKind DetectPackageKind(std::string_view bytes, const ZipArchive& archive) {
    if (archive.entries.empty()) {
        return PackageKind::None;
    }
    // An OpenDocument file starts with its media type, stored, as the entry "mimetype".
    const ZipEntry& first = archive.entries.front();
    if (first.name == "mimetype" && first.method == kMethodStored) {
        const std::optional<std::string> type = UnpackZipEntry(bytes, first, 256);
        if (type && type->starts_with("application/vnd.oasis.opendocument.")) {
            return PackageKind::OpenDocument;
        }
    }
    if (FindZipEntry(archive, "[Content_Types].xml")) {
        return PackageKind::OfficeOpenXml;
    }
    return PackageKind::None;
}
