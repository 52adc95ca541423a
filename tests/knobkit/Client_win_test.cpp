/* Client_win_test.cpp -- a client linked against knobkit's import library:
 * the imports resolve to the DLL's exports and work through them. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <vector>

TEST(KnobkitClient, ImportsAreTheExports)
{
    HMODULE dll = GetModuleHandleA("knobkit.dll");
    ASSERT_TRUE(dll != NULL) << "loaded with the program";
    /* The addresses are taken at run time, through the import table: a
     * table initialised at compile time would hold the import thunks. */
    struct Row { const char *name; void *import; };
    std::vector<Row> rows;
#define ROW(f) rows.push_back(Row{#f, (void *)f})
    ROW(dlg_GetDefObject); ROW(dlg_CalcFontHeight);
    ROW(dlg_CreateFont); ROW(dlg_DoDialog);
    ROW(dlg_CreateDialog); ROW(dlg_DoDialogIndirect);
    ROW(dlg_CreateDialogIndirect); ROW(dlg_SetFont);
    ROW(dlg_Enable); ROW(dlg_SetDlgItemHex);
    ROW(dlg_TrackPopupMenu); ROW(gad_GetGadget);
    ROW(gad_GetWindow); ROW(gad_GetWindowID);
    ROW(gad_SetColor); ROW(gad_SetText);
    ROW(gad_SetTextProc); ROW(gad_SetCursor);
    ROW(gad_ModifyFlags); ROW(gad_Enable);
    ROW(gad_EnableItem); ROW(gad_Redraw);
    ROW(gad_RedrawItem); ROW(gad_Free);
    ROW(dlg_ModifyFlags); ROW(dlg_EnableDrag);
    ROW(dlg_EnableCursor); ROW(dlg_SetSkin);
    ROW(ibtn_Create); ROW(ibtn_SetState); ROW(ibtn_GetState);
    ROW(static_GetState);
    ROW(slider_Create); ROW(slider_Modify); ROW(slider_SetPos);
    ROW(slider_GetPos); ROW(pb_GetPos); ROW(slider_SetKnobSize);
    ROW(slider_GetKnobSize); ROW(slider_SetPercent); ROW(slider_GetPercent);
    ROW(wheel_GetPercent);
    ROW(wheel_Create); ROW(wheel_Modify); ROW(wheel_GetPos);
    ROW(wheel_SetPos); ROW(wheel_SetPercent);
    ROW(sizer_Create); ROW(sizer_SetPos); ROW(sizer_GetPos);
    ROW(sizer_CalcKnobRect); ROW(sizer_SetMinMax);
#undef ROW

    for (const auto &r : rows)
        EXPECT_EQ((void *)GetProcAddress(dll, r.name), r.import) << "import " << r.name;
    /* A second name is the same function. */
    static const char *const aliases[][2] = {
        {"static_GetState", "ibtn_GetState"},
        {"pb_GetPos", "slider_GetPos"},
        {"wheel_GetPercent", "slider_GetPercent"},
    };
    for (const auto &a : aliases)
        EXPECT_EQ((void *)GetProcAddress(dll, a[0]),
                  (void *)GetProcAddress(dll, a[1]))
            << "alias " << a[0] << " = " << a[1];
    LOGBRUSH lb;
    ASSERT_EQ((int)sizeof lb, GetObjectA(dlg_GetDefObject(DEF_BRUSHFACE), sizeof lb, &lb));
    EXPECT_EQ(RGB(214, 211, 206), lb.lbColor);
    HFONT f = dlg_CreateFont(KK_CHARSET_GREEK);
    LOGFONTA lf;
    ASSERT_EQ((int)sizeof lf, GetObjectA(f, sizeof lf, &lf));
    EXPECT_EQ(GREEK_CHARSET, lf.lfCharSet);
    DeleteObject(f);
}
