#include "app/OutOfMemory.h"

#include "app/MainDlg.h"
#include "support/ErrorLog.h"

#include <cstdarg>

void ReportOutOfMemory(CMainDlg& dlg, const wchar_t* format, ...) noexcept {
    // wvsprintf writes at most 1,024 characters.
    wchar_t line[1025] = {};
    va_list args;
    va_start(args, format);
    ::wvsprintfW(line, format, args);
    va_end(args);
    LogError(L"%s", line);
    try {
        dlg.AppendOutput(std::wstring(line) + L"\r\n" + CMainDlg::kSeparatorLine);
    } catch (...) {
        // The log has the line.
    }
    FlushErrorLog();
}
