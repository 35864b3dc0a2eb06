#include "update/InstallerSignature.h"

#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <vector>

namespace {

// The vendor's code-signing key (RSA 2048, PKCS #1 DER). Releases are signed with its private
// half, which never leaves the vendor's signing machine.
constexpr char kVendorSignerKey[] =
    "3082010a0282010100be53e0023fb50a5642c26214dfb28040a4d212598174bd7ab7ecdef63b8a3ae0e268dfc9e0cfcf"
    "7ce77924e69760cbbbb2e43a1e2e9827f0c55ed0ebf9559f488a1e6ca334832ac947f623d6e93c706a93cbb27d09760e"
    "6cfe97f1ee2f1e7eb99e52f588ece607d6ec86662c786164e8020caa0c527bcfe4114c90f44e8a8b3ca93a85708b807e"
    "664ee76af6dace5f9fd8008acf5cd82dc11269fdeee3b1dce6ce9141bd1b4ad31d6a3d2b805fe5eeb885cacee8ee6452"
    "f6748f59c9601682ae1cf0d4511e7f954b512835390133803462dbfae1c279e64e2a4735161a1d5a4c6d3a472ab28ff3"
    "8eba96045afde50227064dd94b79a2a053a1d317a7683071b90203010001";

std::string g_strSignerKey;

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::vector<BYTE> FromHex(const std::string& digits) {
    std::vector<BYTE> bytes;
    int high = -1;
    for (const char c : digits) {
        const int value = HexValue(c);
        if (value < 0) {
            continue;  // line breaks and spaces of a pasted key
        }
        if (high < 0) {
            high = value;
        } else {
            bytes.push_back(static_cast<BYTE>(high * 16 + value));
            high = -1;
        }
    }
    return bytes;
}

bool SignerHoldsVendorKey(HANDLE state) {
    CRYPT_PROVIDER_DATA* provider = ::WTHelperProvDataFromStateData(state);
    CRYPT_PROVIDER_SGNR* signer = provider ? ::WTHelperGetProvSignerFromChain(provider, 0, FALSE, 0) : nullptr;
    if (!signer || signer->csCertChain == 0 || !signer->pasCertChain || !signer->pasCertChain[0].pCert) {
        return false;
    }
    // The first certificate of the chain is the signer's own.
    const CRYPT_BIT_BLOB& key = signer->pasCertChain[0].pCert->pCertInfo->SubjectPublicKeyInfo.PublicKey;
    const std::vector<BYTE> expected = FromHex(g_strSignerKey.empty() ? std::string(kVendorSignerKey) : g_strSignerKey);
    return !expected.empty() && key.cbData == expected.size() &&
           std::equal(expected.begin(), expected.end(), key.pbData);
}

}  // namespace

void SetVendorSignerKey(const std::string& hexDigits) {
    g_strSignerKey = hexDigits;
}

SignatureCheck CheckInstallerSignature(const std::wstring& path) {
    WINTRUST_FILE_INFO file{};
    file.cbStruct = sizeof file;
    file.pcwszFilePath = path.c_str();
    WINTRUST_DATA data{};
    data.cbStruct = sizeof data;
    data.dwUIChoice = WTD_UI_NONE;
    data.fdwRevocationChecks = WTD_REVOKE_NONE;
    data.dwUnionChoice = WTD_CHOICE_FILE;
    data.pFile = &file;
    data.dwStateAction = WTD_STATEACTION_VERIFY;
    GUID action = WINTRUST_ACTION_GENERIC_VERIFY_V2;
    const HWND noUi = static_cast<HWND>(INVALID_HANDLE_VALUE);

    SignatureCheck check;
    check.nStatus = ::WinVerifyTrust(noUi, &action, &data);
    // Wine accepts a certificate of no trusted root, so the signer's key is what proves origin.
    check.bTrusted = check.nStatus == ERROR_SUCCESS && SignerHoldsVendorKey(data.hWVTStateData);
    data.dwStateAction = WTD_STATEACTION_CLOSE;
    ::WinVerifyTrust(noUi, &action, &data);
    return check;
}
