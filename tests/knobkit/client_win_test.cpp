/* client_win_test.cpp -- a client linked against knobkit's import library:
 * the imports resolve to the DLL's exports and work through them. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

TEST(KnobkitClient, ImportsAreTheExports)
{
    HMODULE dll = GetModuleHandleA("knobkit.dll");
    ASSERT_TRUE(dll != NULL) << "loaded with the program";
    const struct { const char *name; void *import; } rows[] = {
        {"dlg_GetDefObject", (void *)dlg_GetDefObject},
        {"dlg_CalcFontHeight", (void *)dlg_CalcFontHeight},
        {"dlg_CreateFont", (void *)dlg_CreateFont},
        {"dlg_DoDialog", (void *)dlg_DoDialog},
        {"dlg_CreateDialog", (void *)dlg_CreateDialog},
        {"dlg_DoDialogIndirect", (void *)dlg_DoDialogIndirect},
        {"dlg_CreateDialogIndirect", (void *)dlg_CreateDialogIndirect},
        {"dlg_SetFont", (void *)dlg_SetFont},
        {"dlg_Enable", (void *)dlg_Enable},
        {"dlg_SetDlgItemHex", (void *)dlg_SetDlgItemHex},
        {"dlg_TrackPopupMenu", (void *)dlg_TrackPopupMenu},
        {"gad_GetGadget", (void *)gad_GetGadget},
        {"gad_GetWindow", (void *)gad_GetWindow},
        {"gad_GetWindowID", (void *)gad_GetWindowID},
        {"gad_SetColor", (void *)gad_SetColor},
        {"gad_SetText", (void *)gad_SetText},
        {"gad_SetTextProc", (void *)gad_SetTextProc},
        {"gad_SetCursor", (void *)gad_SetCursor},
        {"gad_ModifyFlags", (void *)gad_ModifyFlags},
        {"gad_Enable", (void *)gad_Enable},
        {"gad_EnableItem", (void *)gad_EnableItem},
        {"gad_Redraw", (void *)gad_Redraw},
        {"gad_RedrawItem", (void *)gad_RedrawItem},
        {"gad_Free", (void *)gad_Free},
        {"dlg_ModifyFlags", (void *)dlg_ModifyFlags},
        {"dlg_EnableDrag", (void *)dlg_EnableDrag},
        {"dlg_EnableCursor", (void *)dlg_EnableCursor},
        {"dlg_SetSkin", (void *)dlg_SetSkin},
    };
    for (const auto &r : rows)
        EXPECT_EQ((void *)GetProcAddress(dll, r.name), r.import) << "import " << r.name;
    LOGBRUSH lb;
    ASSERT_EQ((int)sizeof lb, GetObjectA(dlg_GetDefObject(DEF_BRUSHFACE), sizeof lb, &lb));
    EXPECT_EQ(RGB(214, 211, 206), lb.lbColor);
    HFONT f = dlg_CreateFont(KK_CHARSET_GREEK);
    LOGFONTA lf;
    ASSERT_EQ((int)sizeof lf, GetObjectA(f, sizeof lf, &lf));
    EXPECT_EQ(GREEK_CHARSET, lf.lfCharSet);
    DeleteObject(f);
}
