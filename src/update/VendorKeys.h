// Resource numbers of the public keys the update trusts (RCDATA, each the DER of a certificate's
// SubjectPublicKeyInfo). The build writes them from the release's signing certificate and,
// during a change of keys, the next one (cmake/vendor-keys.cmake); a build without a certificate
// has none and refuses every downloaded installer.
#pragma once

#define IDR_VENDOR_KEY_CURRENT 900
#define IDR_VENDOR_KEY_NEXT 901
