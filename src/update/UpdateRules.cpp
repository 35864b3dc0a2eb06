#include "update/UpdateRules.h"

#include "resources/Version.h"
#include "support/Endpoints.h"

#include <algorithm>

namespace {

bool IsSpace(wchar_t c) {
    return c == L' ' || c == L'\t' || c == L'\r' || c == L'\n' || c == L'\v' || c == L'\f';
}

std::wstring_view TrimSpace(std::wstring_view text) {
    while (!text.empty() && IsSpace(text.front())) {
        text.remove_prefix(1);
    }
    while (!text.empty() && IsSpace(text.back())) {
        text.remove_suffix(1);
    }
    return text;
}

bool IsDigits(std::wstring_view text) {
    return !text.empty() && std::all_of(text.begin(), text.end(), [](wchar_t c) { return c >= L'0' && c <= L'9'; });
}

bool StartsWithNoCase(std::wstring_view text, std::wstring_view prefix) {
    if (text.size() < prefix.size()) {
        return false;
    }
    for (std::size_t i = 0; i < prefix.size(); ++i) {
        const wchar_t c = text[i] >= L'A' && text[i] <= L'Z' ? static_cast<wchar_t>(text[i] - L'A' + L'a') : text[i];
        if (c != prefix[i]) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<DecimalVersion> ParseDecimalVersion(std::wstring_view text) {
    text = TrimSpace(text);
    const std::size_t point = text.find(L'.');
    const std::wstring_view whole = text.substr(0, point);
    if (!IsDigits(whole)) {
        return std::nullopt;
    }
    std::wstring_view fraction;
    if (point != std::wstring_view::npos) {
        fraction = text.substr(point + 1);
        if (!IsDigits(fraction)) {
            return std::nullopt;  // "3.", "3.x", "3.0.1"
        }
    }
    DecimalVersion version;
    version.strWhole = whole.substr(std::min(whole.find_first_not_of(L'0'), whole.size()));
    const std::size_t lastSignificant = fraction.find_last_not_of(L'0');
    version.strFraction = lastSignificant == std::wstring_view::npos
                              ? std::wstring()
                              : std::wstring(fraction.substr(0, lastSignificant + 1));
    return version;
}

int CompareVersions(const DecimalVersion& a, const DecimalVersion& b) {
    // Whole numbers without leading zeros: the longer is the larger, else digit by digit.
    if (a.strWhole.size() != b.strWhole.size()) {
        return a.strWhole.size() < b.strWhole.size() ? -1 : 1;
    }
    if (const int whole = a.strWhole.compare(b.strWhole); whole != 0) {
        return whole < 0 ? -1 : 1;
    }
    // Fractions without trailing zeros compare digit by digit, a prefix being the smaller.
    const int fraction = a.strFraction.compare(b.strFraction);
    return fraction < 0 ? -1 : (fraction > 0 ? 1 : 0);
}

ServerVersionVerdict JudgeServerVersion(std::wstring_view serverText, std::wstring_view currentVersion) {
    if (serverText.size() > kMaxVersionTextLength) {
        return ServerVersionVerdict::NoAnswer;
    }
    const std::optional<DecimalVersion> server = ParseDecimalVersion(serverText);
    const std::optional<DecimalVersion> current = ParseDecimalVersion(currentVersion);
    if (!server || !current) {
        return ServerVersionVerdict::NoAnswer;
    }
    return CompareVersions(*server, *current) > 0 ? ServerVersionVerdict::Newer : ServerVersionVerdict::NotNewer;
}

UpdateEndpoints MakeUpdateEndpoints(std::wstring_view overrideRoot) {
    std::wstring root = kUpdateSiteRoot;
    if (IsTrustedUpdateAddress(overrideRoot)) {
        root = overrideRoot;
        if (root.back() != L'/') {
            root += L'/';
        }
    }
    return {root, HostOfAddress(root)};
}

bool IsTrustedUpdateAddress(std::wstring_view address) {
    const std::wstring host = HostOfAddress(address);
    if (host.empty()) {
        return false;
    }
    if (StartsWithNoCase(address, L"https://")) {
        return true;
    }
    return StartsWithNoCase(address, L"http://") && (host == L"127.0.0.1" || host == L"[::1]");
}

std::wstring InstallerAddress(const UpdateEndpoints& endpoints, std::wstring_view serverVersion, InstallerBuild build) {
    return endpoints.strSiteRoot + kInstallerFolder + kProductName + L"-" + std::wstring(TrimSpace(serverVersion)) +
           (build == InstallerBuild::Bits64 ? kInstallerEnding64 : kInstallerEnding32);
}

std::wstring HostOfAddress(std::wstring_view address) {
    const std::size_t scheme = address.find(L"://");
    if (scheme == std::wstring_view::npos) {
        return {};
    }
    std::wstring_view rest = address.substr(scheme + 3);
    rest = rest.substr(0, rest.find_first_of(L"/?#"));
    if (const std::size_t at = rest.rfind(L'@'); at != std::wstring_view::npos) {
        rest.remove_prefix(at + 1);
    }
    if (!rest.empty() && rest.front() == L'[') {
        return std::wstring(rest.substr(0, rest.find(L']') + 1));
    }
    return std::wstring(rest.substr(0, rest.find(L':')));
}

std::wstring LastSegment(std::wstring_view address) {
    const std::size_t slash = address.rfind(L'/');
    return std::wstring(slash == std::wstring_view::npos ? address : address.substr(slash + 1));
}

std::optional<int> DownloadPercent(std::uint32_t progress, std::uint32_t maximum) {
    if (maximum == 0) {
        return std::nullopt;
    }
    const double percent = progress * 100.0 / maximum;
    return static_cast<int>(std::min(percent, 100.0));
}

namespace {

// One DER element at the front of `der`: its tag, and its contents; false when malformed.
bool TakeElement(std::string_view& der, unsigned char& tag, std::string_view& contents) {
    if (der.size() < 2) {
        return false;
    }
    tag = static_cast<unsigned char>(der[0]);
    std::size_t length = static_cast<unsigned char>(der[1]);
    std::size_t header = 2;
    if (length & 0x80) {
        const std::size_t bytes = length & 0x7F;
        if (bytes == 0 || bytes > 3 || der.size() < 2 + bytes) {
            return false;
        }
        length = 0;
        for (std::size_t i = 0; i < bytes; ++i) {
            length = length * 256 + static_cast<unsigned char>(der[2 + i]);
        }
        header += bytes;
    }
    if (der.size() - header < length) {
        return false;
    }
    contents = der.substr(header, length);
    der.remove_prefix(header + length);
    return true;
}

}  // namespace

std::optional<std::wstring> OpusProgramName(std::string_view der) {
    unsigned char tag = 0;
    std::string_view sequence;
    if (!TakeElement(der, tag, sequence) || tag != 0x30) {
        return std::nullopt;
    }
    std::string_view programName;
    if (!TakeElement(sequence, tag, programName) || tag != 0xA0) {
        return std::nullopt;  // no program name (it is optional and comes first)
    }
    std::string_view text;
    if (!TakeElement(programName, tag, text)) {
        return std::nullopt;
    }
    std::wstring name;
    if (tag == 0x80) {  // BMPString: UTF-16, big-endian
        if (text.size() % 2 != 0) {
            return std::nullopt;
        }
        for (std::size_t i = 0; i < text.size(); i += 2) {
            name += static_cast<wchar_t>(static_cast<unsigned char>(text[i]) * 256 +
                                         static_cast<unsigned char>(text[i + 1]));
        }
    } else if (tag == 0x81) {  // IA5String: ASCII
        for (const char c : text) {
            name += static_cast<wchar_t>(static_cast<unsigned char>(c));
        }
    } else {
        return std::nullopt;
    }
    return name;
}

std::wstring RedirectLocation(std::wstring_view headers) {
    while (!headers.empty()) {
        const std::size_t end = headers.find(L'\n');
        std::wstring_view line = headers.substr(0, end);
        headers.remove_prefix(end == std::wstring_view::npos ? headers.size() : end + 1);
        if (StartsWithNoCase(line, L"location:")) {
            return std::wstring(TrimSpace(line.substr(9)));
        }
    }
    return {};
}

std::wstring ResolveRedirect(std::wstring_view from, std::wstring_view location) {
    if (location.find(L"://") != std::wstring_view::npos || location.empty() || location.front() != L'/') {
        return std::wstring(location);
    }
    const std::size_t scheme = from.find(L"://");
    const std::size_t pathStart =
        scheme == std::wstring_view::npos ? std::wstring_view::npos : from.find(L'/', scheme + 3);
    return std::wstring(from.substr(0, pathStart)) + std::wstring(location);
}
