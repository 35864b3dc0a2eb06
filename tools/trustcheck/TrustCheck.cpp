// Asks a built program's update whether it would run a file: the keys are read from the
// program's own resources and the file is checked by the update's own code.
//   quill_trustcheck PROGRAM.exe FILE.exe VERSION
// FILE stands for the installer of VERSION offered under FILE's name. Prints the verdict; exit code 0 when the program
// would run the file, 1 when it refuses it, 2 when the program or the file cannot be read.
#include "update/InstallerSignature.h"

#include <cstdio>

namespace {

const char* VerdictName(InstallerVerdict verdict) {
    switch (verdict) {
        case InstallerVerdict::Accepted:
            return "accepted";
        case InstallerVerdict::NoTrustedKey:
            return "refused: the program trusts no key";
        case InstallerVerdict::BadSignature:
            return "refused: no valid signature";
        case InstallerVerdict::OtherSigner:
            return "refused: signed by a key the program does not trust";
        case InstallerVerdict::NotAnInstaller:
            return "refused: not the installer";
        case InstallerVerdict::OtherVersion:
            return "refused: not the installer of that version";
    }
    return "refused";
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 4) {
        std::fputs("usage: quill_trustcheck PROGRAM.exe FILE.exe VERSION\n", stderr);
        return 2;
    }
    // Any build's resources can be read, whatever its word size.
    const HMODULE program =
        ::LoadLibraryExW(argv[1], nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    if (!program) {
        std::fprintf(stderr, "quill_trustcheck: cannot read %ls (error %lu)\n", argv[1], ::GetLastError());
        return 2;
    }
    const HANDLE file = ::CreateFileW(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::fprintf(stderr, "quill_trustcheck: cannot open %ls (error %lu)\n", argv[2], ::GetLastError());
        return 2;
    }
    const std::wstring path = argv[2];
    const OfferedInstaller offer{argv[3], path.substr(path.find_last_of(L"\\/") + 1)};
    const InstallerCheck check = CheckInstaller(file, path, offer, program);
    ::CloseHandle(file);
    std::printf("%s (keys: %u, status 0x%08lX%s) %ls\n", VerdictName(check.verdict),
                static_cast<unsigned>(ReadTrustedKeys(program).size()), static_cast<unsigned long>(check.nStatus),
                check.bRevocationUnknown ? ", revocation unknown" : "", check.strFound.c_str());
    return check.verdict == InstallerVerdict::Accepted ? 0 : 1;
}
