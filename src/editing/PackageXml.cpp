#include "editing/PackageXml.h"

#include <algorithm>
#include <cctype>

namespace {

constexpr char kXmlnsNamespace[] = "http://www.w3.org/2000/xmlns/";
constexpr char kDublinCore[] = "http://purl.org/dc/elements/1.1/";
constexpr char kCoreNamespace[] = "http://schemas.openxmlformats.org/package/2006/metadata/core-properties";
constexpr char kExtendedNamespace[] = "http://schemas.openxmlformats.org/officeDocument/2006/extended-properties";
constexpr char kVariantTypesNamespace[] = "http://schemas.openxmlformats.org/officeDocument/2006/docPropsVTypes";
constexpr char kOfficeNamespace[] = "urn:oasis:names:tc:opendocument:xmlns:office:1.0";
constexpr char kMetaNamespace[] = "urn:oasis:names:tc:opendocument:xmlns:meta:1.0";
constexpr char kXlinkNamespace[] = "http://www.w3.org/1999/xlink";
constexpr char kRelationshipsNamespace[] = "http://schemas.openxmlformats.org/package/2006/relationships";
constexpr char kContentTypesNamespace[] = "http://schemas.openxmlformats.org/package/2006/content-types";
constexpr char kManifestNamespace[] = "urn:oasis:names:tc:opendocument:xmlns:manifest:1.0";

struct QName {
    const char* ns;
    const char* local;
};

// Where a property lives: an element inside the part's container, its text or, for the
// OpenDocument template, its link attribute.
struct PropertyPlace {
    int id;
    PackagePart part;
    QName element;
    QName attribute;  // null namespace: the element's text
};

constexpr PropertyPlace kPlaces[] = {
    {2, PackagePart::Core, {kDublinCore, "title"}, {}},
    {3, PackagePart::Core, {kDublinCore, "subject"}, {}},
    {4, PackagePart::Core, {kDublinCore, "creator"}, {}},
    {5, PackagePart::Core, {kCoreNamespace, "keywords"}, {}},
    {6, PackagePart::Core, {kDublinCore, "description"}, {}},
    {8, PackagePart::Core, {kCoreNamespace, "lastModifiedBy"}, {}},
    {9, PackagePart::Core, {kCoreNamespace, "revision"}, {}},
    {7, PackagePart::Extended, {kExtendedNamespace, "Template"}, {}},
    {18, PackagePart::Extended, {kExtendedNamespace, "Application"}, {}},
    {2, PackagePart::OpenDocumentMeta, {kDublinCore, "title"}, {}},
    {3, PackagePart::OpenDocumentMeta, {kDublinCore, "subject"}, {}},
    {4, PackagePart::OpenDocumentMeta, {kMetaNamespace, "initial-creator"}, {}},
    {5, PackagePart::OpenDocumentMeta, {kMetaNamespace, "keyword"}, {}},
    {6, PackagePart::OpenDocumentMeta, {kDublinCore, "description"}, {}},
    {7, PackagePart::OpenDocumentMeta, {kMetaNamespace, "template"}, {kXlinkNamespace, "href"}},
    {8, PackagePart::OpenDocumentMeta, {kDublinCore, "creator"}, {}},
    {9, PackagePart::OpenDocumentMeta, {kMetaNamespace, "editing-cycles"}, {}},
    {18, PackagePart::OpenDocumentMeta, {kMetaNamespace, "generator"}, {}},
};

// An OpenDocument file lists each keyword in an element of its own; they read as one text.
constexpr char kKeywordSeparator[] = ", ";

// The chain of elements from the root to the one whose children are the properties.
std::vector<QName> ContainerPath(PackagePart part) {
    switch (part) {
        case PackagePart::Core:
            return {{kCoreNamespace, "coreProperties"}};
        case PackagePart::Extended:
            return {{kExtendedNamespace, "Properties"}};
        case PackagePart::OpenDocumentMeta:
            return {{kOfficeNamespace, "document-meta"}, {kOfficeNamespace, "meta"}};
    }
    return {};
}

bool Is(const XmlNode& node, QName name) {
    return node.kind == XmlNodeKind::Element && node.namespaceUri == name.ns && node.localName == name.local;
}

// The index of the node that closes the element starting at `start` (itself when it is empty),
// or nodes.size() when the list ends first.
std::size_t MatchingEnd(const XmlNodes& nodes, std::size_t start) {
    if (nodes[start].empty) {
        return start;
    }
    int depth = 0;
    for (std::size_t i = start; i < nodes.size(); ++i) {
        if (nodes[i].kind == XmlNodeKind::Element && !nodes[i].empty) {
            ++depth;
        } else if (nodes[i].kind == XmlNodeKind::EndElement && --depth == 0) {
            return i;
        }
    }
    return nodes.size();
}

// The container's start node and the start nodes of its child elements.
struct ContainerScan {
    std::optional<std::size_t> container;
    std::vector<std::size_t> children;
    std::vector<std::size_t> ancestors;  // root first, the container last
};

ContainerScan ScanContainer(const XmlNodes& nodes, PackagePart part) {
    const std::vector<QName> path = ContainerPath(part);
    ContainerScan scan;
    std::vector<std::size_t> open;  // start nodes of the elements enclosing the current node
    for (std::size_t i = 0; i < nodes.size(); ++i) {
        const XmlNode& node = nodes[i];
        if (node.kind == XmlNodeKind::Element) {
            if (open.size() < path.size() && open.size() + 1 <= path.size() && Is(node, path[open.size()]) &&
                !scan.container) {
                bool onPath = true;
                for (std::size_t level = 0; level < open.size(); ++level) {
                    onPath = onPath && Is(nodes[open[level]], path[level]);
                }
                if (onPath && open.size() + 1 == path.size()) {
                    scan.container = i;
                    scan.ancestors = open;
                    scan.ancestors.push_back(i);
                }
            } else if (scan.container && open.size() == path.size() && open.back() == *scan.container) {
                scan.children.push_back(i);
            }
            if (!node.empty) {
                open.push_back(i);
            }
        } else if (node.kind == XmlNodeKind::EndElement && !open.empty()) {
            open.pop_back();
        }
    }
    return scan;
}

// The text directly inside the element starting at `start`.
std::string TextOf(const XmlNodes& nodes, std::size_t start) {
    std::string text;
    const std::size_t end = MatchingEnd(nodes, start);
    for (std::size_t i = start + 1; i < end && i < nodes.size(); ++i) {
        const XmlNodeKind kind = nodes[i].kind;
        if (kind == XmlNodeKind::Text || kind == XmlNodeKind::CData || kind == XmlNodeKind::Whitespace) {
            text += nodes[i].value;
        }
    }
    return text;
}

const XmlAttribute* FindAttribute(const XmlNode& node, QName name) {
    for (const XmlAttribute& attribute : node.attributes) {
        if (attribute.namespaceUri == name.ns && attribute.localName == name.local) {
            return &attribute;
        }
    }
    return nullptr;
}

std::vector<std::size_t> Occurrences(const XmlNodes& nodes, const ContainerScan& scan, QName element) {
    std::vector<std::size_t> found;
    for (std::size_t child : scan.children) {
        if (Is(nodes[child], element)) {
            found.push_back(child);
        }
    }
    return found;
}

std::optional<std::string> CurrentValue(const XmlNodes& nodes, const ContainerScan& scan, const PropertyPlace& place) {
    const std::vector<std::size_t> found = Occurrences(nodes, scan, place.element);
    if (found.empty()) {
        return std::nullopt;
    }
    if (place.attribute.ns) {
        const XmlAttribute* attribute = FindAttribute(nodes[found.front()], place.attribute);
        return attribute ? attribute->value : std::string();
    }
    std::string text;
    for (std::size_t start : found) {
        text += (text.empty() ? "" : kKeywordSeparator) + TextOf(nodes, start);
    }
    return text;
}

// The prefix bound to `ns` by the declarations on the given elements, innermost first; "" for
// a default namespace. Nothing when none binds it.
std::optional<std::string> PrefixInScope(const XmlNodes& nodes, const std::vector<std::size_t>& elements,
                                         std::string_view ns, bool forAttribute) {
    for (auto it = elements.rbegin(); it != elements.rend(); ++it) {
        for (const XmlAttribute& attribute : nodes[*it].attributes) {
            if (attribute.namespaceUri != kXmlnsNamespace || attribute.value != ns) {
                continue;
            }
            if (attribute.qualifiedName == "xmlns") {
                if (!forAttribute) {
                    return std::string();
                }
            } else {
                return attribute.localName;
            }
        }
    }
    return std::nullopt;
}

std::string Qualify(const std::string& prefix, std::string_view local) {
    return prefix.empty() ? std::string(local) : prefix + ":" + std::string(local);
}

XmlNode StartNode(std::string qualifiedName, QName name, bool empty) {
    XmlNode node;
    node.kind = XmlNodeKind::Element;
    node.qualifiedName = std::move(qualifiedName);
    node.namespaceUri = name.ns;
    node.localName = name.local;
    node.empty = empty;
    return node;
}

XmlNode EndNode(const XmlNode& start) {
    XmlNode node = start;
    node.kind = XmlNodeKind::EndElement;
    node.attributes.clear();
    node.empty = false;
    return node;
}

XmlNode TextNode(std::string text) {
    XmlNode node;
    node.kind = XmlNodeKind::Text;
    node.value = std::move(text);
    return node;
}

XmlAttribute Declaration(const std::string& prefix, std::string_view ns) {
    return {prefix.empty() ? "xmlns" : "xmlns:" + prefix, kXmlnsNamespace, prefix.empty() ? "xmlns" : prefix,
            std::string(ns)};
}

// An attribute in namespace `name.ns` on `element`, declaring its prefix there when the scope
// has none.
void SetNamespacedAttribute(XmlNodes& nodes, std::size_t element, const std::vector<std::size_t>& scope, QName name,
                            const std::string& value, const char* preferredPrefix) {
    XmlNode& node = nodes[element];
    for (XmlAttribute& attribute : node.attributes) {
        if (attribute.namespaceUri == name.ns && attribute.localName == name.local) {
            attribute.value = value;
            return;
        }
    }
    std::vector<std::size_t> withSelf = scope;
    withSelf.push_back(element);
    std::optional<std::string> prefix = PrefixInScope(nodes, withSelf, name.ns, true);
    if (!prefix) {
        prefix = preferredPrefix;
        node.attributes.push_back(Declaration(*prefix, name.ns));
    }
    node.attributes.push_back({Qualify(*prefix, name.local), name.ns, name.local, value});
}

// Replaces the content of the element starting at `start` by `text`.
void SetText(XmlNodes& nodes, std::size_t start, const std::string& text) {
    const std::size_t end = MatchingEnd(nodes, start);
    if (nodes[start].empty) {
        nodes[start].empty = false;
        nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(start) + 1, {TextNode(text), EndNode(nodes[start])});
        return;
    }
    nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(start) + 1,
                nodes.begin() + static_cast<std::ptrdiff_t>(end));
    nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(start) + 1, TextNode(text));
}

void RemoveElement(XmlNodes& nodes, std::size_t start) {
    const std::size_t end = MatchingEnd(nodes, start);
    nodes.erase(nodes.begin() + static_cast<std::ptrdiff_t>(start),
                nodes.begin() + static_cast<std::ptrdiff_t>(std::min(end + 1, nodes.size())));
}

// Inserts `added` as the last children of the element starting at `container`.
void AppendChildren(XmlNodes& nodes, std::size_t container, const XmlNodes& added) {
    if (nodes[container].empty) {
        nodes[container].empty = false;
        nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(container) + 1, EndNode(nodes[container]));
    }
    const std::size_t end = MatchingEnd(nodes, container);
    nodes.insert(nodes.begin() + static_cast<std::ptrdiff_t>(end), added.begin(), added.end());
}

const char* PreferredPrefix(std::string_view ns) {
    if (ns == kDublinCore)
        return "dc";
    if (ns == kCoreNamespace)
        return "cp";
    if (ns == kMetaNamespace)
        return "meta";
    if (ns == kXlinkNamespace)
        return "xlink";
    return "";
}

void AddProperty(XmlNodes& nodes, const ContainerScan& scan, const PropertyPlace& place, const std::string& value) {
    std::optional<std::string> prefix = PrefixInScope(nodes, scan.ancestors, place.element.ns, false);
    XmlNode start = StartNode(Qualify(prefix.value_or(PreferredPrefix(place.element.ns)), place.element.local),
                              place.element, place.attribute.ns != nullptr);
    if (!prefix) {
        start.attributes.push_back(Declaration(PreferredPrefix(place.element.ns), place.element.ns));
    }
    XmlNodes added{start};
    if (place.attribute.ns) {
        AppendChildren(nodes, *scan.container, added);
        // The new element is the container's last child, just before the container's end.
        const std::size_t element = MatchingEnd(nodes, *scan.container) - 1;
        SetNamespacedAttribute(nodes, element, scan.ancestors, {kXlinkNamespace, "type"}, "simple", "xlink");
        SetNamespacedAttribute(nodes, element, scan.ancestors, {kXlinkNamespace, "actuate"}, "onRequest", "xlink");
        SetNamespacedAttribute(nodes, element, scan.ancestors, place.attribute, value, "xlink");
        return;
    }
    added.push_back(TextNode(value));
    added.push_back(EndNode(start));
    AppendChildren(nodes, *scan.container, added);
}

void AppendEscaped(std::string& out, std::string_view text, bool attribute) {
    for (char c : text) {
        switch (c) {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += attribute ? "&quot;" : "\"";
                break;
            case '\r':
                out += "&#13;";
                break;
            case '\n':
                out += attribute ? "&#10;" : "\n";
                break;
            case '\t':
                out += attribute ? "&#9;" : "\t";
                break;
            default:
                out += c;
        }
    }
}

void AppendAttributes(std::string& out, const std::vector<XmlAttribute>& attributes) {
    for (const XmlAttribute& attribute : attributes) {
        out += ' ';
        out += attribute.qualifiedName;
        out += "=\"";
        AppendEscaped(out, attribute.value, true);
        out += '"';
    }
}

}  // namespace

const char* const kCorePropertiesRelationship =
    "http://schemas.openxmlformats.org/package/2006/relationships/metadata/core-properties";
const char* const kExtendedPropertiesRelationship =
    "http://schemas.openxmlformats.org/officeDocument/2006/relationships/extended-properties";
const char* const kCorePropertiesContentType = "application/vnd.openxmlformats-package.core-properties+xml";
const char* const kExtendedPropertiesContentType =
    "application/vnd.openxmlformats-officedocument.extended-properties+xml";

std::string SerializeXml(const XmlNodes& nodes) {
    std::string out;
    for (const XmlNode& node : nodes) {
        switch (node.kind) {
            case XmlNodeKind::Declaration: {
                std::vector<XmlAttribute> attributes = node.attributes;
                for (XmlAttribute& attribute : attributes) {
                    if (attribute.qualifiedName == "encoding")
                        attribute.value = "UTF-8";
                }
                out += "<?xml";
                AppendAttributes(out, attributes);
                out += "?>";
                break;
            }
            case XmlNodeKind::Element:
                out += '<' + node.qualifiedName;
                AppendAttributes(out, node.attributes);
                out += node.empty ? "/>" : ">";
                break;
            case XmlNodeKind::EndElement:
                out += "</" + node.qualifiedName + '>';
                break;
            case XmlNodeKind::Text:
                AppendEscaped(out, node.value, false);
                break;
            case XmlNodeKind::CData:
                out += "<![CDATA[" + node.value + "]]>";
                break;
            case XmlNodeKind::Whitespace:
                out += node.value;
                break;
            case XmlNodeKind::Comment:
                out += "<!--" + node.value + "-->";
                break;
            case XmlNodeKind::ProcessingInstruction:
                out += "<?" + node.qualifiedName + (node.value.empty() ? "" : " " + node.value) + "?>";
                break;
        }
    }
    return out;
}

bool PartHoldsProperty(PackagePart part, int id) {
    return std::any_of(std::begin(kPlaces), std::end(kPlaces),
                       [&](const PropertyPlace& place) { return place.part == part && place.id == id; });
}

PackageValues ReadPackageValues(const XmlNodes& nodes, PackagePart part) {
    PackageValues values;
    const ContainerScan scan = ScanContainer(nodes, part);
    if (!scan.container) {
        return values;
    }
    for (const PropertyPlace& place : kPlaces) {
        if (place.part != part)
            continue;
        if (std::optional<std::string> value = CurrentValue(nodes, scan, place)) {
            values[place.id] = std::move(*value);
        }
    }
    return values;
}

bool EditPackageValues(XmlNodes& nodes, PackagePart part, const PackageValues& values, bool& changed) {
    changed = false;
    if (!ScanContainer(nodes, part).container) {
        return false;
    }
    for (const PropertyPlace& place : kPlaces) {
        const auto wanted = values.find(place.id);
        if (place.part != part || wanted == values.end())
            continue;
        // Each edit moves nodes, so the container is looked at afresh for every property.
        const ContainerScan scan = ScanContainer(nodes, part);
        const std::optional<std::string> current = CurrentValue(nodes, scan, place);
        if (current.value_or(std::string()) == wanted->second)
            continue;
        changed = true;
        const std::vector<std::size_t> found = Occurrences(nodes, scan, place.element);
        if (found.empty()) {
            AddProperty(nodes, scan, place, wanted->second);
        } else if (place.attribute.ns) {
            SetNamespacedAttribute(nodes, found.front(), scan.ancestors, place.attribute, wanted->second, "xlink");
        } else {
            // The first keeps the whole value; further ones (keywords) go, last first.
            for (auto it = found.rbegin(); it + 1 != found.rend(); ++it)
                RemoveElement(nodes, *it);
            SetText(nodes, found.front(), wanted->second);
        }
    }
    return true;
}

XmlNodes EmptyPartNodes(PackagePart part) {
    XmlNode declaration;
    declaration.kind = XmlNodeKind::Declaration;
    declaration.qualifiedName = "xml";
    declaration.attributes = {{"version", "", "version", "1.0"},
                              {"encoding", "", "encoding", "UTF-8"},
                              {"standalone", "", "standalone", "yes"}};
    XmlNode root;
    if (part == PackagePart::Core) {
        root = StartNode("cp:coreProperties", {kCoreNamespace, "coreProperties"}, false);
        root.attributes = {Declaration("cp", kCoreNamespace), Declaration("dc", kDublinCore),
                           Declaration("dcterms", "http://purl.org/dc/terms/"),
                           Declaration("dcmitype", "http://purl.org/dc/dcmitype/"),
                           Declaration("xsi", "http://www.w3.org/2001/XMLSchema-instance")};
    } else {
        root = StartNode("Properties", {kExtendedNamespace, "Properties"}, false);
        root.attributes = {Declaration("", kExtendedNamespace), Declaration("vt", kVariantTypesNamespace)};
    }
    return {declaration, root, EndNode(root)};
}

std::optional<std::string> FindRootRelationshipTarget(const XmlNodes& relationships, std::string_view type) {
    for (const XmlNode& node : relationships) {
        if (!Is(node, {kRelationshipsNamespace, "Relationship"}))
            continue;
        const XmlAttribute* found = FindAttribute(node, {"", "Type"});
        const XmlAttribute* target = FindAttribute(node, {"", "Target"});
        const XmlAttribute* mode = FindAttribute(node, {"", "TargetMode"});
        if (!found || found->value != type || !target || (mode && mode->value == "External"))
            continue;
        // The package's root relationships resolve against the package root.
        std::string name = target->value;
        while (name.starts_with("/") || name.starts_with("./"))
            name.erase(0, name.starts_with("/") ? 1 : 2);
        return name;
    }
    return std::nullopt;
}

bool AddRootRelationship(XmlNodes& relationships, std::string_view type, std::string_view partName) {
    const auto root = std::find_if(relationships.begin(), relationships.end(), [](const XmlNode& node) {
        return Is(node, {kRelationshipsNamespace, "Relationships"});
    });
    if (root == relationships.end()) {
        return false;
    }
    const std::size_t container = static_cast<std::size_t>(root - relationships.begin());
    std::string id;
    for (int n = 1;; ++n) {
        id = "rIdQm" + std::to_string(n);
        const bool taken = std::any_of(relationships.begin(), relationships.end(), [&](const XmlNode& node) {
            const XmlAttribute* existing = FindAttribute(node, {"", "Id"});
            return node.kind == XmlNodeKind::Element && existing && existing->value == id;
        });
        if (!taken)
            break;
    }
    const std::optional<std::string> prefix = PrefixInScope(relationships, {container}, kRelationshipsNamespace, false);
    XmlNode element =
        StartNode(Qualify(prefix.value_or(""), "Relationship"), {kRelationshipsNamespace, "Relationship"}, true);
    if (!prefix)
        element.attributes.push_back(Declaration("", kRelationshipsNamespace));
    element.attributes.push_back({"Id", "", "Id", id});
    element.attributes.push_back({"Type", "", "Type", std::string(type)});
    element.attributes.push_back({"Target", "", "Target", "/" + std::string(partName)});
    AppendChildren(relationships, container, {element});
    return true;
}

bool AddContentTypeOverride(XmlNodes& contentTypes, std::string_view partName, std::string_view contentType) {
    const std::string name = "/" + std::string(partName);
    std::optional<std::size_t> container;
    for (std::size_t i = 0; i < contentTypes.size(); ++i) {
        const XmlNode& node = contentTypes[i];
        if (Is(node, {kContentTypesNamespace, "Types"}) && !container)
            container = i;
        const XmlAttribute* part = FindAttribute(node, {"", "PartName"});
        if (Is(node, {kContentTypesNamespace, "Override"}) && part && part->value.size() == name.size() &&
            std::equal(name.begin(), name.end(), part->value.begin(), [](char a, char b) {
                return std::tolower(static_cast<unsigned char>(a)) == std::tolower(static_cast<unsigned char>(b));
            })) {
            return true;
        }
    }
    if (!container) {
        return false;
    }
    const std::optional<std::string> prefix = PrefixInScope(contentTypes, {*container}, kContentTypesNamespace, false);
    XmlNode element = StartNode(Qualify(prefix.value_or(""), "Override"), {kContentTypesNamespace, "Override"}, true);
    if (!prefix)
        element.attributes.push_back(Declaration("", kContentTypesNamespace));
    element.attributes.push_back({"PartName", "", "PartName", name});
    element.attributes.push_back({"ContentType", "", "ContentType", std::string(contentType)});
    AppendChildren(contentTypes, *container, {element});
    return true;
}

bool ManifestDeclaresEncryption(const XmlNodes& manifest) {
    return std::any_of(manifest.begin(), manifest.end(), [](const XmlNode& node) {
        return Is(node, {kManifestNamespace, "encryption-data"});
    });
}
