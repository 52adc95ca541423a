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
 * class codes and the state bits follow the record. */
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

/* ---- Gadget kinds, class codes, state bits ---------------------------
 * Every record starts plain (kind 0); tests for a kind look at the low
 * byte.  Kinds 0 and 1 are plain records, 2 and up are gadgets. */
#define GAD_PLAIN     0   /* an ordinary control */
#define GAD_COLORED   1   /* ... with its own colours, brush or font */
#define GAD_PROGBAR   2
#define GAD_IBUTTON   3
#define GAD_SLIDER    4
#define GAD_WHEEL     5
#define GAD_LED       6
#define GAD_TAB       7
#define GAD_STATIC    9
#define GAD_LIST      10
#define GAD_HOTKEY    11
#define GAD_SIZER     12
#define GAD_KIND(g)   ((g)->kind & 0xFF)

/* ctlClass: from the window class name (any case) and, for buttons and
 * statics, the type bits of the style. */
#define CTL_OTHER       0   /* and buttons of other types */
#define CTL_STATIC      1
#define CTL_LISTBOX     2
#define CTL_EDIT        3
#define CTL_COMBOBOX    4
#define CTL_PUSHBUTTON  5   /* BS_PUSHBUTTON, BS_DEFPUSHBUTTON */
#define CTL_RADIO       6   /* BS_RADIOBUTTON, BS_AUTORADIOBUTTON */
#define CTL_CHECKBOX    7   /* two- and three-state, auto or not */
#define CTL_GROUPBOX    8
#define CTL_RICHEDIT    9
#define CTL_OWNERDRAW   10
#define CTL_ETCHED      11  /* SS_ETCHEDHORZ, SS_ETCHEDVERT, SS_ETCHEDFRAME */
#define CTL_HEADER      12
#define CTL_TOOLBAR     13
#define CTL_REBAR       14
#define CTL_STATUSBAR   15
#define CTL_TRACKBAR    16
#define CTL_UPDOWN      17
#define CTL_PROGRESS    18
#define CTL_HOTKEYCTL   19
#define CTL_LISTVIEW    20
#define CTL_TREEVIEW    21
#define CTL_COMBOBOXEX  22
#define CTL_TAB         23
#define CTL_ANIMATE     24
#define CTL_MONTHCAL    25
#define CTL_DATETIME    26
#define CTL_IPADDRESS   27
#define CTL_PAGER       28

/* state: the library's bits. */
#define GS_TEXTCOLOR    0x1
#define GS_BACKCOLOR    0x2
#define GS_BOLD         0x4
#define GS_ITALIC       0x8
#define GS_TRANSPARENT  0x10
#define GS_DRAGWINDOW   0x20        /* a press nobody takes drags the window */
#define GS_CLOSE        0x100       /* each notification also closes ... */
#define GS_MAXIMIZE     0x200
#define GS_MINIMIZE     0x400
#define GS_RESTORE      0x800
#define GS_ARROW        0x1000      /* ... or posts GM_ARROW */
#define GS_ABOUT        0x2000      /* ... or GM_ABOUT */
#define GS_ALIGNMASK    0xFF0000    /* the control's alignment bits */
#define GS_OWNBRUSH     0x1000000   /* hBrush is the library's to delete */
#define GS_OWNFONT      0x2000000   /* hFont likewise */
#define GS_CAPTURE      0x4000000   /* a press may start tracking */
#define GS_CURSOR       0x10000000
#define GS_CURSORDOWN   0x20000000
#define GS_DISABLED     0x80000000u

/* The timer that a tracked gadget sets on its dialog. */
#define GAD_TIMER       60000

/* ---- GadDialog: the per-dialog block of header and records ----------
 * One zero-filled allocation, the header followed by count records;
 * the dialog's GWLP_USERDATA points to the header and each direct child
 * control's GWLP_USERDATA to its record.  Records are in the order the
 * system enumerates the children (Z order from the top).  The block lives
 * from WM_INITDIALOG to WM_DESTROY. */
struct DlgHandler;

typedef struct GadDialog {
    const struct DlgHandler *handlers;  /* the client's table */
    uint32_t dlgFlags;
    uint32_t count;         /* number of records */
    HBITMAP  hSkin;         /* owned */
    HFONT    hFont;         /* the last dlg_SetFont font, not owned */
    HFONT    hFontBold;     /* bold variant of the first one, owned */
    HWND     hTooltip;
    uint32_t tipsActive;
    HFONT    hTipFont;      /* for the tooltip window when it is made */
    HWND     hCaptureWnd;   /* control of the tracked gadget */
    Gadget  *captured;      /* the tracked gadget */
    int32_t  dragX, dragY;  /* where a window drag began, client */
    int32_t  minWidth, minHeight, maxWidth, maxHeight;
    int32_t  snap;          /* snapping distance, 0 = off */
    int32_t  laidWidth, laidHeight;  /* the window at the last layout */
    Gadget  *gadgets;       /* the records, right after the header */
} GadDialog;

/* The control's record; null when the dialog has no such control or is
 * not run by the library. */
KKIMPORT Gadget *KKAPI gad_GetGadget(HWND hDlg, int id);
/* The control of a record; null for a null gadget. */
KKIMPORT HWND    KKAPI gad_GetWindow(const Gadget *g);
/* The control identifier of a record; -1 for a null gadget. */
KKIMPORT int     KKAPI gad_GetWindowID(const Gadget *g);
/* Gives a control of a managed dialog its text colour (GS_TEXTCOLOR),
 * background (GS_BACKCOLOR a new solid brush of back, GS_TRANSPARENT the
 * hollow one) and font (font, or with GS_BOLD / GS_ITALIC a variant of
 * font, else of the control's font, else of the default GUI font); mode
 * bits above GS_ITALIC are added to the state.  Brush and font made here
 * belong to the record and go at the next call or with the dialog; the
 * caller's font stays the caller's.  Colours show on static and button
 * controls only.  FALSE when the dialog has no such control. */
KKIMPORT BOOL    KKAPI gad_SetColor(HWND hDlg, int id, uint32_t mode,
                                    COLORREF text, COLORREF back, HFONT font);
/* Repaints the dialog area under the record's control (erased first);
 * FALSE for a null gadget or a missing control. */
KKIMPORT BOOL    KKAPI gad_Redraw(const Gadget *g);
KKIMPORT BOOL    KKAPI gad_RedrawItem(HWND hDlg, int id);
/* The label becomes text (null: empty), at most GAD_TEXT_MAX - 1
 * characters; a plain control shows it as its window text, a gadget
 * repaints.  A null gadget is ignored. */
KKIMPORT void    KKAPI gad_SetText(Gadget *g, const char *text);
/* The client formatter of the gadget's value text: formatter(value, out)
 * writes at most GAD_TEXT_MAX - 1 characters and the terminator; null
 * goes back to the label or the built-in text.  Answers the formatter
 * now in place.  g must not be null. */
KKIMPORT GadTextProc KKAPI gad_SetTextProc(Gadget *g, GadTextProc formatter);
/* The cursor over the gadget's active part and the one while it is
 * pressed or tracked; null leaves the library's choice (the arrow).
 * Shown while DF_CURSOR is set on the dialog.  A null gadget is ignored;
 * the cursors stay the caller's. */
KKIMPORT void    KKAPI gad_SetCursor(Gadget *g, HCURSOR cursor,
                                     HCURSOR cursorDown);
/* flags = (flags & ~clear) | set, then a repaint; null is ignored. */
KKIMPORT void    KKAPI gad_ModifyFlags(Gadget *g, uint32_t set,
                                       uint32_t clear);
/* A disabled gadget ignores presses (GS_DISABLED) but still takes the
 * wheel; the control window itself keeps its state.  The gad_Redraw
 * result.  g must not be null. */
KKIMPORT BOOL    KKAPI gad_Enable(Gadget *g, BOOL enable);
/* gad_Enable of the dialog's control id; FALSE when there is none. */
KKIMPORT BOOL    KKAPI gad_EnableItem(HWND hDlg, int id, BOOL enable);
/* Turns a gadget back into a plain record before its dialog ends: owned
 * brush and font go, FreeProc runs, the kind becomes GAD_PLAIN.  The
 * FreeProc result, 0 without one.  g must not be null. */
KKIMPORT uint32_t KKAPI gad_Free(Gadget *g);

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

/* A tab gadget's page table (tab_Create): one row per tab, ended by a row
 * whose title is null; pageWnd is filled in.  The table must live as
 * long as the dialog.  On a tab change the page being left is sent
 * GM_TABLEAVE and may refuse it by answering non-zero; the page shown is
 * sent GM_TABENTER. */
typedef struct TabPage {
    const char       *title;
    INT_PTR           pageTemplate;  /* as dlg_CreateDialog takes it */
    const DlgHandler *pageHandlers;
    HWND              pageWnd;
} TabPage;

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

/* dlgFlags = (dlgFlags & ~clear) | set; the dialog's block, or null for
 * a dialog the library does not run (or a null window).  Clients use it
 * for DF_DRAG, DF_DRAGANY, DF_CURSOR, DF_SKIN and DF_SKINTILE. */
KKIMPORT GadDialog *KKAPI dlg_ModifyFlags(HWND hDlg, uint32_t set,
                                          uint32_t clear);
/* Presses on the background (drag) and also on any plain control
 * (dragAny) move the window; as dlg_ModifyFlags. */
KKIMPORT GadDialog *KKAPI dlg_EnableDrag(HWND hDlg, BOOL drag, BOOL dragAny);
/* The library sets the mouse cursor over the dialog (the gadgets' own
 * cursors); as dlg_ModifyFlags. */
KKIMPORT GadDialog *KKAPI dlg_EnableCursor(HWND hDlg, BOOL enable);
/* The dialog's background becomes a private copy of bitmap (of its part
 * when part is given, and then the caller keeps bitmap; without a part
 * the bitmap is consumed), tiled from the top-left corner or stretched
 * over the client area.  Check boxes and radio buttons become
 * transparent and group boxes take DEF_BRUSHFACE, so they sit on the
 * skin; removing the skin (null bitmap) leaves them so.  The dialog is
 * not repainted.  FALSE for a dialog the library does not run. */
KKIMPORT BOOL    KKAPI dlg_SetSkin(HWND hDlg, HBITMAP bitmap,
                                   const RECT *part, BOOL tile);

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

/* ---- Image button -------------------------------------------------
 * A push button drawn from pictures: normal, pressed (optional) and an
 * icon laid over them, with the control's text as its caption.  Its shape
 * is the normal picture's opaque pixels; a press elsewhere falls through
 * to the dialog.  GM_IBUTTON hands the handler the state (0 up, 1 down). */
#define IBTN_TOGGLE    0x1  /* each press flips the state and notifies */
#define IBTN_NOSHIFT   0x4  /* icon and caption stay put when down */
#define IBTN_REPEAT    0x8  /* notifies at the press, then every 50 ms
                               from 250 ms on while held over it */

/* Makes control id an image button.  Each picture is a bitmap with the
 * part of it to use (null: the whole bitmap, which is then consumed; with
 * a part the bitmap stays the caller's) and its transparent colour: the
 * pixel at (part left + keyX, part top + keyY), or with keyX -1 the
 * COLORREF keyY.  The pressed picture has the normal one's key; a null
 * bitmap gives no picture.  Null when the dialog has no control id. */
KKIMPORT Gadget *KKAPI ibtn_Create(HWND hDlg, int id, uint32_t flags,
                                   HBITMAP normal, const RECT *normalPart,
                                   int keyX, int keyY, HBITMAP pressed,
                                   const RECT *pressedPart, HBITMAP icon,
                                   const RECT *iconPart, int iconKeyX,
                                   int iconKeyY);
/* Shows the button down (non-zero) or up at once; no notification.  A
 * null gadget is ignored. */
KKIMPORT void     KKAPI ibtn_SetState(Gadget *g, uint32_t down);
/* The state; 0 for null.  Exported a second time as static_GetState:
 * the first word of any gadget's own data. */
KKIMPORT uint32_t KKAPI ibtn_GetState(const Gadget *g);
KKIMPORT uint32_t KKAPI static_GetState(const Gadget *g);

/* ---- Slider ---------------------------------------------------------
 * A horizontal or vertical track with a raised knob that carries the
 * value text (the control's text is its format).  The knob is dragged,
 * the track clicked, the wheel turned; each change by the user posts
 * GM_SLIDER, whose value is the position.  The setters never notify. */
#define SLIDER_VERT       0x1         /* vertical, else horizontal */
#define SLIDER_NOGROOVE   0x2         /* no sunken groove */
#define SLIDER_PATTERN    0x4         /* the control filled with the dither */
#define SLIDER_SMOOTH     0x8         /* the knob follows the pointer exactly */
#define SLIDER_DRAGGING   0x10000000  /* the library's: the knob is held */
#define SLIDER_REVERSED   0x40000000  /* the library's: bounds given high first */
#define SLIDER_FITTEXT    0xFFFFFFFFu /* knobSize: fit the value texts */

/* Makes control id a slider from 0 to 100 at 0; knobSize is the knob's
 * length in points (1/72 inch), or SLIDER_FITTEXT; labelId the control
 * that shows the value text, -1 for none.  Null when there is no id. */
KKIMPORT Gadget *KKAPI slider_Create(HWND hDlg, int id, uint32_t flags,
                                     uint32_t knobSize, int labelId);
/* The range from a to b (given high first, the slider runs reversed) and
 * the position, stored as given. */
KKIMPORT void KKAPI slider_Modify(Gadget *g, int a, int b, int pos);
/* The position, clamped to the range. */
KKIMPORT void KKAPI slider_SetPos(Gadget *g, int pos);
/* The position; 0 for null.  Also exported as pb_GetPos. */
KKIMPORT int  KKAPI slider_GetPos(const Gadget *g);
KKIMPORT int  KKAPI pb_GetPos(const Gadget *g);
KKIMPORT void KKAPI slider_SetKnobSize(Gadget *g, uint32_t knobSize);
/* The knob's length along the track in pixels; 0 for null. */
KKIMPORT int  KKAPI slider_GetKnobSize(const Gadget *g);
/* The position at percent (0 to 100) of the range, from the reversed end
 * for a reversed slider. */
KKIMPORT void KKAPI slider_SetPercent(Gadget *g, int percent);
/* Where the position is in the range, in per cent, rounded; 0 for null.
 * Also exported as wheel_GetPercent. */
KKIMPORT int  KKAPI slider_GetPercent(const Gadget *g);
KKIMPORT int  KKAPI wheel_GetPercent(const Gadget *g);

/* ---- Wheel ----------------------------------------------------------
 * A rotary knob: a dial picture with a mark at the angle of the value,
 * in degrees clockwise from twelve o'clock.  Turned by dragging around
 * the centre or by the mouse wheel; the mark blinks while held.  Each
 * change by the user posts GM_WHEEL, whose value is the position. */
#define WHEEL_ABSOLUTE  0x1         /* the pointer's angle, -180 to 180 */
#define WHEEL_ENDLESS   0x2         /* the pointer's angle, 0 to 359, wrapping */
#define WHEEL_HELD      0x10000000  /* the library's: the knob is held */
#define WHEEL_BLINK     0x20000000  /* the library's: the lit mark shows */

/* Makes control id a wheel from -120 to 120 at 0: the dial, the mark and
 * the lit mark, each a bitmap, part and key as for ibtn_Create;
 * radiusScale scales the circle the mark runs on; labelId the control
 * that shows the value text, -1 for none.  Null when there is no id. */
KKIMPORT Gadget *KKAPI wheel_Create(HWND hDlg, int id, uint32_t flags,
                                    int labelId, float radiusScale,
                                    HBITMAP dial, const RECT *dialPart,
                                    int dialKeyX, int dialKeyY, HBITMAP mark,
                                    const RECT *markPart, int markKeyX,
                                    int markKeyY, HBITMAP markLit,
                                    const RECT *markLitPart, int markLitKeyX,
                                    int markLitKeyY);
/* Range and position, stored as given. */
KKIMPORT void KKAPI wheel_Modify(Gadget *g, int min, int max, int pos);
KKIMPORT int  KKAPI wheel_GetPos(const Gadget *g);
KKIMPORT void KKAPI wheel_SetPos(Gadget *g, int pos);
KKIMPORT void KKAPI wheel_SetPercent(Gadget *g, int percent);

/* ---- Sizer ----------------------------------------------------------
 * A rectangle (the knob) inside the control, moved by its inside and
 * sized by eight handles, kept in fractions of the control's size.  Each
 * change by the user posts GM_SIZER; sizer_GetPos reads the fractions. */
#define SIZER_NOHANDLES  0x1         /* no handles: the knob only moves */
#define SIZER_SYMMETRIC  0x2         /* an edge moves its opposite too */
#define SIZER_DRAGGING   0x10000000  /* the library's: the knob is held */

/* Makes control id a sizer whose knob covers it all: handles of
 * handleSize pixels in frameColor, the knob's inside in insideColor, the
 * rest in outsideColor.  Null when there is no control id. */
KKIMPORT Gadget *KKAPI sizer_Create(HWND hDlg, int id, uint32_t flags,
                                    int handleSize, COLORREF frameColor,
                                    COLORREF outsideColor,
                                    COLORREF insideColor);
/* The knob's left, top, width and height in fractions of the control,
 * stored as given (the limits apply from the next drag). */
KKIMPORT void KKAPI sizer_SetPos(Gadget *g, float x, float y, float width,
                                 float height);
/* Each fraction whose pointer is not null. */
KKIMPORT void KKAPI sizer_GetPos(const Gadget *g, float *x, float *y,
                                 float *width, float *height);
/* area becomes the knob rectangle in an area of its size, from (0, 0). */
KKIMPORT void KKAPI sizer_CalcKnobRect(const Gadget *g, RECT *area);
/* The limits a drag keeps: the lowest and highest left and top, the
 * smallest and largest width and height, all fractions from 0 to 1 with
 * each lowest not above its highest.  FALSE, and nothing changed, for
 * limits outside that or a null gadget; else the knob repaints. */
KKIMPORT BOOL KKAPI sizer_SetMinMax(Gadget *g, float minX, float minY,
                                    float maxX, float maxY, float minWidth,
                                    float minHeight, float maxWidth,
                                    float maxHeight);

/* ---- LED display ----------------------------------------------------
 * A digital read-out: up to eight panels of segments (digits, lamps,
 * symbols: a picture of the client's whose segments a table cuts out)
 * and up to four lines of text in the library's dot-matrix characters,
 * 16 x 22 pixels on an 18-pixel pitch.  Only lit segments are drawn;
 * panels and lines together are centred in the control.  It takes no
 * mouse input and posts nothing.  The functions below ignore a gadget
 * that is null or no LED, and a panel or line index out of range. */
#define LED_PANELS    8
#define LED_LINES     4
#define LED_LINE_MAX  32    /* cells in a line */

/* Segment b of a panel: a rectangle of the panel's picture, in its own
 * pixels, drawn at the same place on the LED while bit b is lit. */
typedef struct LedSegment {
    int32_t x, y, width, height;
} LedSegment;

/* Makes control id an LED with no panels and no lines.  Null when the
 * dialog has no control id. */
KKIMPORT Gadget *KKAPI led_Create(HWND hDlg, int id, uint32_t flags);
/* Panel 0 to 7 at (x, y) of the content, all segments off: its picture
 * is bitmap (its part source, else the whole bitmap, which is then
 * consumed) keyed as for ibtn_Create, its segments the 32 entries of
 * segmentTable, which stays the caller's and must live as long as the
 * LED.  With setBackground the LED is filled with the colour of the
 * bitmap's pixel (keyX, keyY), or with keyX -1 with keyY.  Not redrawn.
 * FALSE, and the bitmap consumed all the same, for a bad index. */
KKIMPORT BOOL KKAPI led_CreatePanel(Gadget *led, int panel, int x, int y,
                                    HBITMAP bitmap, const RECT *source,
                                    int keyX, int keyY, BOOL setBackground,
                                    const LedSegment *segmentTable);
/* segments = (segments & ~clear) | set, then a repaint. */
KKIMPORT void KKAPI led_Modify(Gadget *led, int panel, uint32_t set,
                               uint32_t clear);
/* Lights bits, then a repaint. */
KKIMPORT void KKAPI led_Set(Gadget *led, int panel, uint32_t bits);
/* Puts bits out, then a repaint. */
KKIMPORT void KKAPI led_Clear(Gadget *led, int panel, uint32_t bits);
/* Line 0 to 3 of length cells (more than LED_LINE_MAX are that many,
 * fewer than 0 none) from (x, y) of the content, all spaces; with
 * setBackground the LED is filled black, the characters' background.
 * Not redrawn.  FALSE for a bad index. */
KKIMPORT BOOL KKAPI led_CreateText(Gadget *led, int line, int x, int y,
                                   int length, BOOL setBackground);
/* The line's first cells (centred: the middle ones, rounded left) show
 * text, cut to the line's length; bytes outside 32-127 show as spaces,
 * the other cells are spaces.  Then a repaint, except for a null text,
 * which blanks the line until the next one. */
KKIMPORT void KKAPI led_SetText(Gadget *led, int line, const char *text,
                                BOOL centre);

/* ---- end of LED display ---- */

/* ---- Progress bar -----------------------------------------------------
 * A horizontal or vertical bar filled in proportion to its position in
 * its range, with the value text centred on it (the control's text is its
 * format) in the colour of the part under each of its pixels.  It takes
 * no input (a press only focuses it) and sends no notifications; a
 * companion control can show the value too.  pb_GetPos is the slider's
 * (above). */
#define PB_VERT     0x1   /* vertical, filling from the top */
#define PB_REVERSE  0x2   /* filling from the far end: the bottom or right */

/* Makes control id a progress bar from 0 to 100 at 0: the filled part in
 * barColor with its text in barTextColor, the rest in restColor and
 * restTextColor; labelId the control that shows the value text, -1 for
 * none.  Null when the dialog has no control id. */
KKIMPORT Gadget *KKAPI pb_Create(HWND hDlg, int id, uint32_t flags,
                                 COLORREF barTextColor, COLORREF barColor,
                                 COLORREF restTextColor, COLORREF restColor,
                                 int labelId);
/* Range and position, stored as given, and a repaint.  A position outside
 * the range shows an empty or a full bar; a range with min = max an empty
 * one.  A null gadget is ignored. */
KKIMPORT void KKAPI pb_Modify(Gadget *g, int min, int max, int pos);
/* The position, kept between the range's two bounds, and a repaint.  A
 * null gadget is ignored. */
KKIMPORT void KKAPI pb_SetPos(Gadget *g, int pos);

/* ---- end of progress bar ---- */

/* ---- Static and tab ---------------------------------------------------
 * An image static shows one of four pictures (static_SetState picks it);
 * its shape is the shown picture's opaque pixels, and a press there posts
 * GM_STATIC.  A tab gadget is a tab control whose tabs show pages, each a
 * dialog made from a template (TabPage, above). */

/* Makes control id an image static showing picture 0.  Each picture is a
 * bitmap with its part and key, as for ibtn_Create; a null bitmap gives
 * no picture.  Null when the dialog has no control id. */
KKIMPORT Gadget *KKAPI static_Create(HWND hDlg, int id, uint32_t flags,
                                     HBITMAP bitmap0, const RECT *part0,
                                     int keyX0, int keyY0, HBITMAP bitmap1,
                                     const RECT *part1, int keyX1, int keyY1,
                                     HBITMAP bitmap2, const RECT *part2,
                                     int keyX2, int keyY2, HBITMAP bitmap3,
                                     const RECT *part3, int keyX3, int keyY3);
/* Shows picture 0 to 3 (the press area follows it); the dialog area
 * under the control is repainted.  A null gadget or any other index is
 * ignored.  static_GetState (with the image button) reads it back. */
KKIMPORT void KKAPI static_SetState(Gadget *g, uint32_t picture);
/* Makes the tab control id a tab gadget with a tab and a page per row of
 * pages (from module's templates), the first page shown.  Null, and the
 * control left plain with no page windows, when a page cannot be made
 * (the tabs inserted so far stay).  gad_Free destroys the pages too. */
KKIMPORT Gadget *KKAPI tab_Create(HINSTANCE module, HWND hDlg, int id,
                                  TabPage *pages);

/* ---- end of static and tab ---- */

/* ---- Gadget factory ---------------------------------------------------
 * Ready-made gadgets from the library's own pictures, each with one call:
 * framed push buttons, caption buttons, LEDs, a mute toggle, arrow pairs,
 * a folder button, a knob and the maker's logo.  Every bitmap a fac_
 * function returns is the caller's.  LEDs made here light in
 * RGB(255, 82, 41) and are dark in RGB(96, 0, 0). */

/* A new bitmap of the library's: 100 the brushed texture (151 x 151),
 * 200 the knob (47 x 47, on yellow), 300 the folder (19 x 14, on
 * magenta); null for any other number. */
KKIMPORT HBITMAP KKAPI fac_LoadImage(int number);
/* A new LED picture whose lens shows colour: type 0 the small socket
 * (7 x 7), 1 the large one (12 x 12), both on yellow; null for another
 * type. */
KKIMPORT HBITMAP KKAPI fac_CreateLedImage(int type, COLORREF colour);
/* Makes control id an image static LED of a type as above: picture 0
 * shows it in unlit, picture 1 in lit (static_SetState).  Null when there
 * is no control id; another type makes an LED that shows nothing. */
KKIMPORT Gadget *KKAPI fac_CreateLed(HWND hDlg, int id, int type,
                                     COLORREF unlit, COLORREF lit);
/* The push-button frame stretched to width x height (at least 20 x 15),
 * normal and pressed, on magenta.  TRUE always; an out argument whose
 * picture cannot be made stays as it was, a null one asks for none. */
KKIMPORT BOOL    KKAPI fac_CreateButtonImage(int width, int height,
                                             HBITMAP *normal,
                                             HBITMAP *pressed);
/* Makes control id an image button of the frame at the control's size,
 * with flags as for ibtn_Create and icon (part, key as there) over it;
 * reserved is not read.  Null when the dialog has no control id. */
KKIMPORT Gadget *KKAPI fac_CreateButton(HWND hDlg, int id, uint32_t flags,
                                        uint32_t reserved, HBITMAP icon,
                                        const RECT *iconPart, int iconKeyX,
                                        int iconKeyY);
/* Makes control id a 13 x 13 caption button whose every notification
 * also acts: type 0 minimises the dialog, 1 restores it, 2 maximises it,
 * 3 closes it, 4 posts GM_ARROW, 5 (a blank cell) GM_ABOUT.  Null for
 * another type (the control is left as it was) or a missing control. */
KKIMPORT Gadget *KKAPI fac_CreateAutoButton(HWND hDlg, int id, int type);
/* Makes control id a wheel (flags as for wheel_Create) on the library's
 * knob with a small LED as its mark.  Null when there is no control id. */
KKIMPORT Gadget *KKAPI fac_CreateWheel(HWND hDlg, int id, uint32_t flags);
/* Makes control id a large LED that each press switches on or off
 * (an IBTN_TOGGLE image button, flags added to that), with the pointing
 * hand cursors.  Null when there is no control id. */
KKIMPORT Gadget *KKAPI fac_CreateMute(HWND hDlg, int id, uint32_t flags);
/* Makes the controls firstId and secondId framed buttons (flags as for
 * ibtn_Create) with arrows: type 0 up and down, 300 left and right.
 * TRUE; FALSE, and nothing made, for another type. */
KKIMPORT BOOL    KKAPI fac_CreateArrows(HWND hDlg, int firstId, int secondId,
                                        uint32_t flags, int type);
/* Makes control id an image static of the maker's logo (46 x 19),
 * variant 0 or 1, with flags as for static_Create, that also posts
 * GM_ABOUT when pressed and shows the help cursor.  Null for another
 * variant; the control is then given GS_ABOUT all the same, which a
 * control that is no gadget never acts on. */
KKIMPORT Gadget *KKAPI fac_CreateAbout(HWND hDlg, int id, uint32_t flags,
                                       int variant);
/* Makes control id an image static of the folder, without a caption
 * (the control's text is cleared).  Null when there is no control id. */
KKIMPORT Gadget *KKAPI fac_CreateBrowser(HWND hDlg, int id, uint32_t flags);

/* ---- end of gadget factory ---- */

/* ---- Hotkey field ------------------------------------------------------
 * An edit control that captures key combinations.  The user presses a key
 * with any modifiers; the field shows the combination ("Shift + LCtrl +
 * F5": Shift, Ctrl, Alt, Win, then the key's name from the system) and
 * posts GM_HOTKEY, after which hotkey_GetKey reads it.  While modifiers
 * are held before a key the field shows them; a modifier pressed and
 * released alone clears the hotkey.  Typed characters never reach the
 * edit control, and it opens no context menu.  Left and right Ctrl, Alt
 * and Win are told apart.
 *
 * A hotkey code uses its low 16 bits: the main key's virtual-key code in
 * bits 0-7, then the bits below; 0 is no hotkey.  A modifier without a
 * side (from a system hotkey) sets both bits of its pair. */
#define HOTKEY_EXTENDED  0x100    /* the key is an extended one */
#define HOTKEY_SHIFT     0x200
#define HOTKEY_LCTRL     0x400
#define HOTKEY_RCTRL     0x800
#define HOTKEY_LALT      0x1000
#define HOTKEY_RALT      0x2000
#define HOTKEY_LWIN      0x4000
#define HOTKEY_RWIN      0x8000

/* What hotkey_Make builds a code from. */
#define HOTKEY_FROMKEY    0  /* a keyboard message's lParam */
#define HOTKEY_FROMHOTKEY 1  /* a WM_HOTKEY lParam: MOD_... and the key */

/* Makes the edit control id a hotkey field with no hotkey (it shows
 * "None"); flags are kept, not read.  The control's window procedure is
 * replaced until gad_Free or the dialog's end.  Null when the dialog has
 * no control id. */
KKIMPORT Gadget *KKAPI hotkey_Create(HWND hDlg, int id, uint32_t flags);
/* The current code; 0 for a null gadget or one that is no hotkey field. */
KKIMPORT uint32_t KKAPI hotkey_GetKey(const Gadget *g);
/* The code becomes key and the field shows its name, the caret at the
 * end; no GM_HOTKEY.  A null gadget or one that is no hotkey field is
 * ignored. */
KKIMPORT void KKAPI hotkey_SetKey(Gadget *g, uint32_t key);
/* A code from a keyboard message's lParam (HOTKEY_FROMKEY: the key from
 * its scan code, and its extended bit, no modifiers) or from a system
 * hotkey's (HOTKEY_FROMHOTKEY); any other from gives param back. */
KKIMPORT uint32_t KKAPI hotkey_Make(DWORD param, int from);
/* For a client's own keyboard handling: a modifier's WM_KEYDOWN or
 * WM_SYSKEYDOWN sets its bit in *modifiers, its key-up clears it, and
 * both answer 0; another key's key-down answers its code with
 * *modifiers, everything else 0. */
KKIMPORT uint32_t KKAPI hotkey_Track(UINT msg, WPARAM vk, LPARAM lParam,
                                     DWORD *modifiers);
/* The name of a code into out, at most size - 1 characters and the
 * terminator (nothing for a size below 1): "None" for 0, a code of
 * modifiers only ends in its plus sign ("LCtrl +").  Answers out. */
KKIMPORT char *KKAPI hotkey_GetText(uint32_t key, char *out, int size);

/* ---- end of hotkey field ---- */

/* ---- List --------------------------------------------------------------
 * A list view with a current and a marked item, moving, deleting and
 * in-place editing.  The list view (SysListView32, report view) holds
 * only the texts the client puts in it; every change of order or content
 * is told to the client with GM_LIST, sent (not posted) to the dialog:
 * wParam = code x 65536 + control identifier, lParam as below.  For a
 * move the client exchanges its own data of the two items; the list then
 * asks it to refresh both.  GM_LIST rows match the control identifier as
 * other rows do; GLN_CODE(wParam) is the code. */
#define GLN_CURRENT   10   /* item: the current item changed */
#define GLN_MARKED    11   /* item: the marked item changed (Space, double
                            * click, deletion) */
#define GLN_REFRESH   12   /* item: refresh or redraw this item */
#define GLN_SELECTED  13   /* item: one selected item (glist_EnumSelected) */
#define GLN_EDITED    14   /* subitem x 65536 + item: an in-place edit was
                            * committed, its text is in the list already */
#define GLN_SWAP      20   /* item: items item and item + 1 exchange places */
#define GLN_DELETED   21   /* item: the item at this index was deleted */
#define GLN_COUNT     22   /* count: deletion finished, the new item count */
#define GLN_RCLICK    30   /* item: right click on an item */
#define GLN_KEY       31   /* virtual-key code: any other key in the list */
#define GLN_CODE(wParam) ((int)HIWORD(wParam))

/* The in-place editor's texts, terminator included. */
#define GLIST_TEXT_MAX 1024

/* One column of the client's table, which ends with a null title.  The
 * list keeps the table by pointer: it must live as long as the list.
 * When the list is released (gad_Free, or the dialog's end) each width
 * becomes the column's width then, so the client can keep the user's
 * widths. */
typedef struct GlistColumn {
    const char *title;
    int32_t     format;    /* LVCFMT_LEFT, LVCFMT_RIGHT, LVCFMT_CENTER */
    int32_t     editable;  /* 1: its cells are edited in place */
    int32_t     maxChars;  /* the editor's limit (0, or above
                            * GLIST_TEXT_MAX - 1: GLIST_TEXT_MAX - 1) */
    int32_t     width;     /* pixels */
} GlistColumn;

/* Makes the list view id a list with a column per table row, item 0
 * current and marked (GLN_CURRENT 0 is sent).  flags are kept, not read.
 * Null when the dialog has no control id. */
KKIMPORT Gadget *KKAPI glist_Create(HWND hDlg, int id, uint32_t flags,
                                    GlistColumn *columns);
/* item becomes current and marked, focused, selected and scrolled into
 * view; GLN_CURRENT item.  A null list is ignored. */
KKIMPORT void KKAPI glist_SetSel(Gadget *list, int item);
/* The current item; -1 for a null list. */
KKIMPORT int  KKAPI glist_GetSel(const Gadget *list);
/* GLN_SELECTED for each selected item, in order (the handler may delete
 * items); the item count then, 0 for a null list. */
KKIMPORT int  KKAPI glist_EnumSelected(Gadget *list);
/* Every selected item one place up (down): GLN_SWAP and two GLN_REFRESH
 * per item; the current and the marked item follow their items.
 * Nothing happens when nothing is selected or item 0 (the last item) is
 * among the selected.  A null list is ignored. */
KKIMPORT void KKAPI glist_MoveUp(Gadget *list);
KKIMPORT void KKAPI glist_MoveDown(Gadget *list);
/* Deletes every selected item: GLN_DELETED per item, GLN_REFRESH per
 * remaining position, GLN_COUNT, GLN_MARKED when the marked item went or
 * fell off the end, then GLN_CURRENT for the current position, kept
 * within the list.  A null list is ignored. */
KKIMPORT void KKAPI glist_Delete(Gadget *list);

/* ---- end of list ---- */

/* ---- Tooltips ----------------------------------------------------------
 * One tooltip window per dialog, controls registered by window or by
 * rectangle.  The window (class "tooltips_class32") is made by the first
 * call below that needs it, with the dialog's dlg_SetFont font, and goes
 * with the dialog.  Static texts and gadgets built on them let the mouse
 * through to the dialog, so their tips are rectangles of the dialog (the
 * control's place, moved when the dialog is resized); any other control
 * is its own tool.  Each function is FALSE (0) for a dialog the library
 * does not run. */

/* One row of a tip list: the control and its text, which the tooltip
 * window copies.  A row whose id is 0 ends the list. */
typedef struct TipItem {
    int32_t     id;
    const char *text;
} TipItem;

/* Each listed control of the dialog gets its tip (one already there is
 * replaced; identifiers of no control are skipped), then the tips are
 * turned on or off by active.  FALSE when the tooltip window cannot be
 * made. */
KKIMPORT BOOL KKAPI tooltips_Create(HWND hDlg, const TipItem *list,
                                    BOOL active);
/* A tip for rect (dialog client coordinates) under the caller's toolId;
 * it stays where it is given. */
KKIMPORT BOOL KKAPI tooltips_CreateRect(HWND hDlg, const RECT *rect,
                                        UINT_PTR toolId, const char *text);
/* New texts for the tips of the listed controls; a control without a tip
 * gets none. */
KKIMPORT BOOL KKAPI tooltips_UpdateText(HWND hDlg, const TipItem *list);
/* Removes the tips of the dialog's controls; tooltips_CreateRect's stay,
 * and so does the tooltip window.  FALSE without a tooltip window. */
KKIMPORT BOOL KKAPI tooltips_Delete(HWND hDlg);
/* Turns all tips of the dialog on or off without removing them; the
 * TTM_ACTIVATE answer, 0 without a tooltip window. */
KKIMPORT INT_PTR KKAPI tooltips_Enable(HWND hDlg, BOOL active);

/* ---- end of tooltips ---- */

/* ---- Dialog layout -----------------------------------------------------
 * Controls that follow a resized dialog by their alignment bits, and
 * the dialog's size limits and snapping.  A record's bits (GS_ALIGNMASK
 * of its state) say what its control does when the window is resized;
 * its offsets (align[]) are taken from the geometry at dlg_SetAlign, so
 * that is called while the dialog has its designed layout (as a rule in
 * the WM_INITDIALOG handler), and dlg_Realign after the client moved
 * controls itself.  A control without bits is left where it is.  Per
 * direction: no bit keeps the place and size; ALIGN_MOVEX / ALIGN_MOVEY
 * keep the distance to the right / bottom edge; ALIGN_SIZEX /
 * ALIGN_SIZEY stretch from a fixed left / top; ALIGN_MOVEX with
 * ALIGN_PINLEFT (ALIGN_MOVEY with ALIGN_PINTOP) stretch too. */
#define ALIGN_MOVEY    0x10000    /* keeps its distance to the bottom edge */
#define ALIGN_MOVEX    0x20000    /* keeps its distance to the right edge */
#define ALIGN_PINTOP   0x100000   /* its top stays (with ALIGN_MOVEY) */
#define ALIGN_SIZEY    0x200000   /* its bottom keeps the bottom distance */
#define ALIGN_PINLEFT  0x400000   /* its left stays (with ALIGN_MOVEX) */
#define ALIGN_SIZEX    0x800000   /* its right keeps the right distance */

/* The record's alignment bits become bits (only GS_ALIGNMASK is taken),
 * and its offsets are taken from the current geometry.  A null gadget is
 * ignored. */
KKIMPORT void KKAPI dlg_SetAlign(Gadget *g, uint32_t bits);
/* dlg_SetAlign(bits) for each listed control of the dialog; the list of
 * ints ends at -1, and ids of no control are skipped. */
KKIMPORT void KKAPI dlg_SetAlignList(HWND hDlg, uint32_t bits, ...);
/* Every record's offsets taken again, each with its own bits; the number
 * of records, 0 for a dialog the library does not run. */
KKIMPORT int  KKAPI dlg_Realign(HWND hDlg);
/* The window's size is held within these while the user sizes it
 * (window pixels); -1 stands for the current width or height, 0 for no
 * limit.  A dialog the library does not run is ignored. */
KKIMPORT void KKAPI dlg_SetMinMax(HWND hDlg, int minWidth, int minHeight,
                                  int maxWidth, int maxHeight);
/* While dragged, the window snaps to an edge of the work area closer
 * than distance pixels; 0 turns it off.  As dlg_SetMinMax. */
KKIMPORT void KKAPI dlg_SetSnap(HWND hDlg, int distance);

/* ---- end of dialog layout ---- */

/* ---- Locale string tables ----------------------------------------------
 * Several languages from one locale file: sections of numbered strings
 * and tooltips.  The file (ANSI, lines ended by CR LF, LF or CR):
 *     // a comment
 *     [English]                 one section per language ("country")
 *     012 Open@Opens a file     identifier 000-999, a separator, the
 *     013 Close                 text, after an at sign its tooltip;
 *     014 Line``two             `` a CR LF in the text, ` a LF
 * at least 80 bytes, at most 100 sections.  A later entry of the same
 * identifier in a section replaces an earlier one. */
#define LOCALE_COUNTRIES 100   /* sections a file may hold */
#define LOCALE_STRINGS   1000  /* string identifiers 0 to 999 */

/* What locale_Load makes; the caller's until locale_Free.  Every text
 * pointer points into text and stays valid until then. */
typedef struct Locale {
    char    *text;          /* the file and a NUL, cut into pieces */
    uint32_t size;          /* the file's length in bytes */
    int32_t  numCountries;  /* sections, at least 1 */
    int32_t  current;       /* the chosen section, -1 before a choice */
    uint32_t reserved;      /* 0 */
    HFONT    font;          /* the client's font for this language, or
                               null; locale_Free deletes it */
    char    *countries[LOCALE_COUNTRIES];  /* section names, file order */
    char    *strings[LOCALE_STRINGS];      /* texts of the chosen section */
    char    *tooltips[LOCALE_STRINGS];     /* their tooltips, or null */
} Locale;

/* A row of locale_Set's table: the dialog's control and the identifier
 * of its text (and tooltip).  The table ends with a row whose control is
 * LOCALE_END. */
typedef struct LocalePair {
    int32_t control;
    int32_t string;
} LocalePair;
#define LOCALE_END (-1)

/* The file read whole and cut into its sections, nothing chosen yet.
 * Null when there is no such file, it is shorter than 80 bytes (or of
 * 2 GB or more), cannot be read, or has no section. */
KKIMPORT Locale *KKAPI locale_Load(const char *fileName);
/* The text, the font and the record; null is ignored. */
KKIMPORT void    KKAPI locale_Free(Locale *locale);
/* numCountries; 0 for null. */
KKIMPORT int     KKAPI locale_GetNumCountries(const Locale *locale);
/* Adds every section name to the dialog's list box (listBox TRUE) or
 * combo box (FALSE), in file order, and selects entry current (-1:
 * none).  Nothing for a null locale. */
KKIMPORT void    KKAPI locale_EnumCountries(const Locale *locale, HWND hDlg,
                                            int id, BOOL listBox);
/* The library's "Select your language:" box, modal over owner (null:
 * none), its first entry selected; it ends only by OK or a double click
 * on a name, which becomes current.  It loads no texts (locale_Choose
 * does).  current; -1 for a null locale. */
KKIMPORT int     KKAPI locale_Ask(Locale *locale, HWND owner);
/* The texts and tooltips of section index (one outside 0 to
 * numCountries - 1 asks the user first, locale_Ask without owner).
 * Identifiers the section lacks keep what an earlier choice gave them.
 * The index chosen; -1 for a null locale or when no section could be
 * chosen (nothing changes then). */
KKIMPORT int     KKAPI locale_Choose(Locale *locale, int index);
/* The text (tooltip) of identifier 0 to 999 in the chosen section; null
 * for a null locale, another identifier or one without text. */
KKIMPORT const char *KKAPI locale_GetString(const Locale *locale, int id);
KKIMPORT const char *KKAPI locale_GetTooltip(const Locale *locale, int id);
/* Relabels a dialog run by the library: each control of the table whose
 * string has a text gets it as its label (gad_SetText); with tooltips,
 * each whose string has a tooltip gets that tooltip (a second call
 * replaces it), and the tooltips are switched on.  The TTM_ACTIVATE
 * answer with tooltips, else 0; 0 and nothing done for a null locale or
 * a dialog the library does not run. */
KKIMPORT INT_PTR KKAPI locale_Set(const Locale *locale, HWND hDlg,
                                  const LocalePair *table, BOOL tooltips);

/* ---- end of locale string tables ---- */

/* ---- Requesters --------------------------------------------------------
 * The library's own message boxes: markup text, drawn title bar and
 * texture.  The text is split into lines at LF; a line that begins with
 * REQ_BOLD is bold, and after that one that goes on with REQ_COLOR and
 * six hex digits, a COLORREF as written in C without its 0x (0000ff
 * red, 00ff00 green, ff0000 blue), has that colour (else white).  Lines
 * are centred; at most 255 characters of each are shown.  The box is
 * centred over its owner (over the screen for none), kept on the screen,
 * and dragged by its title bar; Enter is its first button, Escape its
 * second, also when only one shows. */
#define REQ_BOLD   "\b"
#define REQ_COLOR  "\t"

/* 1 closed by OK (or Enter), 0 by Escape; -1 when the box cannot be
 * made. */
KKIMPORT INT_PTR KKAPI req_Info(HWND owner, const char *title,
                                const char *text);
/* 1 Yes, 0 No (or Escape); -1 as above. */
KKIMPORT INT_PTR KKAPI req_YesNo(HWND owner, const char *title,
                                 const char *text);
/* 1 OK, 0 Cancel (or Escape); -1 as above. */
KKIMPORT INT_PTR KKAPI req_OkCancel(HWND owner, const char *title,
                                    const char *text);
/* The button words of every later requester become the locale's strings
 * 10 (OK), 11 (Cancel), 12 (Yes) and 13 (No), each cut to 127
 * characters; a word the locale has no text for stays as it was ("OK",
 * "Cancel", "Yes", "No" at first).  Null changes nothing. */
KKIMPORT void    KKAPI req_SetLocale(const Locale *locale);

/* ---- end of requesters ---- */

/* ---- Hex and decimal parsing -------------------------------------------
 * Numbers read from hex and decimal text.  Hex digits are 0-9, a-f and
 * A-F; a fixed-width field is read most significant digit first.  None of
 * these reads past the first character that is not a digit, so a text
 * shorter than its field fails instead of running on; a null text is no
 * digit. */

/* TRUE when the first count characters are all hex digits (a count of 0
 * or less: TRUE for any text, even a null one). */
KKIMPORT BOOL     KKAPI hex_Valid(const char *text, int count);
/* TRUE and *result the value of the first 2, 4 or 8 digits, whatever
 * follows them; FALSE, *result untouched, when they are not all digits.
 * A null result only validates. */
KKIMPORT BOOL     KKAPI hex_Get2(const char *text, uint8_t *result);
KKIMPORT BOOL     KKAPI hex_Get4(const char *text, uint16_t *result);
KKIMPORT BOOL     KKAPI hex_Get8(const char *text, uint32_t *result);
/* The decimal digits at the very start (no blanks, no sign), up to the
 * first non-digit, in 32-bit arithmetic that wraps modulo 2^32; 0 when
 * the text does not start with a digit. */
KKIMPORT uint32_t KKAPI dec_GetU(const char *text);
/* An optional "+" or "-", then dec_GetU's digits; negated (two's
 * complement) after a "-".  A second sign is no digit: 0. */
KKIMPORT int32_t  KKAPI dec_GetI(const char *text);

/* ---- end of hex and decimal parsing ---- */

/* ---- String and struct conversion --------------------------------------
 * Code-page conversion tables, and structures stored as hex text. */

/* Modes of s_MakeConvTable: the Polish letters between Windows code page
 * 1250 and ISO 8859-2, or down to their ASCII base letters. */
#define S_CONV_NONE         0   /* identity (and every mode above 3) */
#define S_CONV_1250TOISO    1   /* the six letters whose codes differ:
                                   a, s, z with their marks, both cases */
#define S_CONV_ISOTO1250    2   /* the same six back */
#define S_CONV_1250TOASCII  3   /* all eighteen to a, A, ... z, Z */

/* table (256 bytes, the caller's) becomes entry c = c with the mode's
 * entries changed; the table, or null for a null table. */
KKIMPORT uint8_t *KKAPI s_MakeConvTable(uint8_t *table, int mode);
/* Every byte of the zero-terminated text, in place, becomes its table
 * entry; a null table or text does nothing. */
KKIMPORT void     KKAPI s_Convert(const uint8_t *table, char *text);
/* The structure's size / 4 32-bit words, in memory order, as eight
 * lower-case hex digits each, then a zero: out needs 8 * (size / 4) + 1
 * characters.  The last size % 4 bytes are not written; a size below 4
 * (or a null structure) gives an empty text.  A null out does nothing. */
KKIMPORT void     KKAPI s_Struct2String(const void *data, int size,
                                        char *out);
/* The reverse: word i from the eight digits at text + 8 * i (either
 * case), until size / 4 words are stored; digits after them are ignored.
 * TRUE when they all were, or at once for a size below 4; FALSE at the
 * first group that is not eight digits, the words before it stored. */
KKIMPORT BOOL     KKAPI s_String2Struct(const char *text, void *data,
                                        int size);

/* ---- end of string and struct conversion ---- */

/* ---- Preferences -------------------------------------------------------
 * Settings in INI files through the system's profile calls.  The file
 * name is made a full path first (GetFullPathName), so a plain name is a
 * file in the current folder at the time of the call, not in the Windows
 * folder.  A null file, section or key (or list) makes every function do
 * nothing; the readers then give 0 or FALSE.  A name whose full path does
 * not fit MAX_PATH is a file that cannot be read or written: the readers
 * answer as for a missing key and nothing is written.  A missing file
 * reads as if every key were missing; the first write creates it.  Write
 * failures are not reported. */

/* A string read with this default that comes back as it counts as
 * missing; a value of exactly "default" therefore reads as missing. */
#define PREFS_MISSING      "default"
/* prefs_SetStruct and prefs_GetStruct take structures up to 127 words:
 * their hex text and its terminator fill at most 1017 characters of the
 * 1024 that a value is read into. */
#define PREFS_STRUCT_MAX   508

/* One row of an integer list: the key and the integer that is its value.
 * A list ends with a row whose key is null; a row with a null value
 * pointer is skipped. */
typedef struct PrefsInt {
    const char *key;
    int32_t    *value;
} PrefsInt;

/* TRUE when the key exists with a value other than PREFS_MISSING: buffer
 * (size characters, terminator included) holds it, cut to fit.  Else
 * FALSE and an empty buffer.  A null buffer or a size below 1: FALSE and
 * nothing written. */
KKIMPORT BOOL KKAPI prefs_GetString(const char *file, const char *section,
                                    const char *key, char *buffer, int size);
/* Writes value; a null value removes the key. */
KKIMPORT void KKAPI prefs_SetString(const char *file, const char *section,
                                    const char *key, const char *value);
/* The key's integer (GetPrivateProfileInt: leading digits, a sign
 * allowed), or def when the key is missing. */
KKIMPORT int  KKAPI prefs_GetInt(const char *file, const char *section,
                                 const char *key, int def);
/* Writes "%d" of value. */
KKIMPORT void KKAPI prefs_SetInt(const char *file, const char *section,
                                 const char *key, int32_t value);
KKIMPORT void KKAPI prefs_DelKey(const char *file, const char *section,
                                 const char *key);
/* Each listed integer, in list order, becomes its key's value, with its
 * own value as the default: a missing key leaves it as it was. */
KKIMPORT void KKAPI prefs_GetInts(const char *file, const char *section,
                                  const PrefsInt *list);
/* Writes each listed integer under its key as "%d", in list order. */
KKIMPORT void KKAPI prefs_SetInts(const char *file, const char *section,
                                  const PrefsInt *list);
/* Writes the structure's size / 4 words as one hex text (s_Struct2String:
 * size 6 stores one word).  A structure larger than PREFS_STRUCT_MAX, a
 * negative size or a null structure is refused: nothing is written and
 * the key keeps its value. */
KKIMPORT void KKAPI prefs_SetStruct(const char *file, const char *section,
                                    const char *key, const void *data,
                                    int size);
/* Fills the structure from its hex text (s_String2Struct): TRUE when all
 * size / 4 words were read (or size < 4 and the key exists).  FALSE when
 * the key is missing or PREFS_MISSING, and for a size that
 * prefs_SetStruct refuses, the structure untouched; FALSE too at the first word
 * that is not eight hex digits, the words before it stored. */
KKIMPORT BOOL KKAPI prefs_GetStruct(const char *file, const char *section,
                                    const char *key, void *data, int size);

/* ---- end of preferences ---- */

/* ---- BMP files and list filling ----------------------------------------
 * Bitmaps loaded from and saved to BMP files; combo and list boxes
 * filled from string lists. */

/* A new bitmap compatible with the screen, the caller's to delete, made
 * of the BMP file's pixels; its size through the non-null width and
 * height.  Null for a file that cannot be read or is no sound BMP
 * (uncompressed or with colour masks, 1 to 32 bits, rows bottom up,
 * colour table of 256 entries at most, at most 2^24 pixels); width and
 * height are then left as they were. */
KKIMPORT HBITMAP KKAPI kk_LoadBitmap(const char *fileName, int *width,
                                     int *height);
/* The bitmap written as an uncompressed BMP file (replaced if it exists)
 * of 1, 4, 8, 16, 24 or 32 bits, whichever first holds the bitmap's
 * planes x bits per pixel; a colour table up to 8 bits.  A failure leaves
 * no file behind. */
KKIMPORT void    KKAPI kk_SaveBitmap(const char *fileName, HBITMAP hBmp);
/* Each text of list (texts one after another, each NUL-terminated, ended
 * by an empty one: two NULs in all, one for an empty list; null is
 * empty) added to the dialog's combo box id (CB_ADDSTRING), resp. list
 * box (LB_ADDSTRING), in order. */
KKIMPORT void    KKAPI dlg_FillCombo(HWND hDlg, int id, const char *list);
KKIMPORT void    KKAPI dlg_FillListbox(HWND hDlg, int id, const char *list);

/* ---- end of bmp files and list filling ---- */

#ifdef __cplusplus
}
#endif

#endif
