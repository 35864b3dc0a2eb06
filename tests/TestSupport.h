// Helpers shared by the Windows tests.
#pragma once

#include "framework/Wnd.h"

#include <windows.h>

#include <string>

// A folder of the test's own under the temporary folder, removed with everything in it.
class ScopedTempDir {
public:
    ScopedTempDir();
    ~ScopedTempDir();
    ScopedTempDir(const ScopedTempDir&) = delete;
    ScopedTempDir& operator=(const ScopedTempDir&) = delete;
    // The folder, ending in "\".
    const std::wstring& path() const { return m_path; }

private:
    std::wstring m_path;
};

// Deletes a folder and everything below it; true when it is gone.
bool RemoveTree(const std::wstring& folder);

// Runs every queued message through the same path as the program's modal loop.
void PumpMessages();

// Writes a file with the given bytes; true on success.
bool WriteTestFile(const std::wstring& path, const std::string& bytes);
std::string ReadTestFile(const std::wstring& path);

// Narrow text of a wide string, for test messages.
std::string Narrow(const std::wstring& text);

// True when running under Wine rather than Windows.
bool RunningUnderWine();

// An existing folder this user may not create files in, or empty when none is known: the file
// system's /usr through Wine's Z: drive, or the system folder on Windows. Only meaningful where
// ReadOnlyIsEnforced() (root may write anywhere).
std::wstring UnwritableFolder();

// A visible dialog of this thread other than `except` (a common dialog, a message box), or null.
HWND FindOtherDialog(HWND except);

// A compound document; with a title it carries a summary set holding that title and, when
// `pageCount` is not negative, a page count too.
bool MakeCompoundFile(const std::wstring& path, const char* title = nullptr, long pageCount = -1);

// Calendar fields as the platform's system-time record (month 1 to 12).
SYSTEMTIME MakeSystemTime(WORD year, WORD month, WORD day, WORD hour = 0, WORD minute = 0, WORD second = 0,
                          WORD milliseconds = 0);
// The file-time ticks of a system-time record; 0 when it is no time.
unsigned long long TicksOfSystemTime(const SYSTEMTIME& fields);

// File-time ticks of a FILETIME, and of whole seconds since 1970.
unsigned long long Ticks(const FILETIME& time);
unsigned long long TicksOfSeconds(long long secondsSince1970);

// True when a read-only file refuses to be opened for writing. Wine run by root ignores the
// read-only bit (root may write any file), so tests of read-only files, denied access and
// unwritable folders only mean something as an unprivileged user. Such tests live in suites
// named "...Permissions"; ./test.sh runs those suites again as an unprivileged user.
bool ReadOnlyIsEnforced();

// In the unprivileged lane (QUILL_UNPRIVILEGED_LANE set) such a test fails instead of skipping.
bool InUnprivilegedLane();

#define SKIP_UNLESS_READONLY_ENFORCED()                                                           \
    do {                                                                                          \
        if (!ReadOnlyIsEnforced()) {                                                              \
            if (InUnprivilegedLane()) {                                                           \
                FAIL() << "the unprivileged lane runs where read-only files are writable";        \
            }                                                                                     \
            GTEST_SKIP() << "read-only files are writable here (Wine run by root); this runs in " \
                            "the unprivileged lane of ./test.sh";                                 \
        }                                                                                         \
    } while (false)

// The number of GDI objects this process holds (under Wine too, where GetGuiResources
// answers 0).
long GdiObjectCount();

// A parent window that counts the BN_CLICKED notifications of the control with one id.
class ClickCounter : public CWnd {
public:
    explicit ClickCounter(int id) : m_nId(id) {}
    int clicks = 0;
    int otherCommands = 0;  // commands of the control with any other notification code

protected:
    BOOL OnCommand(UINT id, UINT code, HWND control) override;

private:
    int m_nId;
};

// The allocation seam: from its construction on, the nth allocation of this thread through
// operator new throws std::bad_alloc, once (nth 0: none fails); the allocations are counted.
// The test program replaces operator new for it; other threads are not affected.
class ScopedAllocationFailure {
public:
    explicit ScopedAllocationFailure(long nth);
    ~ScopedAllocationFailure();
    ScopedAllocationFailure(const ScopedAllocationFailure&) = delete;
    ScopedAllocationFailure& operator=(const ScopedAllocationFailure&) = delete;
    long Count() const;
    bool Failed() const;
};
