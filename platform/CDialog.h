// CDialog: the framework's dialog, made from a dialog template of the resources and run modally.
#pragma once

#include "platform/CWnd.h"

class CDialog : public CWnd {
public:
    CDialog() = default;
    // The template's id, found in the resource module (AfxGetResourceHandle) when the dialog is run.
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    // Creates the window from the template, sends WM_INITDIALOG, shows it and runs a nested message
    // loop until EndDialog; returns EndDialog's result, or -1 when the dialog cannot be created
    // (no template, or no display to show it on).
    virtual INT_PTR DoModal();
    // Ends the modal loop with the result (also from OnInitDialog: the dialog then never shows).
    void EndDialog(int nResult);

    // WM_INITDIALOG: exchanges data into the controls; TRUE leaves the focus to the first control.
    virtual BOOL OnInitDialog();
    // IDOK: UpdateData(TRUE), then EndDialog(IDOK) when it succeeded. IDCANCEL: EndDialog(IDCANCEL).
    virtual void OnOK();
    virtual void OnCancel();

    // WM_CLOSE, Escape and the close box cancel (IDCANCEL through the map), as the platform's dialog.
    LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // Commands the dialog does not handle go on to the application object.
    BOOL OnCmdMsg(UINT nID, int nCode) override;
    BOOL DestroyWindow() override;

    UINT m_nIDHelp = 0;

protected:
    // WM_INITDIALOG: calls OnInitDialog.
    LRESULT HandleInitDialog(WPARAM wParam, LPARAM lParam);

    DECLARE_MESSAGE_MAP()

private:
    UINT m_nIDTemplate = 0;
    CWnd* m_pParentWnd = nullptr;
    int m_nModalResult = -1;
    BOOL m_bEnded = FALSE;
    void* m_pLoop = nullptr;  // the running modal loop, a QEventLoop
};
