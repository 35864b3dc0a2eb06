// Feeds arbitrary filter texts and paths to the filter. Input: one option byte, then the filter
// text and the path, one character per byte, separated by the first zero byte.
#include "filelist/Filter.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

std::wstring Widen(const uint8_t* data, size_t size) {
    return std::wstring(data, data + size);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t options = data[0];
    const uint8_t* rest = data + 1;
    size_t restSize = size - 1;
    size_t split = 0;
    while (split < restSize && rest[split] != 0)
        ++split;
    const std::wstring text = Widen(rest, split);
    const std::wstring path = split < restSize ? Widen(rest + split + 1, restSize - split - 1) : std::wstring();

    const bool caseSensitive = (options & 1) != 0;
    const CFileFilter selecting(text, caseSensitive, false);
    const CFileFilter rejecting(text, caseSensitive, true);
    const bool selected = selecting.Shows(path);
    const bool rejected = !rejecting.Shows(path);
    // "Exclusive filter" inverts the answer for any text but the empty one, which shows all.
    if (text.empty() ? !(selected && !rejected) : selected != rejected)
        std::abort();

    // The patterns joined again by "|" give back the text, from any start inside it; a start
    // outside the text gives nothing.
    int position = static_cast<int>((options >> 1) % (text.size() + 3)) - 1;
    const int start = position;
    std::wstring joined;
    for (bool first = true; position >= 0; first = false) {
        if (!first)
            joined += L'|';
        joined += NextFilterToken(text, position);
    }
    const bool inside = start >= 0 && static_cast<size_t>(start) <= text.size();
    if (inside && joined != text.substr(static_cast<size_t>(start)))
        std::abort();
    if (!inside && !joined.empty())
        std::abort();
    return 0;
}
