// Apply Changes: every listed file gets the chosen groups of changes, each reported by a line.
#include "app/MainDlg.h"

#include "app/OutOfMemory.h"
#include "dialogs/LongWorkProgress.h"
#include "dialogs/MessageBox.h"
#include "editing/FileAttributeWord.h"
#include "editing/SummaryProperties.h"
#include "framework/WaitCursor.h"
#include "support/ErrorLog.h"

#include <new>
#include <string_view>

namespace {

constexpr wchar_t kNoFilesNotice[] =
    L"Please add files to the list using \"Add Files\" or \"Add Folder\" before press this button.";
constexpr wchar_t kNoGroupNotice[] =
    L"Please check select \"Set File Time\", \"Set File Attributes\", or \"Set File Properties\" before press this "
    L"button.";

}  // namespace

const wchar_t* const CMainDlg::kSeparatorLine =
    L"--------------------------------------------------------------------------------\r\n";

void CMainDlg::OnApplyChanges() {
    if (m_vecRows.empty()) {
        MacMessageBox(kNoFilesNotice, m_skin.GetTheme());
        return;
    }
    const bool times = m_chkSetFileTime.IsChecked() != FALSE;
    const bool attributes = m_chkSetFileAttributes.IsChecked() != FALSE;
    const bool properties = m_chkOtherProperties.IsChecked() != FALSE;
    if (!times && !attributes && !properties) {
        MacMessageBox(kNoGroupNotice, m_skin.GetTheme());
        return;
    }
    const int rows = static_cast<int>(m_vecRows.size());
    // Out of memory, the pass stops at a file boundary: before any file is changed while the
    // state is being saved, else after the file in hand, whose state is saved like all the
    // others', so Undo restores everything the pass changed.
    bool saving = true;
    int current = 0;
    std::wstring output;
    try {
        output = ReserveReport(static_cast<int>(times) + static_cast<int>(attributes) + static_cast<int>(properties));
        // Saving, applying and refreshing the rows: a third of the bar each.
        CLongWorkProgress progress(L"Applying changes\u2026", 3 * rows, m_skin.GetTheme());
        {
            CWaitCursor wait;
            ClearBackup();
            // Every file's state is saved before the pass changes anything: a file named by two
            // rows (listed twice, or in two spellings) keeps the state it had before its first row.
            for (int row = 0; row < rows && static_cast<size_t>(row) < m_vecRows.size(); ++row) {
                const std::wstring path = m_vecRows[static_cast<size_t>(row)]->m_path;
                BackupFile(path);
                progress.Step(row + 1);
            }
            saving = false;
            // Nothing repaints during the pass, so the lines go into the pane in one piece at its
            // end: the same text and scroll position as line by line, without the edit control
            // laying out its growing text once per file.
            for (; current < rows && static_cast<size_t>(current) < m_vecRows.size(); ++current) {
                const std::wstring path = m_vecRows[static_cast<size_t>(current)]->m_path;
                output += ApplyToFile(path, times, attributes, properties);
                progress.Step(rows + current + 1);
            }
            m_btnUndo.EnableWindow(!m_mapBackup.empty());
            output += kSeparatorLine;
            AppendOutput(output);
            output.clear();
            output.shrink_to_fit();
            // Log lines a busy log held back during the pass are written now.
            FlushErrorLog();
        }
        RefreshRows();
    } catch (const std::bad_alloc&) {
        if (saving) {
            ClearBackup();
            ReportOutOfMemory(*this, L"Out of memory: Apply Changes stopped before changing any file.");
            return;
        }
        m_btnUndo.EnableWindow(!m_mapBackup.empty());
        try {
            AppendOutput(output);
        } catch (const std::bad_alloc&) {
        }
        if (current < rows) {
            ReportOutOfMemory(*this,
                              L"Out of memory: Apply Changes stopped at file %d of %d (%.600s); Undo Changes restores "
                              L"the files changed so far.",
                              current + 1, rows, m_vecRows[static_cast<size_t>(current)]->m_path.c_str());
        } else {
            ReportOutOfMemory(*this,
                              L"Out of memory after Apply Changes had changed all %d files; Undo Changes "
                              L"restores them.",
                              rows);
        }
    }
}

std::wstring CMainDlg::ApplyToFile(const std::wstring& path, bool times, bool attributes, bool properties) {
    // A read-only file takes neither its properties nor its times, so the bit is lifted for
    // those writes and the final word is set last: the chosen one, or the file's own when the
    // attribute group is off or its write failed. The property write rewrites the file, so it
    // goes before the times. The lines keep the order time, attributes, properties.
    const std::optional<DWORD> ownWord = times || properties ? LiftReadOnly(path) : std::nullopt;
    const bool propertiesDone = properties && ChangeFileProperties(path);
    const bool timesDone = times && ChangeFileTime(path);
    const bool attributesDone = attributes && ChangeFileAttributes(path);
    if (ownWord && !attributesDone) {
        SetAttributeWord(path, *ownWord);
    }
    std::wstring message;
    if (times) {
        message +=
            path + (timesDone ? L" -- file time changed successfully!\r\n" : L" -- file time change failed.\r\n");
    }
    if (attributes) {
        message += path + (attributesDone ? L" -- file attributes changed successfully!\r\n"
                                          : L" -- file attributes change failed.\r\n");
    }
    if (properties) {
        message += path + (propertiesDone ? L" -- file properties changed successfully!\r\n"
                                          : L" -- file properties change failed.\r\n");
    }
    return message;
}

bool CMainDlg::ChangeFileProperties(const std::wstring& path) {
    static const PropertyValues kNone;
    const auto record = m_mapBackup.find(path);
    return WriteSummaryProperties(path, m_mapPropertyNames, m_mapPropertyValues,
                                  record != m_mapBackup.end() ? record->second->m_mapProperties : kNone);
}

std::wstring CMainDlg::ReserveReport(int linesPerRow) const {
    // The longest text that follows a path on a line of either pass.
    static const std::size_t kLongestLineEnd =
        std::wstring_view(L" -- file attributes rollback successfully!\r\n").size();
    std::size_t chars = std::wstring_view(kSeparatorLine).size();
    for (const ListedPath* row : m_vecRows) {
        chars += static_cast<std::size_t>(linesPerRow) * (row->m_path.size() + kLongestLineEnd);
    }
    std::wstring report;
    report.reserve(chars);
    return report;
}

void CMainDlg::AppendOutput(const std::wstring& text) {
    // Appended at the end rather than by rewriting the whole pane; the pane then shows its
    // last line at the top, as after a rewrite scrolled down by all but one line.
    const int length = ::GetWindowTextLengthW(m_editOutput.m_hWnd);
    m_editOutput.SetSel(length, length, true);
    m_editOutput.ReplaceSel(text);
    // An edit control that cannot grow its text takes none of it and says so only to its parent
    // (EN_ERRSPACE): a report the pane did not take is reported as running out of memory.
    if (static_cast<std::size_t>(::GetWindowTextLengthW(m_editOutput.m_hWnd)) !=
        static_cast<std::size_t>(length) + text.size()) {
        throw std::bad_alloc();
    }
    const int lastLine = m_editOutput.GetLineCount() - 1;
    const int firstVisible = static_cast<int>(m_editOutput.SendMessage(EM_GETFIRSTVISIBLELINE));
    m_editOutput.LineScroll(lastLine - firstVisible);
}
