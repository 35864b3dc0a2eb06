// Feeds arbitrary bytes to the document-package reader. The input is taken as a zip archive:
// whatever its directory claims, reading must stay inside the bytes, and an archive that reads
// must copy into a new one that reads back with the same entries and stored bytes. The same
// bytes also drive a sequence of XML nodes (the shape of a properties part), on which setting
// values must read them back.
#include "editing/PackageXml.h"
#include "editing/ZipPackage.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iterator>
#include <string>
#include <string_view>
#include <vector>

namespace {

void Check(bool condition) {
    if (!condition)
        std::abort();
}

void CheckArchive(std::string_view bytes) {
    ZipArchive archive;
    if (ReadZipArchive(bytes, archive) != ZipStatus::Ok)
        return;
    std::vector<ZipOutputEntry> copy;
    for (const ZipEntry& entry : archive.entries) {
        UnpackZipEntry(bytes, entry, 1u << 20);
        copy.push_back(ZipOutputEntry::Copy(entry));
    }
    DetectPackageKind(bytes, archive);
    const std::optional<std::string> written = WriteZipArchive(bytes, archive, copy);
    Check(written.has_value());
    ZipArchive again;
    Check(ReadZipArchive(*written, again) == ZipStatus::Ok);
    Check(again.entries.size() == archive.entries.size());
    for (std::size_t i = 0; i < again.entries.size(); ++i) {
        const ZipEntry& before = archive.entries[i];
        const ZipEntry& after = again.entries[i];
        Check(after.name == before.name && after.crc == before.crc && after.method == before.method);
        Check(written->substr(after.dataOffset, after.compressedSize) ==
              bytes.substr(before.dataOffset, before.compressedSize));
    }
}

struct Vocabulary {
    const char* qualifiedName;
    const char* ns;
    const char* local;
};

const Vocabulary kElements[] = {
    {"cp:coreProperties", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties", "coreProperties"},
    {"dc:title", "http://purl.org/dc/elements/1.1/", "title"},
    {"cp:keywords", "http://schemas.openxmlformats.org/package/2006/metadata/core-properties", "keywords"},
    {"Properties", "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties", "Properties"},
    {"Template", "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties", "Template"},
    {"office:document-meta", "urn:oasis:names:tc:opendocument:xmlns:office:1.0", "document-meta"},
    {"office:meta", "urn:oasis:names:tc:opendocument:xmlns:office:1.0", "meta"},
    {"meta:keyword", "urn:oasis:names:tc:opendocument:xmlns:meta:1.0", "keyword"},
    {"meta:template", "urn:oasis:names:tc:opendocument:xmlns:meta:1.0", "template"},
    {"other", "", "other"},
};

XmlNodes NodesFrom(std::string_view bytes) {
    XmlNodes nodes;
    std::vector<XmlNode> open;
    for (unsigned char byte : bytes) {
        const Vocabulary& word = kElements[(byte >> 3) % std::size(kElements)];
        XmlNode node;
        switch (byte & 7) {
            case 0:
            case 1:
                node.kind = XmlNodeKind::Element;
                node.qualifiedName = word.qualifiedName;
                node.namespaceUri = word.ns;
                node.localName = word.local;
                node.empty = (byte & 7) == 1;
                if ((byte & 0x40) != 0)
                    node.attributes.push_back(
                        {"xmlns:dc", "http://www.w3.org/2000/xmlns/", "dc", "http://purl.org/dc/elements/1.1/"});
                if (!node.empty)
                    open.push_back(node);
                break;
            case 2:
                if (open.empty())
                    continue;
                node = open.back();
                node.kind = XmlNodeKind::EndElement;
                node.attributes.clear();
                open.pop_back();
                break;
            case 3:
                node.kind = XmlNodeKind::Text;
                node.value = std::string(1 + byte % 5, static_cast<char>('a' + byte % 26));
                break;
            case 4:
                node.kind = XmlNodeKind::Whitespace;
                node.value = "\n ";
                break;
            default:
                node.kind = XmlNodeKind::Comment;
                node.value = "c";
        }
        nodes.push_back(std::move(node));
    }
    while (!open.empty()) {
        XmlNode end = open.back();
        end.kind = XmlNodeKind::EndElement;
        end.attributes.clear();
        nodes.push_back(std::move(end));
        open.pop_back();
    }
    return nodes;
}

void CheckEdits(std::string_view bytes) {
    const PackageValues wanted = {{2, "T & <title>"}, {4, ""}, {5, "k1, k2"}, {7, "tpl\"x"}, {18, "app"}};
    for (PackagePart part : {PackagePart::Core, PackagePart::Extended, PackagePart::OpenDocumentMeta}) {
        XmlNodes nodes = NodesFrom(bytes);
        bool changed = false;
        if (!EditPackageValues(nodes, part, wanted, changed))
            continue;
        SerializeXml(nodes);
        const PackageValues read = ReadPackageValues(nodes, part);
        for (const auto& [id, value] : wanted) {
            if (!PartHoldsProperty(part, id))
                continue;
            const auto found = read.find(id);
            Check((found == read.end() ? std::string() : found->second) == value);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CheckArchive(bytes);
    // The edits cost about the square of the node count: short inputs keep the runs quick.
    if (size <= 128)
        CheckEdits(bytes);
    return 0;
}
