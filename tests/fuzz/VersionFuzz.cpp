// Feeds arbitrary server answers to the version-text rules. Input: one byte that says where the
// rest splits, then two version files' bytes. Each is turned into text the way the update turns
// the downloaded file into text (ANSI code page 1252, no trimming; a text longer than the limit
// counts as no answer), and the properties below must hold for any pair.
#include "update/UpdateRules.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>

namespace {

const wchar_t kCurrent[] = L"3.01";

// Code page 1252 as the platform's MultiByteToWideChar converts it: Latin-1 except 0x80-0x9F,
// whose five unassigned bytes pass through unchanged.
wchar_t FromCp1252(uint8_t byte) {
    static const wchar_t high[32] = {
        0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
        0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
        0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
    };
    return byte >= 0x80 && byte < 0xA0 ? high[byte - 0x80] : static_cast<wchar_t>(byte);
}

std::wstring Decode(const uint8_t* data, size_t size) {
    std::wstring text;
    for (size_t i = 0; i < size; ++i)
        text += FromCp1252(data[i]);
    return text;
}

// What the update hands on from a version file: the text, or nothing when it is too long.
std::wstring ServerText(const uint8_t* data, size_t size) {
    std::wstring text = Decode(data, size);
    return text.size() > kMaxVersionTextLength ? std::wstring() : text;
}

std::wstring Render(const DecimalVersion& version) {
    std::wstring text = version.strWhole.empty() ? L"0" : version.strWhole;
    if (!version.strFraction.empty())
        text += L"." + version.strFraction;
    return text;
}

bool AllDigits(const std::wstring& text) {
    for (wchar_t c : text) {
        if (c < L'0' || c > L'9')
            return false;
    }
    return true;
}

// An independent ordering: whole parts by value (as numbers of any length), then fractions
// padded with zeros to the same length.
int ReferenceCompare(const DecimalVersion& a, const DecimalVersion& b) {
    if (a.strWhole.size() != b.strWhole.size())
        return a.strWhole.size() < b.strWhole.size() ? -1 : 1;
    if (a.strWhole != b.strWhole)
        return a.strWhole < b.strWhole ? -1 : 1;
    const size_t length = std::max(a.strFraction.size(), b.strFraction.size());
    std::wstring fa = a.strFraction, fb = b.strFraction;
    fa.resize(length, L'0');
    fb.resize(length, L'0');
    return fa == fb ? 0 : (fa < fb ? -1 : 1);
}

int Sign(int value) {
    return value < 0 ? -1 : (value > 0 ? 1 : 0);
}

void Check(bool condition) {
    if (!condition)
        std::abort();
}

// Properties of one parsed text on its own; gives back the version for the pair checks.
std::optional<DecimalVersion> CheckOne(const std::wstring& text) {
    const std::optional<DecimalVersion> version = ParseDecimalVersion(text);
    const ServerVersionVerdict verdict = JudgeServerVersion(text, kCurrent);
    if (!version) {
        Check(verdict == ServerVersionVerdict::NoAnswer);
        return std::nullopt;
    }
    // Normal form: ASCII digits only, no leading zero in the whole part, no trailing zero in the fraction.
    Check(AllDigits(version->strWhole) && AllDigits(version->strFraction));
    Check(version->strWhole.empty() || version->strWhole.front() != L'0');
    Check(version->strFraction.empty() || version->strFraction.back() != L'0');
    Check(CompareVersions(*version, *version) == 0);

    // Rendered and read again, the same version; padded with white space, still the same.
    const std::wstring rendered = Render(*version);
    for (const std::wstring& again : {rendered, L" \t" + rendered + L"\r\n", L"00" + rendered}) {
        const std::optional<DecimalVersion> reparsed = ParseDecimalVersion(again);
        Check(reparsed && reparsed->strWhole == version->strWhole && reparsed->strFraction == version->strFraction);
        Check(CompareVersions(*reparsed, *version) == 0);
    }
    // Any version judged against itself is not newer; the running one decides the rest.
    if (rendered.size() <= kMaxVersionTextLength)
        Check(JudgeServerVersion(rendered, rendered) == ServerVersionVerdict::NotNewer);
    Check(JudgeServerVersion(text, text) == ServerVersionVerdict::NotNewer);
    const int againstCurrent = CompareVersions(*version, *ParseDecimalVersion(kCurrent));
    Check(verdict == (againstCurrent > 0 ? ServerVersionVerdict::Newer : ServerVersionVerdict::NotNewer));
    return version;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const uint8_t* rest = data + 1;
    const size_t restSize = size - 1;
    const size_t split = restSize == 0 ? 0 : data[0] % (restSize + 1);

    // The whole answer as the update would see it, then both halves as two answers to compare.
    CheckOne(ServerText(rest, restSize));
    const std::optional<DecimalVersion> a = CheckOne(ServerText(rest, split));
    const std::optional<DecimalVersion> b = CheckOne(ServerText(rest + split, restSize - split));
    if (!a || !b)
        return 0;

    const int ab = Sign(CompareVersions(*a, *b));
    Check(ab == -Sign(CompareVersions(*b, *a)));
    Check(ab == ReferenceCompare(*a, *b));
    const DecimalVersion current = *ParseDecimalVersion(kCurrent);
    // Transitivity through the running version.
    const int ac = Sign(CompareVersions(*a, current));
    const int bc = Sign(CompareVersions(*b, current));
    if (ab <= 0 && bc <= 0)
        Check(ac <= 0);
    if (ab >= 0 && bc >= 0)
        Check(ac >= 0);
    // The judge agrees with the ordering when both texts fit the limit.
    const std::wstring ra = Render(*a), rb = Render(*b);
    if (ra.size() <= kMaxVersionTextLength && rb.size() <= kMaxVersionTextLength) {
        const ServerVersionVerdict verdict = JudgeServerVersion(ra, rb);
        Check(verdict == (ab > 0 ? ServerVersionVerdict::Newer : ServerVersionVerdict::NotNewer));
    }
    return 0;
}
