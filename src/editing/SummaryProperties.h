// The nine document summary properties of a file, read and written through the platform's
// property-set storage.
#pragma once

#include <windows.h>
#include <propidl.h>

#include <map>
#include <string>

using PropertyNames = std::map<int, std::wstring>;            // property id to display name
using PropertyValues = std::map<std::wstring, std::wstring>;  // display name to value text

// The text form of a property value; empty for types without one.
std::wstring PropVariantToString(const PROPVARIANT& value);

// Replaces `target` with the file's values of the named properties; every name is present
// afterwards, with an empty text where the file has no readable value.
void ReadSummaryProperties(const std::wstring& path, const PropertyNames& names, PropertyValues& target);

// Writes each named property from `primary`, else from `fallback`, else leaves it, as an 8-bit
// string of the thread's code page. Other properties of the set are kept. True when every step
// succeeded; a failed property does not stop the others.
bool WriteSummaryProperties(const std::wstring& path, const PropertyNames& names, const PropertyValues& primary,
                            const PropertyValues& fallback);
