/* knobkit.h -- the gadget library's interface for client programs.
 *
 * One header for every client: C-compatible, plain records, no classes.
 * Every function here is exported from knobkit.dll under its own plain
 * name.  The exports use the C calling convention (KKAPI), so that the
 * names carry no decoration on 32-bit Windows either and a client can find
 * them with GetProcAddress by the names below.
 *
 * Handles and pointers in records are pointer-sized; everything else is a
 * fixed 32-bit field, so a record has one layout per processor.
 */
#ifndef VELLUM_KNOBKIT_H
#define VELLUM_KNOBKIT_H

#include <windows.h>
#include <stdint.h>

#define KKAPI __cdecl

/* Clients import the functions straight from the DLL's table; the library
 * itself is built with KNOBKIT_BUILD. */
#ifdef KNOBKIT_BUILD
#define KKIMPORT
#else
#define KKIMPORT __declspec(dllimport)
#endif

#ifdef __cplusplus
extern "C" {
#endif

/* ---- Default objects ------------------------------------------------
 * Made once when the library is loaded and deleted when it is unloaded;
 * dlg_GetDefObject hands out the same handle on every call.  Callers never
 * delete them.  An object that could not be made is null. */
#define DEF_FONT            0   /* 8 points, Tahoma (else Arial) */
#define DEF_FONTBOLD        1   /* the same, bold */
#define DEF_GUIFONTBOLD     2   /* the system's GUI font, bold */
#define DEF_BRUSHDITHER     3   /* one-pixel checkerboard pattern */
#define DEF_BRUSHHLINES     4   /* two-pixel horizontal stripes */
#define DEF_BRUSHVLINES     5   /* two-pixel vertical stripes */
#define DEF_BRUSHFACE       6   /* solid RGB(214, 211, 206) */
#define DEF_CURSORPOINT     7   /* pointing hand */
#define DEF_CURSORPOINTDOWN 8   /* pointing hand, pressed */
#define DEF_CURSORHAND      9   /* open hand */
#define DEF_CURSORGRAB      10  /* closed, grabbing hand */
#define DEF_CURSORTURN      11  /* turning hand */
#define DEF_FONT13          12  /* 13 pixels high, Tahoma (else Arial) */
#define DEF_FONT13BOLD      13  /* the same, bold */
#define DEF_COUNT           14

/* The library's resources (knobkit.rc). */
#define KK_IDC_TURN         102
#define KK_IDC_POINTDOWN    103
#define KK_IDC_HAND         104
#define KK_IDC_GRAB         105
#define KK_IDC_POINT        106

/* Charset indexes of dlg_CreateFont. */
#define KK_CHARSET_ANSI       0
#define KK_CHARSET_EASTEUROPE 1
#define KK_CHARSET_BALTIC     2
#define KK_CHARSET_GREEK      3
#define KK_CHARSET_RUSSIAN    4
#define KK_CHARSET_TURKISH    5
#define KK_CHARSET_ARABIC     6
#define KK_CHARSET_HEBREW     7
#define KK_CHARSET_COUNT      8

/* ---- Value texts ----------------------------------------------------
 * Flag bits in a gadget's flags that choose how its value becomes text.
 * VT_PERCENT and VT_BUILTIN choose the gadget's own value text,
 * VT_LABELPERCENT and VT_LABELFORMAT the text of a companion label. */
#define VT_PERCENT        0x10000  /* the percentage, not the value */
#define VT_BUILTIN        0x20000  /* "%d" / "%d%%", not the label text */
#define VT_LABELPERCENT   0x40000  /* the label shows the percentage */
#define VT_LABELFORMAT    0x80000  /* the label text is the format */

#define GAD_TEXT_MAX      128      /* label text, terminator included */
#define GAD_PRIVATE_WORDS 62       /* 248 bytes of a gadget kind's own */

/* ---- Gadget record --------------------------------------------------
 * One per direct child control of a managed dialog, zero-filled when the
 * dialog starts; clients hold Gadget pointers as handles.  The kinds, the
 * class codes and the state bits are listed with the functions that
 * attach the records to a dialog (to come, below). */
typedef struct Gadget Gadget;

typedef void     (KKAPI *GadTextProc)(int value, char *out);
typedef uint32_t (KKAPI *GadFreeProc)(Gadget *g);
typedef void     (KKAPI *GadDrawProc)(HWND hWnd, HDC hdc, Gadget *g);
typedef BOOL     (KKAPI *GadHitProc)(Gadget *g, POINT *pt);
typedef BOOL     (KKAPI *GadPressProc)(HWND hDlg, Gadget *g, POINT *pt);
typedef void     (KKAPI *GadDragProc)(HWND hDlg, Gadget *g, POINT *pt);
typedef void     (KKAPI *GadTimerProc)(HWND hDlg, Gadget *g);
typedef void     (KKAPI *GadWheelProc)(HWND hDlg, Gadget *g, int notches);

struct Gadget {
    uint32_t    kind;         /* low byte the kind, bits 8-15 a variant */
    uint32_t    ctlClass;     /* class code of the control */
    uint32_t    flags;        /* the client's bits, meaning per kind */
    uint32_t    state;        /* the library's bits */
    HWND        hDlg;
    HWND        hWnd;
    HCURSOR     hCursor;      /* over the active part */
    HCURSOR     hCursorDown;  /* while pressed or tracked */
    COLORREF    textColor;
    COLORREF    backColor;
    HBRUSH      hBrush;
    HFONT       hFont;
    int32_t     align[4];     /* the dialog layout's offsets */
    GadTextProc textProc;     /* client formatter of the value text */
    char        text[GAD_TEXT_MAX];
    uint32_t    priv[GAD_PRIVATE_WORDS];  /* ranges: min, max, position */
    GadFreeProc  FreeProc;
    GadDrawProc  DrawProc;
    GadHitProc   HitProc;
    GadHitProc   KnobHitProc;
    GadPressProc ClickProc;
    GadPressProc PressProc;
    GadDragProc  DragProc;
    GadDragProc  ReleaseProc;
    GadTimerProc TimerProc;
    GadWheelProc WheelProc;
};

/* ---- Gadget kinds, class codes, state bits, messages ----------------
 * (to come with the attachment of records to dialogs) */

/* ---- GadDialog: the per-dialog block of header and records ----------
 * (to come) */

/* ---- DlgHandler: the client's handler-table row, and the dialog
 * functions that run a dialog through it ------------------------------
 * The client writes no dialog procedure: the library's own does its work
 * for a message and then calls the first row of the table whose msg
 * equals the message and whose id matches (0 = any control; else the low
 * word of wParam, or for WM_HSCROLL / WM_VSCROLL also the sender in
 * lParam).  value is ready-made: the selection of a combo or list box and
 * the check of a check box (1 checked, else 0) with WM_COMMAND, the state
 * of an image button with GM_IBUTTON, the position of a slider or wheel
 * with GM_SLIDER / GM_WHEEL, else 0.  A WM_INITDIALOG handler gets the
 * table itself as lParam; per-dialog client data travels in param.  The
 * table ends with a row whose msg is 0 and must stay unchanged while the
 * dialog lives.  Any result but the three below is answered unchanged,
 * so a WM_CTLCOLOR... handler can answer a brush; no matching row
 * answers 0. */
#define DLG_HANDLED    (-1000)  /* answer TRUE */
#define DLG_ENDOK      (-1001)  /* EndDialog(1), answer TRUE */
#define DLG_ENDCANCEL  (-1002)  /* EndDialog(0), answer TRUE */

/* Messages posted to managed dialogs.  Gadget notifications carry the
 * control identifier in wParam and the Gadget in lParam. */
#define GM_SHOWN      (WM_USER + 1000)  /* once, at the first paint; 0, 0 */
#define GM_TABLEAVE   (WM_USER + 1001)
#define GM_TABENTER   (WM_USER + 1002)
#define GM_ARROW      (WM_USER + 1003)
#define GM_ABOUT      (WM_USER + 1004)
#define GM_IBUTTON    (WM_USER + 2000)
#define GM_SLIDER     (WM_USER + 2001)
#define GM_WHEEL      (WM_USER + 2002)
#define GM_STATIC     (WM_USER + 2003)
#define GM_LIST       (WM_USER + 2004)
#define GM_HOTKEY     (WM_USER + 2005)
#define GM_SIZER      (WM_USER + 2006)

/* Dialog flag bits. */
#define DF_DRAG       0x1         /* presses on the background drag */
#define DF_DRAGANY    0x2         /* ... and on any plain control */
#define DF_CURSOR     0x4         /* the library sets the mouse cursor */
#define DF_SKIN       0x10000     /* a skin paints the background */
#define DF_SKINTILE   0x20000     /* tiled, else stretched */
#define DF_CAPTURED   0x1000000   /* a gadget is tracked */
#define DF_DRAGGING   0x2000000   /* the window is being dragged */
#define DF_SHOWN      0x4000000   /* GM_SHOWN has been posted */
#define DF_TOOLTIPS   0x80000000u /* the tooltip window exists */

typedef INT_PTR (KKAPI *DlgHandlerProc)(HWND hDlg, WPARAM wParam,
                                        LPARAM lParam, int value,
                                        LPARAM param);

typedef struct DlgHandler {
    uint32_t       msg;    /* 0 ends the table */
    uint32_t       id;     /* low 16 bits: the control; 0 = any */
    DlgHandlerProc proc;
    LPARAM         param;  /* handed to proc as its last argument */
} DlgHandler;

/* Modal: the dialog's result.  Modeless: its window, null on failure.  A
 * dialog whose controls cannot be taken over (it has none, or memory is
 * short) ends at once with result 0. */
KKIMPORT INT_PTR KKAPI dlg_DoDialog(HINSTANCE hInst, int templateId,
                                    HWND hParent, const DlgHandler *table);
KKIMPORT HWND    KKAPI dlg_CreateDialog(HINSTANCE hInst, int templateId,
                                        HWND hParent, const DlgHandler *table);
KKIMPORT INT_PTR KKAPI dlg_DoDialogIndirect(HINSTANCE hInst,
                                            const DLGTEMPLATE *tmpl,
                                            HWND hParent,
                                            const DlgHandler *table);
KKIMPORT HWND    KKAPI dlg_CreateDialogIndirect(HINSTANCE hInst,
                                                const DLGTEMPLATE *tmpl,
                                                HWND hParent,
                                                const DlgHandler *table);

/* ---- Small dialog tools ---------------------------------------------
 * Each does nothing for a dialog that is not run by the library. */

/* WM_SETFONT (redraw) to every descendant of the dialog, all levels, and
 * to the dialog; the font stays the caller's. */
KKIMPORT void    KKAPI dlg_SetFont(HWND hDlg, HFONT hFont);

/* Enables or disables the dialog and its ordinary controls other than
 * static texts; enabling repaints them and focuses the dialog. */
KKIMPORT void    KKAPI dlg_Enable(HWND hDlg, BOOL enable);

/* The control's text becomes value in eight upper-case hex digits;
 * the SetDlgItemText result. */
KKIMPORT BOOL    KKAPI dlg_SetDlgItemHex(HWND hDlg, int id, uint32_t value);

/* The menu at the cursor, owned by hOwner (brought to the foreground
 * first, posted WM_USER afterwards so the menu closes properly); the
 * TrackPopupMenuEx result. */
KKIMPORT BOOL    KKAPI dlg_TrackPopupMenu(HWND hOwner, HMENU hMenu, UINT flags);

/* ---- Fonts and default objects -------------------------------------- */

/* The default object of index 0 to DEF_COUNT - 1; null outside. */
KKIMPORT HGDIOBJ KKAPI dlg_GetDefObject(int index);

/* The negative character height in pixels of a font of the given size
 * in points on the screen (-11 for 8 points at 96 dots per inch). */
KKIMPORT int     KKAPI dlg_CalcFontHeight(int points);

/* A new 13-pixel Tahoma (else Arial) font of the charset of the given
 * index (KK_CHARSET_...), owned by the caller; null for any other index. */
KKIMPORT HFONT   KKAPI dlg_CreateFont(int index);

#ifdef __cplusplus
}
#endif

#endif
