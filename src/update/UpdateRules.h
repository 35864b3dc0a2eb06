// Rules of the online update that need no window: reading the server's version text, and the
// addresses the update uses.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

// A decimal version number "<digits>[.<digits>]": the part before the point is a whole number,
// the digits after it a decimal fraction, so 3.1 is newer than 3.02 and 3.10 equals 3.1.
struct DecimalVersion {
    std::wstring strWhole;     // without leading zeros; empty for 0
    std::wstring strFraction;  // without trailing zeros; empty for none
};

// The version a text names, white space around it ignored; nothing when it is no such number.
std::optional<DecimalVersion> ParseDecimalVersion(std::wstring_view text);

// Negative, zero or positive as `a` is older than, equal to or newer than `b`.
int CompareVersions(const DecimalVersion& a, const DecimalVersion& b);

enum class ServerVersionVerdict {
    NoAnswer,  // the text is not a version number
    NotNewer,
    Newer,
};
ServerVersionVerdict JudgeServerVersion(std::wstring_view serverText, std::wstring_view currentVersion);

// The version text a server may send: a longer text is an error page or worse, not a version.
inline constexpr std::size_t kMaxVersionTextLength = 9;

// Where the update looks: the site root ends in "/", the version file is the root + product
// name + ".ver", the installer lives under "download/" of the root.
struct UpdateEndpoints {
    std::wstring strSiteRoot;
    std::wstring strHost;  // named in the connection notice
};
// The vendor's endpoints, or those of `overrideRoot` when the update may fetch from it (a
// missing final "/" is added). Anything else is ignored.
UpdateEndpoints MakeUpdateEndpoints(std::wstring_view overrideRoot);

// Whether the update may fetch from `address`, first or after a redirect: HTTPS, or HTTP to
// this machine's loopback address (a test server). A name such as "localhost" is not enough:
// it may resolve elsewhere.
bool IsTrustedUpdateAddress(std::wstring_view address);

// Which package replaces the running program: the 64-bit build updates from the 64-bit installer.
enum class InstallerBuild { Bits32, Bits64 };
inline constexpr InstallerBuild kRunningBuild = sizeof(void*) == 8 ? InstallerBuild::Bits64 : InstallerBuild::Bits32;
// The installer's address for the server's version text (white space around it ignored), for
// example root + "download/Quillmark-3.02-x64-setup.exe".
std::wstring InstallerAddress(const UpdateEndpoints& endpoints, std::wstring_view serverVersion, InstallerBuild build);

// The host part of an address ("https://host:port/path" gives "host").
std::wstring HostOfAddress(std::wstring_view address);
// Everything after the last "/".
std::wstring LastSegment(std::wstring_view address);

// The bar position, 0 to 100, of a download at `progress` of `maximum` bytes; nothing while the
// size is unknown (0).
std::optional<int> DownloadPercent(std::uint32_t progress, std::uint32_t maximum);

// The program name in the DER of an Authenticode SpcSpOpusInfo (the description a file was
// signed with: SEQUENCE { [0] { unicode [0] BMPString | ascii [1] IA5String } ... }); nothing
// when the bytes hold none. Read here because some systems' decoders misread the ASCII form.
std::optional<std::wstring> OpusProgramName(std::string_view der);

// The Location header's value in a block of HTTP response headers ("Name: value" lines); empty
// when there is none.
std::wstring RedirectLocation(std::wstring_view headers);
// The address a redirect from `from` to `location` leads to: `location` itself when it names a
// scheme, else on `from`'s scheme, host and port (a path from the root).
std::wstring ResolveRedirect(std::wstring_view from, std::wstring_view location);
