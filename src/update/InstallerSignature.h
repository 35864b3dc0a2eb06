// Whether a downloaded installer is what the vendor published: a valid Authenticode signature
// whose signer holds the vendor's key.
#pragma once

#include <windows.h>

#include <string>

struct SignatureCheck {
    bool bTrusted = false;
    // WinVerifyTrust's answer; S_OK with bTrusted false means another signer.
    LONG nStatus = 0;
};
SignatureCheck CheckInstallerSignature(const std::wstring& path);

// The signer's public key the vendor signs with (DER of the RSA public key), as hex digits.
// Tests name their own signer; empty restores the vendor's.
void SetVendorSignerKey(const std::string& hexDigits);
