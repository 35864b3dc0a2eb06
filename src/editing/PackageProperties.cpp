#include "editing/PackageProperties.h"

#include "editing/PackageXml.h"
#include "editing/ZipPackage.h"
#include "framework/Gdi.h"
#include "framework/TextConv.h"
#include "support/ErrorLog.h"

#include <shlwapi.h>
#include <xmllite.h>

#include <algorithm>
#include <cstring>
#include <memory>

namespace {

template <class Interface>
struct Releaser {
    void operator()(Interface* object) const { object->Release(); }
};
template <class Interface>
using ComRef = std::unique_ptr<Interface, Releaser<Interface>>;

enum class LoadStatus { Ok, NotAPackage, Unreadable, TooLarge };

LoadStatus LoadFile(const std::wstring& path, std::string& bytes) {
    // Shared for reading only: a file another program is writing is not ours to replace.
    const UniqueHandle file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                          FILE_ATTRIBUTE_NORMAL, nullptr));
    if (file.get() == INVALID_HANDLE_VALUE) {
        return LoadStatus::Unreadable;
    }
    char signature[4] = {};
    DWORD read = 0;
    if (!::ReadFile(file.get(), signature, sizeof signature, &read, nullptr) ||
        !HasZipSignature(std::string_view(signature, read))) {
        return LoadStatus::NotAPackage;
    }
    LARGE_INTEGER size{};
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0) {
        return LoadStatus::Unreadable;
    }
    if (static_cast<unsigned long long>(size.QuadPart) > kMaxPackageBytes) {
        return LoadStatus::TooLarge;
    }
    bytes.assign(static_cast<size_t>(size.QuadPart), '\0');
    std::memcpy(bytes.data(), signature, 4);
    size_t done = 4;
    while (done < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
        if (!::ReadFile(file.get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) {
            return LoadStatus::Unreadable;
        }
        done += read;
    }
    return LoadStatus::Ok;
}

using CreateXmlReaderFunction = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

// XmlLite ships with Windows (and Wine) but MinGW has no import library for it; it is loaded
// once and kept for the program's life.
CreateXmlReaderFunction XmlReaderFactory() {
    static const CreateXmlReaderFunction factory = [] {
        const HMODULE module = ::LoadLibraryW(L"xmllite.dll");
        return module ? reinterpret_cast<CreateXmlReaderFunction>(
                            reinterpret_cast<void*>(::GetProcAddress(module, "CreateXmlReader")))
                      : nullptr;
    }();
    return factory;
}

std::string Utf8(const WCHAR* text, UINT length) {
    return ToNarrow(std::wstring_view(text, length), CP_UTF8);
}

// Parses a part with document type definitions prohibited, so that no entity is ever expanded.
bool ParseXml(const std::string& text, XmlNodes& nodes) {
    nodes.clear();
    const CreateXmlReaderFunction create = XmlReaderFactory();
    if (!create || text.size() > kMaxPartBytes) {
        return false;
    }
    ComRef<IStream> stream(
        ::SHCreateMemStream(reinterpret_cast<const BYTE*>(text.data()), static_cast<UINT>(text.size())));
    IXmlReader* rawReader = nullptr;
    if (!stream || FAILED(create(__uuidof(IXmlReader), reinterpret_cast<void**>(&rawReader), nullptr)) || !rawReader) {
        return false;
    }
    ComRef<IXmlReader> reader(rawReader);
    if (FAILED(reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit)) ||
        FAILED(reader->SetInput(stream.get()))) {
        return false;
    }
    reader->SetProperty(XmlReaderProperty_MaxElementDepth, 256);
    const auto name = [&](XmlNode& node) {
        const WCHAR* chars = nullptr;
        UINT length = 0;
        if (SUCCEEDED(reader->GetQualifiedName(&chars, &length)))
            node.qualifiedName = Utf8(chars, length);
        if (SUCCEEDED(reader->GetNamespaceUri(&chars, &length)))
            node.namespaceUri = Utf8(chars, length);
        if (SUCCEEDED(reader->GetLocalName(&chars, &length)))
            node.localName = Utf8(chars, length);
        if (SUCCEEDED(reader->GetValue(&chars, &length)))
            node.value = Utf8(chars, length);
    };
    XmlNodeType type = XmlNodeType_None;
    HRESULT hr = S_OK;
    while ((hr = reader->Read(&type)) == S_OK) {
        XmlNode node;
        switch (type) {
            case XmlNodeType_XmlDeclaration:
                node.kind = XmlNodeKind::Declaration;
                break;
            case XmlNodeType_Element:
                node.kind = XmlNodeKind::Element;
                break;
            case XmlNodeType_EndElement:
                node.kind = XmlNodeKind::EndElement;
                break;
            case XmlNodeType_Text:
                node.kind = XmlNodeKind::Text;
                break;
            case XmlNodeType_CDATA:
                node.kind = XmlNodeKind::CData;
                break;
            case XmlNodeType_Whitespace:
                node.kind = XmlNodeKind::Whitespace;
                break;
            case XmlNodeType_Comment:
                node.kind = XmlNodeKind::Comment;
                break;
            case XmlNodeType_ProcessingInstruction:
                node.kind = XmlNodeKind::ProcessingInstruction;
                break;
            default:
                return false;  // a document type or anything else we would not write back
        }
        name(node);
        if (type == XmlNodeType_Element) {
            node.empty = reader->IsEmptyElement() != FALSE;
        }
        if (type == XmlNodeType_Element || type == XmlNodeType_XmlDeclaration) {
            for (HRESULT more = reader->MoveToFirstAttribute(); more == S_OK; more = reader->MoveToNextAttribute()) {
                XmlNode attribute;
                name(attribute);
                node.attributes.push_back(
                    {attribute.qualifiedName, attribute.namespaceUri, attribute.localName, attribute.value});
            }
            reader->MoveToElement();
        }
        if (type == XmlNodeType_XmlDeclaration) {
            node.value.clear();
        }
        nodes.push_back(std::move(node));
    }
    return hr == S_FALSE;
}

// A package opened for its properties: the archive and its parsed property parts.
struct OpenedPackage {
    std::string bytes;
    ZipArchive archive;
    PackageKind kind = PackageKind::None;
    struct Part {
        PackagePart which;
        std::string name;
        const ZipEntry* entry = nullptr;  // null: the part is to be created
        XmlNodes nodes;
        bool related = false;  // the root relationships name it
    };
    std::vector<Part> parts;
    // Office Open XML: the root relationships and the content types, edited when a part is added.
    const ZipEntry* relationshipsEntry = nullptr;
    XmlNodes relationships;
    const ZipEntry* contentTypesEntry = nullptr;
    XmlNodes contentTypes;
};

bool ParseEntry(const OpenedPackage& package, const ZipEntry& entry, XmlNodes& nodes) {
    const std::optional<std::string> text = UnpackZipEntry(package.bytes, entry);
    return text && ParseXml(*text, nodes);
}

// Why a package cannot be handled, for the error log; nullptr when it can.
const wchar_t* OpenPackage(const std::wstring& path, OpenedPackage& package, PackageOutcome& outcome) {
    outcome = PackageOutcome::Failed;
    switch (LoadFile(path, package.bytes)) {
        case LoadStatus::NotAPackage:
        case LoadStatus::Unreadable:
            // A file we cannot open (a folder, a file held by another program) is left to the
            // compound-document route, which fails for it as it always did.
            outcome = PackageOutcome::NotAPackage;
            return nullptr;
        case LoadStatus::TooLarge:
            return L"it is too large to handle";
        case LoadStatus::Ok:
            break;
    }
    switch (ReadZipArchive(package.bytes, package.archive)) {
        case ZipStatus::Ok:
            break;
        case ZipStatus::NotZip:
        case ZipStatus::Damaged:
            return L"its zip directory is damaged";
        case ZipStatus::Encrypted:
            return L"it is encrypted";
        case ZipStatus::TooLarge:
            return L"it is too large to handle";
    }
    package.kind = DetectPackageKind(package.bytes, package.archive);
    if (package.kind == PackageKind::None) {
        outcome = PackageOutcome::NotAPackage;
        return nullptr;
    }
    if (package.kind == PackageKind::OpenDocument) {
        if (const ZipEntry* manifest = FindZipEntry(package.archive, "META-INF/manifest.xml")) {
            XmlNodes nodes;
            if (!ParseEntry(package, *manifest, nodes))
                return L"its manifest is damaged";
            if (ManifestDeclaresEncryption(nodes))
                return L"it is password-protected";
        }
        OpenedPackage::Part meta{
            PackagePart::OpenDocumentMeta, "meta.xml", FindZipEntry(package.archive, "meta.xml"), {}, true};
        if (!meta.entry) {
            // Every office document has its meta part; one without it is not ours to invent.
            return L"it has no meta.xml part";
        }
        if (!ParseEntry(package, *meta.entry, meta.nodes))
            return L"its meta.xml part is damaged";
        package.parts.push_back(std::move(meta));
    } else {
        package.contentTypesEntry = FindZipEntry(package.archive, "[Content_Types].xml");
        package.relationshipsEntry = FindZipEntry(package.archive, "_rels/.rels");
        if (!ParseEntry(package, *package.contentTypesEntry, package.contentTypes)) {
            return L"its content types are damaged";
        }
        if (!package.relationshipsEntry || !ParseEntry(package, *package.relationshipsEntry, package.relationships)) {
            return L"its package relationships are missing or damaged";
        }
        const struct {
            PackagePart which;
            const char* type;
            const char* usualName;
        } kinds[] = {{PackagePart::Core, kCorePropertiesRelationship, "docProps/core.xml"},
                     {PackagePart::Extended, kExtendedPropertiesRelationship, "docProps/app.xml"}};
        for (const auto& kind : kinds) {
            OpenedPackage::Part part{kind.which, kind.usualName, nullptr, {}, false};
            if (const std::optional<std::string> target =
                    FindRootRelationshipTarget(package.relationships, kind.type)) {
                part.name = *target;
                part.related = true;
                part.entry = FindZipEntry(package.archive, part.name);
            }
            if (part.entry) {
                if (!ParseEntry(package, *part.entry, part.nodes))
                    return L"a properties part is damaged";
            } else {
                part.nodes = EmptyPartNodes(kind.which);
            }
            package.parts.push_back(std::move(part));
        }
    }
    outcome = PackageOutcome::Done;
    return nullptr;
}

// 0, or the error that stopped the write; the original is untouched unless it is 0.
DWORD WriteBeside(const std::wstring& path, const std::string& bytes) {
    const size_t slash = path.find_last_of(L"\\/");
    const std::wstring folder = slash == std::wstring::npos ? L"." : path.substr(0, slash);
    wchar_t temp[MAX_PATH] = {};
    if (!::GetTempFileNameW(folder.c_str(), L"qmk", 0, temp)) {
        return ::GetLastError();
    }
    bool written = false;
    {
        const UniqueHandle file(
            ::CreateFileW(temp, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file.get() != INVALID_HANDLE_VALUE) {
            written = true;
            for (size_t done = 0; written && done < bytes.size();) {
                const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 24));
                DWORD wrote = 0;
                written = ::WriteFile(file.get(), bytes.data() + done, chunk, &wrote, nullptr) && wrote == chunk;
                done += wrote;
            }
            written = written && ::FlushFileBuffers(file.get());
        }
    }
    // Windows' replacement keeps the original's creation time, attributes and security; Wine's
    // gives the file the new one's attributes, so those are put back as they were.
    WIN32_FILE_ATTRIBUTE_DATA before{};
    const bool known = ::GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &before) != FALSE;
    if (!written || !::ReplaceFileW(path.c_str(), temp, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileW(temp);
        return error ? error : ERROR_WRITE_FAULT;
    }
    if (known && ::GetFileAttributesW(path.c_str()) != before.dwFileAttributes) {
        ::SetFileAttributesW(path.c_str(), before.dwFileAttributes);
    }
    return 0;
}

}  // namespace

PackageOutcome ReadPackageProperties(const std::wstring& path, const PropertyNames& names, PropertyValues& target) {
    OpenedPackage package;
    PackageOutcome outcome = PackageOutcome::Failed;
    OpenPackage(path, package, outcome);
    if (outcome == PackageOutcome::NotAPackage) {
        return outcome;
    }
    target.clear();
    for (const auto& [id, name] : names) {
        target[name] = std::wstring();
    }
    if (outcome != PackageOutcome::Done) {
        return outcome;
    }
    for (const OpenedPackage::Part& part : package.parts) {
        for (const auto& [id, value] : ReadPackageValues(part.nodes, part.which)) {
            if (const auto name = names.find(id); name != names.end()) {
                target[name->second] = ToWide(value, CP_UTF8);
            }
        }
    }
    return outcome;
}

PackageOutcome WritePackageProperties(const std::wstring& path, const PropertyNames& names,
                                      const PropertyValues& primary, const PropertyValues& fallback) {
    OpenedPackage package;
    PackageOutcome outcome = PackageOutcome::Failed;
    if (const wchar_t* reason = OpenPackage(path, package, outcome)) {
        LogError(L"WriteSummaryProperties: %s was not written: %s.", path.c_str(), reason);
        return PackageOutcome::Failed;
    }
    if (outcome == PackageOutcome::NotAPackage) {
        return outcome;
    }
    PackageValues values;
    for (const auto& [id, name] : names) {
        const auto chosen = primary.find(name);
        const auto previous = fallback.find(name);
        if (chosen != primary.end()) {
            values[id] = ToNarrow(chosen->second, CP_UTF8);
        } else if (previous != fallback.end()) {
            values[id] = ToNarrow(previous->second, CP_UTF8);
        }
    }

    // Edit the parts; only the ones that change are written, and a package where nothing
    // changes is not rewritten at all.
    std::vector<ZipOutputEntry> output;
    std::vector<const OpenedPackage::Part*> replaced;
    std::vector<const OpenedPackage::Part*> added;
    bool relationshipsChanged = false;
    bool contentTypesChanged = false;
    for (OpenedPackage::Part& part : package.parts) {
        PackageValues own;
        for (const auto& [id, value] : values) {
            if (PartHoldsProperty(part.which, id))
                own[id] = value;
        }
        bool changed = false;
        if (!EditPackageValues(part.nodes, part.which, own, changed)) {
            LogError(L"WriteSummaryProperties: %s was not written: a properties part lacks its root element.",
                     path.c_str());
            return PackageOutcome::Failed;
        }
        if (!changed)
            continue;
        if (part.entry) {
            replaced.push_back(&part);
            continue;
        }
        if (FindZipEntry(package.archive, part.name)) {
            LogError(L"WriteSummaryProperties: %s was not written: its part %s is not the properties part.",
                     path.c_str(), ToWide(part.name, CP_UTF8).c_str());
            return PackageOutcome::Failed;
        }
        const bool core = part.which == PackagePart::Core;
        if ((!part.related &&
             !AddRootRelationship(package.relationships,
                                  core ? kCorePropertiesRelationship : kExtendedPropertiesRelationship, part.name)) ||
            !AddContentTypeOverride(package.contentTypes, part.name,
                                    core ? kCorePropertiesContentType : kExtendedPropertiesContentType)) {
            LogError(
                L"WriteSummaryProperties: %s was not written: its relationships or content types lack their root "
                L"element.",
                path.c_str());
            return PackageOutcome::Failed;
        }
        relationshipsChanged = contentTypesChanged = true;
        added.push_back(&part);
    }
    if (replaced.empty() && added.empty()) {
        return PackageOutcome::Done;
    }
    for (const ZipEntry& entry : package.archive.entries) {
        std::optional<std::string> content;
        if (&entry == package.relationshipsEntry && relationshipsChanged) {
            content = SerializeXml(package.relationships);
        } else if (&entry == package.contentTypesEntry && contentTypesChanged) {
            content = SerializeXml(package.contentTypes);
        }
        for (const OpenedPackage::Part* part : replaced) {
            if (part->entry == &entry)
                content = SerializeXml(part->nodes);
        }
        output.push_back(content ? ZipOutputEntry::Replace(entry, std::move(*content)) : ZipOutputEntry::Copy(entry));
    }
    for (const OpenedPackage::Part* part : added) {
        ZipOutputEntry entry = ZipOutputEntry::Add(part->name, SerializeXml(part->nodes));
        // A new part takes the time of the package's first entry rather than an arbitrary one.
        if (!package.archive.entries.empty()) {
            entry.modTime = package.archive.entries.front().modTime;
            entry.modDate = package.archive.entries.front().modDate;
        }
        output.push_back(std::move(entry));
    }
    const std::optional<std::string> written = WriteZipArchive(package.bytes, package.archive, output);
    ZipArchive check;
    if (!written || ReadZipArchive(*written, check) != ZipStatus::Ok || check.entries.size() != output.size()) {
        LogError(L"WriteSummaryProperties: %s was not written: the new package could not be made.", path.c_str());
        return PackageOutcome::Failed;
    }
    if (const DWORD error = WriteBeside(path, *written)) {
        LogError(L"WriteSummaryProperties: %s was not written: the new package could not replace it (error %lu).",
                 path.c_str(), error);
        return PackageOutcome::Failed;
    }
    return PackageOutcome::Done;
}
