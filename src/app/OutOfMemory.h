// A pass over the listed files (Add Folder, the filter, Apply, Undo) that runs out of memory
// stops at a file boundary and says so: one line in the output pane, the same line in the log.
#pragma once

class CMainDlg;

// The line is formatted by the platform's wvsprintf rules into a buffer of its own, as the
// memory the pass let go of while unwinding may be all there is. Never throws.
void ReportOutOfMemory(CMainDlg& dlg, const wchar_t* format, ...) noexcept;
