/* wiz.h -- the table-driven dialog procedure of setup and Uninstall.
 *
 * A dialog's messages go to the first row of its handler table that
 * matches (message, and control identifier unless it is 0), as
 * handler(dialog, wParam, lParam, parameter); without a row the procedure
 * answers 0.  The table arrives as the WM_INITDIALOG parameter and is kept
 * in the dialog's user data.
 */
#ifndef VELLUM_WIZ_H
#define VELLUM_WIZ_H

#include <windows.h>

/* Handler results with a meaning of their own; any other value is stored
 * as the dialog's message result and answered. */
#define DLG_HANDLED   (-1000)   /* answers TRUE */
#define DLG_ENDOK     (-1001)   /* ends the dialog with 1 */
#define DLG_ENDCANCEL (-1002)   /* ends the dialog with 0 */

/* Page messages of the wizard frame; the page's answer is the result. */
#define WIZ_LEAVE (WM_USER + 1001)   /* lParam 1 forward; nonzero keeps */
#define WIZ_ENTER (WM_USER + 1002)   /* lParam 1 forward; nonzero skips */

typedef INT_PTR (*WizHandler)(HWND dialog, WPARAM wParam, LPARAM lParam,
                              LPARAM parameter);

/* A table ends with a row whose message is 0. */
typedef struct WizRow {
    UINT       Message;
    UINT       Control;     /* 0 any; low word of wParam, or the sender of
                               a scroll message */
    WizHandler Handler;
    LPARAM     Parameter;
} WizRow;

INT_PTR CALLBACK wiz_DialogProc(HWND dialog, UINT message, WPARAM wParam,
                                LPARAM lParam);

#endif
