// CDialog: a dialog from a template resource, modal or modeless, whose template controls are
// bound to member objects.
#pragma once

#include "framework/Wnd.h"

#include <utility>
#include <vector>

// The tab stop after (or before) `control` among the siblings of its group: from the nearest
// sibling with WS_GROUP up to the next one, round from the last to the first. `control` itself
// when the group has no other enabled, visible tab stop.
HWND NextTabStopInGroup(HWND control, bool previous);

class CDialog : public CWnd {
public:
    explicit CDialog(UINT templateId, CWnd* parent = nullptr);
    ~CDialog() override;

    // Runs the dialog with a message loop of our own, so that PreTranslateMessage sees every
    // message first. Returns the value given to EndDialog, or -1 when the dialog could not be made.
    INT_PTR DoModal();
    // Creates the dialog without a loop of its own (modeless).
    bool Create(HWND parent = nullptr);
    // The same from a template built in memory rather than a resource.
    bool CreateIndirect(const DLGTEMPLATE* dialogTemplate, HWND parent = nullptr);
    void EndDialog(int result);

    BOOL PreTranslateMessage(MSG* msg) override;

protected:
    // Runs DoDataExchange, which binds the registered controls.
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    virtual void DoDataExchange();

    // Registers a member for control `id`, to be bound when the dialog initialises; measure
    // requests for it are answered even before that.
    void AddControl(int id, CWnd& control);

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    BOOL OnCommand(UINT id, UINT code, HWND control) override;
    CWnd* FindControlForMeasure(int id) override;

    UINT m_nIDTemplate;
    CWnd* m_pParentWnd;

private:
    std::vector<std::pair<int, CWnd*>> m_controls;
    bool m_bInModalLoop = false;
    INT_PTR m_nModalResult = -1;

    static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept;
};
