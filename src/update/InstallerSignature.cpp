#include "update/InstallerSignature.h"

#include "resources/Version.h"
#include "update/UpdateRules.h"
#include "update/VendorKeys.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

namespace {

std::string ReadKeyResource(HMODULE module, int id) {
    const HRSRC found = ::FindResourceW(module, MAKEINTRESOURCEW(id), MAKEINTRESOURCEW(10));  // RT_RCDATA
    const HGLOBAL loaded = found ? ::LoadResource(module, found) : nullptr;
    const void* bytes = loaded ? ::LockResource(loaded) : nullptr;
    return bytes ? std::string(static_cast<const char*>(bytes), ::SizeofResource(module, found)) : std::string();
}

// The key a trusted DER SubjectPublicKeyInfo names, decoded by the system as the signer's is.
struct DecodedKey {
    CERT_PUBLIC_KEY_INFO* info = nullptr;
    explicit DecodedKey(const std::string& der) {
        DWORD size = 0;
        if (!::CryptDecodeObjectEx(X509_ASN_ENCODING, X509_PUBLIC_KEY_INFO, reinterpret_cast<const BYTE*>(der.data()),
                                   static_cast<DWORD>(der.size()), CRYPT_DECODE_ALLOC_FLAG, nullptr, &info, &size)) {
            info = nullptr;
        }
    }
    ~DecodedKey() { ::LocalFree(info); }
    DecodedKey(const DecodedKey&) = delete;
    DecodedKey& operator=(const DecodedKey&) = delete;
};

bool SignerHoldsTrustedKey(HANDLE state, const std::vector<std::string>& keys) {
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(state);
    CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) {
        return false;
    }
    // The first certificate of the chain is the signer's own.
    CERT_PUBLIC_KEY_INFO& signerKey = signer->pasCertChain[0].pCert->pCertInfo->SubjectPublicKeyInfo;
    for (const std::string& der : keys) {
        const DecodedKey trusted(der);
        if (trusted.info && ::CertComparePublicKeyInfo(X509_ASN_ENCODING, trusted.info, &signerKey)) {
            return true;
        }
    }
    return false;
}

// The program name the signer put under the signature (SpcSpOpusInfo), which tells the release's
// installers from its programs and uninstallers: those share the installer's version resource.
std::wstring SignedDescription(HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(state);
    CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (!signer || !signer->psSigner) {
        return {};
    }
    const CRYPT_ATTRIBUTES& attributes = signer->psSigner->AuthAttrs;
    for (DWORD i = 0; i < attributes.cAttr; ++i) {
        const CRYPT_ATTRIBUTE& attribute = attributes.rgAttr[i];
        if (::lstrcmpA(attribute.pszObjId, SPC_SP_OPUS_INFO_OBJID) != 0 || attribute.cValue == 0) {
            continue;
        }
        const CRYPT_ATTR_BLOB& value = attribute.rgValue[0];
        return OpusProgramName(std::string_view(reinterpret_cast<const char*>(value.pbData), value.cbData))
            .value_or(std::wstring());
    }
    return {};
}

// The strings of the file's version resource, in its first language; empty when it has none.
struct VersionStrings {
    std::wstring strProduct;
    std::wstring strVersion;
    std::wstring strFileName;
};
VersionStrings ReadVersionStrings(const std::wstring& path) {
    VersionStrings strings;
    DWORD ignored = 0;
    const DWORD size = ::GetFileVersionInfoSizeW(path.c_str(), &ignored);
    std::vector<BYTE> block(size);
    struct Translation {
        WORD language;
        WORD codePage;
    }* translation = nullptr;
    UINT length = 0;
    if (size == 0 || !::GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
        !::VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                          &length) ||
        length < sizeof(Translation)) {
        return strings;
    }
    const auto value = [&](const wchar_t* name) {
        wchar_t query[64];
        ::wsprintfW(query, L"\\StringFileInfo\\%04x%04x\\%s", translation->language, translation->codePage, name);
        wchar_t* text = nullptr;
        UINT chars = 0;
        if (!::VerQueryValueW(block.data(), query, reinterpret_cast<void**>(&text), &chars) || !text) {
            return std::wstring();
        }
        return std::wstring(text, ::lstrlenW(text));
    };
    strings.strProduct = value(L"ProductName");
    strings.strVersion = value(L"ProductVersion");
    strings.strFileName = value(L"OriginalFilename");
    return strings;
}

}  // namespace

std::vector<std::string> ReadTrustedKeys(HMODULE module) {
    if (!module) {
        module = ::GetModuleHandleW(nullptr);
    }
    std::vector<std::string> keys;
    for (const int id : {IDR_VENDOR_KEY_CURRENT, IDR_VENDOR_KEY_NEXT}) {
        if (std::string key = ReadKeyResource(module, id); !key.empty()) {
            keys.push_back(std::move(key));
        }
    }
    return keys;
}

InstallerCheck CheckInstaller(HANDLE file, const std::wstring& path, const OfferedInstaller& offer,
                              HMODULE keysModule) {
    InstallerCheck check;
    const std::vector<std::string> keys = ReadTrustedKeys(keysModule);
    if (keys.empty()) {
        check.verdict = InstallerVerdict::NoTrustedKey;
        return check;
    }
    WINTRUST_FILE_INFO fileInfo{};
    fileInfo.cbStruct = sizeof fileInfo;
    fileInfo.pcwszFilePath = path.c_str();
    fileInfo.hFile = file;
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    // A revoked signing certificate is refused. When revocation cannot be learnt (no network
    // to the authority's lists, or a certificate that names none) the signature alone decides,
    // as it would without the check.
    data.fdwRevocationChecks = WTD_REVOKE_WHOLECHAIN;
    data.dwProvFlags = WTD_REVOCATION_CHECK_CHAIN_EXCLUDE_ROOT;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &fileInfo;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND noUi = static_cast<HWND>(INVALID_HANDLE_VALUE);

    check.nStatus = ::WinVerifyTrust(noUi, &action, &data);
    if (check.nStatus == static_cast<LONG>(CERT_E_REVOCATION_FAILURE)) {
        data.dwStateAction = WTD_STATEACTION_CLOSE;
        ::WinVerifyTrust(noUi, &action, &data);
        check.bRevocationUnknown = true;
        data.fdwRevocationChecks = WTD_REVOKE_NONE;
        data.dwProvFlags = 0;
        data.hWVTStateData = nullptr;
        data.dwStateAction = WTD_STATEACTION_VERIFY;
        check.nStatus = ::WinVerifyTrust(noUi, &action, &data);
    }
    std::wstring description;
    if (check.nStatus != ERROR_SUCCESS) {
        check.verdict = InstallerVerdict::BadSignature;
    } else if (!SignerHoldsTrustedKey(data.hWVTStateData, keys)) {
        // Wine accepts a certificate of no trusted root, so the signer's key is what proves origin.
        check.verdict = InstallerVerdict::OtherSigner;
    } else {
        description = SignedDescription(data.hWVTStateData);
        check.verdict = InstallerVerdict::Accepted;
    }
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(noUi, &action, &data);
    if (check.verdict != InstallerVerdict::Accepted) {
        return check;
    }
    // The vendor signed it; now it must be the installer of exactly the version offered. The
    // caller holds the file against writing, so the path still names the bytes just verified.
    const VersionStrings found = ReadVersionStrings(path);
    check.strFound = L"signed as \"" + description + L"\", " + found.strProduct + L" " + found.strVersion + L", " +
                     found.strFileName;
    if (description != kInstallerSignedAs || found.strProduct != kProductName) {
        check.verdict = InstallerVerdict::NotAnInstaller;
    } else if (found.strVersion != offer.strVersion) {
        check.verdict = InstallerVerdict::OtherVersion;
    } else if (::lstrcmpiW(found.strFileName.c_str(), offer.strFileName.c_str()) != 0) {
        check.verdict = InstallerVerdict::NotAnInstaller;  // the other word size's installer
    }
    return check;
}
