// The nine summary properties of Office Open XML and OpenDocument files, which are zip packages
// of XML parts rather than compound documents.
#pragma once

#include "editing/SummaryProperties.h"

enum class PackageOutcome {
    NotAPackage,  // the file is no document package: the compound-document route applies
    Done,
    Failed,
};

// Recognises the file by its content. For a package, fills `target` with the nine names (empty
// texts where the package has no value or could not be read).
PackageOutcome ReadPackageProperties(const std::wstring& path, const PropertyNames& names, PropertyValues& target);

// Writes the values as WriteSummaryProperties does, into a new package written beside the file
// and moved over it when complete; every other entry is carried over as it is stored. A
// package that cannot be handled is left untouched, with the reason in the error log.
PackageOutcome WritePackageProperties(const std::wstring& path, const PropertyNames& names,
                                      const PropertyValues& primary, const PropertyValues& fallback);
