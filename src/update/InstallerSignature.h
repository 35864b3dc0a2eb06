// Whether a downloaded installer is what the vendor published: a valid Authenticode signature
// whose signer holds one of the keys this program was built to trust.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// The keys the update trusts, DER SubjectPublicKeyInfo each: the resources the build put into
// `module` (the running program when null). None in a build made without a certificate.
std::vector<std::string> ReadTrustedKeys(HMODULE module = nullptr);

enum class InstallerVerdict {
    Accepted,
    NoTrustedKey,    // this copy was built without a key: it cannot verify any download
    BadSignature,    // no signature, or one that does not match the file
    OtherSigner,     // a valid signature by a key this copy does not trust
    NotAnInstaller,  // the vendor signed it, but as the program, the uninstaller or another product
    OtherVersion,    // the vendor's installer, but not of the version offered
};

struct InstallerCheck {
    InstallerVerdict verdict = InstallerVerdict::BadSignature;
    // WinVerifyTrust's answer; S_OK with OtherSigner means a valid signature by someone else.
    LONG nStatus = 0;
    // The signer's revocation could not be learnt (so the signature alone decided).
    bool bRevocationUnknown = false;
    // What the file says it is, for the error log: the signature's description, and product
    // name, version and file name of its version resource.
    std::wstring strFound;
};

// What the server offered: the installer of this version, under this file name.
struct OfferedInstaller {
    std::wstring strVersion;
    std::wstring strFileName;
};

// The description the release's installers are signed with (tools/package.sh); the programs and
// the uninstallers carry others.
inline constexpr wchar_t kInstallerSignedAs[] = L"Quillmark installer";

// Checks the file open as `file` (the signature is read through that handle, so what is checked
// is what the caller holds) against the keys in `keysModule` and the offer.
InstallerCheck CheckInstaller(HANDLE file, const std::wstring& path, const OfferedInstaller& offer,
                              HMODULE keysModule = nullptr);
