/* Dll.cpp -- the library's entry point and what every dialog of the
 * process shares: the module handle, OLE and the common controls, and the
 * fourteen default fonts, brushes and cursors.  Also the screen-dependent
 * font helpers, which the default fonts are made with.
 *
 * The default objects are made once at load, before any client call, and
 * only read afterwards.  One that cannot be made stays null and loading
 * goes on: a null font falls back to the system font, a null brush paints
 * nothing, a null cursor leaves the cursor alone.
 */
#include "kk_int.h"
#include "ident.h"

#include <commctrl.h>
#include <ole2.h>
#include <string.h>

MODULE_IDENT("knobkit/Dll.cpp");

static HINSTANCE Module;
static HGDIOBJ   DefObjects[DEF_COUNT];

HINSTANCE kk_Module(void) { return Module; }

static int screen_LogPixelsY(void)
{
    HDC dc = GetDC(NULL);
    int d = dc ? GetDeviceCaps(dc, LOGPIXELSY) : 96;
    if (dc)
        ReleaseDC(NULL, dc);
    return d;
}

extern "C" int KKAPI dlg_CalcFontHeight(int points)
{
    /* dots per inch times points in integers first, then 1/72 and
     * rounding in floating point: 8 points at 96 dpi give -11. */
    int product = screen_LogPixelsY() * points;
    return -(int)(product * 0.013888889 + 0.5);
}

int dlg_ScreenScale(void)
{
    return (int)(screen_LogPixelsY() * 1.3888888 + 0.5);
}

/* Does the system have a font family of this face? */
static int CALLBACK face_Found(const LOGFONTA *, const TEXTMETRICA *, DWORD,
                               LPARAM found)
{
    *(int *)found = 1;
    return 0;
}

static int face_Exists(const char *face)
{
    int found = 0;
    HDC dc = GetDC(NULL);
    if (!dc)
        return 1;   /* cannot tell: let CreateFont decide */
    LOGFONTA lf;
    memset(&lf, 0, sizeof lf);
    lf.lfCharSet = DEFAULT_CHARSET;
    strcpy(lf.lfFaceName, face);
    EnumFontFamiliesExA(dc, &lf, face_Found, (LPARAM)&found, 0);
    ReleaseDC(NULL, dc);
    return found;
}

/* Tahoma, or Arial where Tahoma is missing or cannot be made.  CreateFont
 * itself rarely fails for an unknown face (the mapper picks another), so
 * the face is looked up first. */
static HFONT font_Make(int height, int weight, int charset, int pitch)
{
    static const char *const faces[2] = {"Tahoma", "Arial"};
    for (int i = face_Exists(faces[0]) ? 0 : 1; i < 2; i++) {
        HFONT f = CreateFontA(height, 0, 0, 0, weight, FALSE, FALSE, FALSE,
                              (DWORD)charset, OUT_DEFAULT_PRECIS,
                              CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY,
                              (DWORD)(pitch | FF_SWISS), faces[i]);
        if (f)
            return f;
    }
    return NULL;
}

extern "C" HFONT KKAPI dlg_CreateFont(int index)
{
    static const unsigned char charsets[KK_CHARSET_COUNT] = {
        ANSI_CHARSET, EASTEUROPE_CHARSET, BALTIC_CHARSET, GREEK_CHARSET,
        RUSSIAN_CHARSET, TURKISH_CHARSET, ARABIC_CHARSET, HEBREW_CHARSET};
    if (index < 0 || index >= KK_CHARSET_COUNT)
        return NULL;
    return font_Make(13, FW_NORMAL, charsets[index], VARIABLE_PITCH);
}

extern "C" HGDIOBJ KKAPI dlg_GetDefObject(int index)
{
    if (index < 0 || index >= DEF_COUNT)
        return NULL;
    return DefObjects[index];
}

/* A pattern brush from eight rows of eight pixels, one bit each (bit 7 the
 * left pixel, 1 white); monochrome bitmap rows are padded to 16 bits. */
static HGDIOBJ brush_Pattern(const unsigned char rows[8])
{
    WORD bits[8];
    for (int i = 0; i < 8; i++)
        bits[i] = rows[i];
    HBITMAP bmp = CreateBitmap(8, 8, 1, 1, bits);
    if (!bmp)
        return NULL;
    HBRUSH brush = CreatePatternBrush(bmp);
    DeleteObject(bmp);
    return brush;
}

static HGDIOBJ font_GuiBold(void)
{
    LOGFONTA lf;
    HGDIOBJ gui = GetStockObject(DEFAULT_GUI_FONT);
    if (!gui || GetObjectA(gui, sizeof lf, &lf) != (int)sizeof lf)
        return NULL;
    lf.lfWeight = FW_BOLD;
    return CreateFontIndirectA(&lf);
}

static HGDIOBJ cursor_Load(int id)
{
    return LoadCursorA(Module, MAKEINTRESOURCEA(id));
}

static void defobj_Make(void)
{
    static const unsigned char dither[8] = {0x55, 0xAA, 0x55, 0xAA,
                                            0x55, 0xAA, 0x55, 0xAA};
    static const unsigned char hlines[8] = {0x00, 0x00, 0xFF, 0xFF,
                                            0x00, 0x00, 0xFF, 0xFF};
    static const unsigned char vlines[8] = {0x33, 0x33, 0x33, 0x33,
                                            0x33, 0x33, 0x33, 0x33};
    memset(DefObjects, 0, sizeof DefObjects);
    int height8 = dlg_CalcFontHeight(8);
    DefObjects[DEF_FONT]       = font_Make(height8, FW_NORMAL, DEFAULT_CHARSET, DEFAULT_PITCH);
    DefObjects[DEF_FONTBOLD]   = font_Make(height8, FW_BOLD, DEFAULT_CHARSET, DEFAULT_PITCH);
    DefObjects[DEF_FONT13]     = font_Make(13, FW_NORMAL, DEFAULT_CHARSET, DEFAULT_PITCH);
    DefObjects[DEF_FONT13BOLD] = font_Make(13, FW_BOLD, DEFAULT_CHARSET, DEFAULT_PITCH);
    DefObjects[DEF_BRUSHFACE]  = CreateSolidBrush(RGB(214, 211, 206));
    DefObjects[DEF_GUIFONTBOLD] = font_GuiBold();
    DefObjects[DEF_BRUSHDITHER] = brush_Pattern(dither);
    DefObjects[DEF_BRUSHHLINES] = brush_Pattern(hlines);
    DefObjects[DEF_BRUSHVLINES] = brush_Pattern(vlines);
    DefObjects[DEF_CURSORPOINT]     = cursor_Load(KK_IDC_POINT);
    DefObjects[DEF_CURSORPOINTDOWN] = cursor_Load(KK_IDC_POINTDOWN);
    DefObjects[DEF_CURSORHAND]      = cursor_Load(KK_IDC_HAND);
    DefObjects[DEF_CURSORGRAB]      = cursor_Load(KK_IDC_GRAB);
    DefObjects[DEF_CURSORTURN]      = cursor_Load(KK_IDC_TURN);
}

/* Fonts and brushes; cursors loaded from resources need no release. */
static void defobj_Free(void)
{
    for (int i = 0; i < DEF_CURSORPOINT; i++)
        if (DefObjects[i])
            DeleteObject(DefObjects[i]);
    for (int i = DEF_FONT13; i < DEF_COUNT; i++)
        if (DefObjects[i])
            DeleteObject(DefObjects[i]);
    memset(DefObjects, 0, sizeof DefObjects);
}

extern "C" BOOL WINAPI DllMain(HINSTANCE hInst, DWORD reason, LPVOID)
{
    if (reason == DLL_PROCESS_ATTACH) {
        Module = hInst;
        DisableThreadLibraryCalls(hInst);
        OleInitialize(NULL);
        InitCommonControls();
        defobj_Make();
    } else if (reason == DLL_PROCESS_DETACH) {
        defobj_Free();
        OleUninitialize();
    }
    return TRUE;
}
