// The XML parts of a document package that hold its summary properties, as a flat list of the
// nodes a pull parser reports, and the edits made to them. The parser itself is the platform's;
// here are the parts' vocabularies, the edits and the writing back, all in UTF-8.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct XmlAttribute {
    std::string qualifiedName;
    std::string namespaceUri;
    std::string localName;
    std::string value;
};

enum class XmlNodeKind { Declaration, Element, EndElement, Text, CData, Whitespace, Comment, ProcessingInstruction };

struct XmlNode {
    XmlNodeKind kind = XmlNodeKind::Text;
    std::string qualifiedName;  // elements; the target of a processing instruction
    std::string namespaceUri;
    std::string localName;
    std::string value;                     // text, comment and processing-instruction data
    std::vector<XmlAttribute> attributes;  // elements and the declaration
    bool empty = false;                    // an element written <name/>, which has no end node
};

using XmlNodes = std::vector<XmlNode>;

// The nodes as UTF-8 text; the declaration, if any, names UTF-8 whatever it named before.
std::string SerializeXml(const XmlNodes& nodes);

// The parts that hold the nine properties.
enum class PackagePart { Core, Extended, OpenDocumentMeta };

// Values by the property ids of the SummaryInformation set (2 title ... 9 revision, 18 application).
using PackageValues = std::map<int, std::string>;

// The values of `part`'s properties found in `nodes`; a property the part lacks is absent.
PackageValues ReadPackageValues(const XmlNodes& nodes, PackagePart part);

// Sets the given values of `part`'s properties; an element is added only for a value that is
// not empty, and one already holding the value is left as it is. False when the part's
// container element is missing; `changed` tells whether any node changed.
bool EditPackageValues(XmlNodes& nodes, PackagePart part, const PackageValues& values, bool& changed);

// True when `id` is stored in `part`.
bool PartHoldsProperty(PackagePart part, int id);

// New, empty core and extended properties parts.
XmlNodes EmptyPartNodes(PackagePart part);

// Relationship types of the package's core and extended properties parts.
extern const char* const kCorePropertiesRelationship;
extern const char* const kExtendedPropertiesRelationship;
extern const char* const kCorePropertiesContentType;
extern const char* const kExtendedPropertiesContentType;

// The part name (without the leading '/') the package's root relationships give for `type`.
std::optional<std::string> FindRootRelationshipTarget(const XmlNodes& relationships, std::string_view type);
// Adds a relationship of `type` to the part `partName`, with an id not yet used.
bool AddRootRelationship(XmlNodes& relationships, std::string_view type, std::string_view partName);
// Adds a content-type override for the part `partName` unless it has one.
bool AddContentTypeOverride(XmlNodes& contentTypes, std::string_view partName, std::string_view contentType);

// True when an OpenDocument manifest declares encrypted entries.
bool ManifestDeclaresEncryption(const XmlNodes& manifest);
