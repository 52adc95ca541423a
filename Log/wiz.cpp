/* wiz.cpp -- the table-driven dialog procedure (wiz.h). */
#include "wiz.h"
#include "ident.h"

MODULE_IDENT("Log/wiz.cpp");

INT_PTR CALLBACK wiz_DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                LPARAM lParam)
{
    /* Messages before WM_INITDIALOG (WM_SETFONT) find no table yet. */
    if (message == WM_INITDIALOG)
        SetWindowLongPtrA(dialog, GWLP_USERDATA, lParam);
    const WizRow *row =
        (const WizRow *)GetWindowLongPtrA(dialog, GWLP_USERDATA);
    if (!row)
        return 0;
    /* A scroll message names its control by handle; one from the window's
     * own scroll bars has none and matches only rows for any control. */
    UINT id = LOWORD(wParam);
    if (message == WM_HSCROLL || message == WM_VSCROLL)
        id = lParam ? (UINT)GetDlgCtrlID((HWND)lParam) : 0;
    for (; row->Message; row++) {
        if (row->Message != message || (row->Control && row->Control != id))
            continue;
        INT_PTR result = row->Handler(dialog, wParam, lParam, row->Parameter);
        if (result == DLG_HANDLED)
            return TRUE;
        if (result == DLG_ENDOK || result == DLG_ENDCANCEL) {
            EndDialog(dialog, result == DLG_ENDOK);
            return TRUE;
        }
        SetWindowLongPtrA(dialog, DWLP_MSGRESULT, result);
        return result;
    }
    return 0;
}
