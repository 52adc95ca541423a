/* Requester_win_test.cpp -- the requesters under Wine, each run on a
 * thread of its own (kk_modal.h) and read from outside as a user meets
 * it: the places and sizes of its controls against the rules they are
 * computed by (from the text and the words measured here in the same
 * fonts), its placement over the owner and on the screen, what its text
 * area, title bar and background paint (read back pixel by pixel), its
 * answers to the real keyboard and mouse, dragging by the title bar, and
 * the button words a locale gives. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

#include "kk_modal.h"
#include "kk_test.h"

namespace {

enum { IDC_TITLEBAR = 1000, IDC_TEXTAREA = 1001 };
enum Kind { INFO, YESNO, OKCANCEL };

INT_PTR req_Run(Kind kind, HWND owner, const char *title, const char *text)
{
    switch (kind) {
    case INFO: return req_Info(owner, title, text);
    case YESNO: return req_YesNo(owner, title, text);
    case OKCANCEL: return req_OkCancel(owner, title, text);
    }
    return -3;
}

/* The box's thread runs the requester over an owner of its own at rect
 * (none for an empty rect). */
struct Requester : Modal {
    HWND owner;   /* set by the box's thread, which may start first */
    Requester(Kind kind, std::string title, std::string text,
              RECT ownerRect = RECT{0, 0, 0, 0})
        : Modal([this, kind, title, text, ownerRect] {
              owner = NULL;
              if (ownerRect.right > ownerRect.left)
                  owner = CreateWindowExA(
                      0, "STATIC", "owner", WS_POPUP | WS_VISIBLE,
                      ownerRect.left, ownerRect.top,
                      ownerRect.right - ownerRect.left,
                      ownerRect.bottom - ownerRect.top, NULL, NULL, NULL, NULL);
              INT_PTR r = req_Run(kind, owner, title.c_str(), text.c_str());
              if (owner)
                  DestroyWindow(owner);
              return r;
          })
    {
    }
};

SIZE text_Size(HDC dc, const char *s, int n)
{
    SIZE sz = {0, 0};
    GetTextExtentPoint32A(dc, s, n, &sz);
    return sz;
}

/* One line of the markup as the rules read it. */
struct Line {
    std::string text;
    bool bold = false;
    COLORREF colour = RGB(255, 255, 255);
};

std::vector<Line> markup_Lines(const std::string &text)
{
    std::vector<Line> v;
    size_t p = 0;
    while (p < text.size()) {
        size_t e = text.find('\n', p);
        std::string s = text.substr(p, e == std::string::npos ? e : e - p);
        Line l;
        if (!s.empty() && s[0] == '\b')
            l.bold = true, s.erase(0, 1);
        if (s.size() >= 7 && s[0] == '\t' &&
            strspn(s.c_str() + 1, "0123456789abcdefABCDEF") >= 6) {
            l.colour = (COLORREF)strtoul(s.substr(1, 6).c_str(), NULL, 16);
            s.erase(0, 7);
        }
        l.text = s.substr(0, 255);
        v.push_back(l);
        if (e == std::string::npos)
            break;
        p = e + 1;
    }
    return v;
}

HFONT font_Of(bool bold)
{
    return (HFONT)dlg_GetDefObject(bold ? DEF_FONT13BOLD : DEF_FONT13);
}

/* Each line's size: its extent, +2 high; an empty one the font's height
 * + 2. */
std::vector<SIZE> line_Sizes(HDC dc, const std::vector<Line> &lines)
{
    std::vector<SIZE> v;
    for (const Line &l : lines) {
        HGDIOBJ old = SelectObject(dc, font_Of(l.bold));
        SIZE sz = text_Size(dc, l.text.c_str(), (int)l.text.size());
        if (l.text.empty()) {
            TEXTMETRICA tm;
            GetTextMetricsA(dc, &tm);
            sz.cy = tm.tmHeight;
        }
        sz.cy += 2;
        v.push_back(sz);
        SelectObject(dc, old);
    }
    return v;
}

SIZE block_Size(const std::string &text)
{
    HDC dc = GetDC(NULL);
    SIZE block = {0, 0};
    for (SIZE s : line_Sizes(dc, markup_Lines(text))) {
        block.cx = s.cx > block.cx ? s.cx : block.cx;
        block.cy += s.cy;
    }
    ReleaseDC(NULL, dc);
    return block;
}

SIZE word_Size(const char *word)
{
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, font_Of(false));
    SIZE sz = text_Size(dc, word, lstrlenA(word));
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    return sz;
}

/* A control's window rectangle in the box's client coordinates. */
RECT ctl_Rect(HWND box, int id)
{
    RECT r;
    GetWindowRect(GetDlgItem(box, id), &r);
    MapWindowPoints(NULL, box, (POINT *)&r, 2);
    return r;
}

std::string rect_Show(RECT r)
{
    char s[64];
    wsprintfA(s, "(%d, %d) %d x %d", r.left, r.top, r.right - r.left,
              r.bottom - r.top);
    return s;
}

RECT rect_Make(int x, int y, int w, int h)
{
    return RECT{x, y, x + w, y + h};
}

/* The layout the rules give for a text and the words of the buttons
 * (second null: one button): client, title bar, text area, buttons. */
std::vector<std::string> layout_Want(const std::string &text,
                                     const char *first, const char *second)
{
    SIZE t = block_Size(text), a = word_Size(first);
    SIZE b = second ? word_Size(second) : a;
    int textW = t.cx + 64, textH = t.cy + 32;
    int bw = (a.cx > b.cx ? a.cx : b.cx) + 64;
    int bh = (a.cy > b.cy ? a.cy : b.cy) + 20;
    int row = second ? 2 * bw + 16 : bw;
    int contentW = textW > row + 16 ? textW : row + 16;
    int width = contentW + 32, height = bh + textH + 56;
    int x = (width - row) / 2;
    std::vector<std::string> v = {
        "client " + rect_Show(rect_Make(0, 0, width, height)),
        "title bar " + rect_Show(rect_Make(0, 0, width, 24)),
        "text area " + rect_Show(rect_Make(16, 40, contentW, textH)),
        std::string("first ") + first + " " +
            rect_Show(rect_Make(x, textH + 48, bw, bh)),
    };
    if (second)
        v.push_back(std::string("second ") + second + " " +
                    rect_Show(rect_Make(x + bw + 16, textH + 48, bw, bh)));
    return v;
}

std::vector<std::string> layout_Got(HWND box)
{
    RECT c;
    GetClientRect(box, &c);
    char first[160] = "", second[160] = "";
    GetDlgItemTextA(box, IDOK, first, sizeof first);
    GetDlgItemTextA(box, IDCANCEL, second, sizeof second);
    std::vector<std::string> v = {
        "client " + rect_Show(c),
        "title bar " + rect_Show(ctl_Rect(box, IDC_TITLEBAR)),
        "text area " + rect_Show(ctl_Rect(box, IDC_TEXTAREA)),
        std::string("first ") + first + " " + rect_Show(ctl_Rect(box, IDOK)),
    };
    if (IsWindowVisible(GetDlgItem(box, IDCANCEL)))
        v.push_back(std::string("second ") + second + " " +
                    rect_Show(ctl_Rect(box, IDCANCEL)));
    return v;
}

/* The button words as a locale of strings 10 to 13 gives them. */
void words_Set(const char *ok, const char *cancel, const char *yes,
               const char *no)
{
    char path[MAX_PATH], dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    GetTempFileNameA(dir, "kkw", 0, path);
    std::string text = "// the requesters' words\r\n"
                       "// padded to eighty bytes at least . . . . . . . . .\r\n"
                       "[Words]\r\n";
    const char *w[4] = {ok, cancel, yes, no};
    for (int i = 0; i < 4; i++)
        if (w[i])
            text += "0" + std::to_string(10 + i) + " " + w[i] + "\r\n";
    HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD n;
    WriteFile(f, text.data(), (DWORD)text.size(), &n, NULL);
    CloseHandle(f);
    Locale *l = locale_Load(path);
    locale_Choose(l, 0);
    req_SetLocale(l);
    locale_Free(l);
    DeleteFileA(path);
}

/* The words back as they were. */
struct DefaultWords {
    ~DefaultWords() { words_Set("OK", "Cancel", "Yes", "No"); }
};

}  // namespace

/* ---- Sizes and places ---- */

/* Each control where the rules put it, for texts and kinds by row; the
 * text area of an empty text is 64 x 32, an empty middle line is as tall
 * as the font + 2, a long line is cut at 255 characters. */
TEST(KnobkitRequesterLayout, SizesByTheRules)
{
    std::string longLine(300, 'i');
    struct Row { const char *name; Kind kind; std::string text; };
    const Row rows[] = {
        {"info, empty text", INFO, ""},
        {"info, one word", INFO, "Hello"},
        {"yes/no, an empty line between two", YESNO, "One\n\nThree"},
        {"ok/cancel, bold and coloured lines", OKCANCEL,
         "Plain\n\bBold line\n\t0000ffRed\n\b\t00ff00Bold green"},
        {"info, a line of 300 characters", INFO, longLine},
        {"yes/no, a final line feed", YESNO, "Line\n"},
    };
    for (const Row &r : rows) {
        Requester q(r.kind, "Title", r.text);
        HWND box = q.box();
        ASSERT_TRUE(box != NULL) << "row " << r.name;
        const char *first = r.kind == YESNO ? "Yes" : "OK";
        const char *second = r.kind == YESNO      ? "No"
                             : r.kind == OKCANCEL ? "Cancel"
                                                  : NULL;
        EXPECT_LINES(layout_Got(box), layout_Want(r.text, first, second),
                     r.name);
        EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
        EXPECT_TRUE(q.done()) << "row " << r.name;
    }
    /* The figures the rules give, without measuring: an empty text
     * measures 64 x 32, and the OK button (its word + 64 wide) with 16
     * more is wider, so the text area takes that width and the box 32
     * more. */
    Requester q(INFO, "", "");
    HWND box = q.box();
    ASSERT_TRUE(box != NULL);
    RECT t = ctl_Rect(box, IDC_TEXTAREA), c, ok = ctl_Rect(box, IDOK);
    GetClientRect(box, &c);
    int bw = ok.right - ok.left;
    EXPECT_EQ(word_Size("OK").cx + 64, bw);
    EXPECT_EQ(rect_Show(rect_Make(16, 40, bw + 16, 32)), rect_Show(t));
    EXPECT_EQ(bw + 16 + 32, c.right);
    EXPECT_EQ(32 + 48, ok.top);
    EXPECT_FALSE(IsWindowVisible(GetDlgItem(box, IDCANCEL)));
    EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
    EXPECT_TRUE(q.done());
}

/* Two long button words grow both buttons to the longer word + 64; a
 * locale without strings 10 to 13 keeps the words; a word is cut to 127
 * characters; a null locale changes nothing. */
TEST(KnobkitRequesterLayout, ButtonWordsFromALocale)
{
    DefaultWords restore;
    const char *longer = "Continue with the whole installation";
    words_Set("Continue installing", NULL, NULL, NULL);
    words_Set(NULL, longer, NULL, NULL);   /* OK stays */
    words_Set(NULL, NULL, NULL, NULL);     /* nothing changes */
    req_SetLocale(NULL);
    {
        Requester q(OKCANCEL, "Install", "Go on?");
        HWND box = q.box();
        ASSERT_TRUE(box != NULL);
        EXPECT_LINES(layout_Got(box),
                     layout_Want("Go on?", "Continue installing", longer),
                     "two long words");
        RECT a = ctl_Rect(box, IDOK), b = ctl_Rect(box, IDCANCEL);
        EXPECT_EQ(word_Size(longer).cx + 64, a.right - a.left);
        EXPECT_EQ(a.right - a.left, b.right - b.left);
        EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
        EXPECT_TRUE(q.done());
    }
    std::string word200(200, 'y');
    words_Set(NULL, NULL, word200.c_str(), "Nein");
    Requester q(YESNO, "Ask", "Sure?");
    HWND box = q.box();
    ASSERT_TRUE(box != NULL);
    char yes[256] = "", no[32] = "";
    GetDlgItemTextA(box, IDOK, yes, sizeof yes);
    GetDlgItemTextA(box, IDCANCEL, no, sizeof no);
    EXPECT_EQ(std::string(127, 'y'), yes);
    EXPECT_STREQ("Nein", no);
    EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
    EXPECT_TRUE(q.done());
}

/* The box centred over its owner, or over the screen without one, and
 * moved fully onto the screen when the owner is partly off it. */
TEST(KnobkitRequesterLayout, PlacedOverTheOwnerOnTheScreen)
{
    int sw = GetSystemMetrics(SM_CXSCREEN), sh = GetSystemMetrics(SM_CYSCREEN);
    struct Row { const char *name; RECT owner; };
    const Row rows[] = {
        {"no owner: the screen", {0, 0, 0, 0}},
        {"an owner on the screen", {100, 80, 500, 380}},
        {"an owner off the top left", {-400, -300, 0, 0}},
        {"an owner off the bottom right", {sw - 60, sh - 40, sw + 340, sh + 260}},
        {"an owner off the left only", {-250, 100, 150, 400}},
    };
    for (const Row &r : rows) {
        Requester q(INFO, "Where", "Placed over its owner", r.owner);
        HWND box = q.box();
        ASSERT_TRUE(box != NULL) << "row " << r.name;
        RECT got;
        GetWindowRect(box, &got);
        int w = got.right - got.left, h = got.bottom - got.top;
        RECT o = r.owner.right > r.owner.left ? r.owner : RECT{0, 0, sw, sh};
        if (q.owner) {
            GetWindowRect(q.owner, &o);
            EXPECT_EQ(rect_Show(r.owner), rect_Show(o)) << "row " << r.name;
        }
        int x = (o.right - o.left) / 2 - w / 2 + o.left;
        int y = (o.bottom - o.top) / 2 - h / 2 + o.top;
        x = x + w > sw ? sw - w : x < 0 ? 0 : x;
        y = y + h > sh ? sh - h : y < 0 ? 0 : y;
        EXPECT_EQ(rect_Show(rect_Make(x, y, w, h)), rect_Show(got))
            << "row " << r.name;
        EXPECT_TRUE(got.left >= 0 && got.top >= 0 && got.right <= sw &&
                    got.bottom <= sh)
            << "row " << r.name;
        EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
        EXPECT_TRUE(q.done()) << "row " << r.name;
    }
}

/* ---- Painting ---- */

/* The text area: the shadow colour, and each line centred in its font and
 * colour, the block centred in the height; the bold line is drawn in the
 * bold font, the coloured ones in their colours.  Compared pixel by pixel
 * with the lines drawn here by the same rules. */
TEST(KnobkitRequesterPaint, BoldAndColouredLines)
{
    const std::string text =
        "Plain white\n\bBold white\n\n\t0000ffRed\n\b\t00ff00Bold green\n"
        "\tnot a colour";
    Requester q(YESNO, "Colours", text);
    HWND box = q.box();
    ASSERT_TRUE(box != NULL);
    HWND area = GetDlgItem(box, IDC_TEXTAREA);
    Canvas got(area);
    SendMessageA(area, WM_PRINTCLIENT, (WPARAM)got.dc, PRF_CLIENT);

    Canvas want(area, GetSysColor(COLOR_BTNSHADOW));
    std::vector<Line> lines = markup_Lines(text);
    std::vector<SIZE> sizes = line_Sizes(want.dc, lines);
    int th = 0;
    for (SIZE s : sizes)
        th += s.cy;
    SetBkMode(want.dc, TRANSPARENT);
    std::vector<RECT> bands;
    int y = want.h / 2 - th / 2;
    for (size_t i = 0; i < lines.size(); i++) {
        HGDIOBJ old = SelectObject(want.dc, font_Of(lines[i].bold));
        SetTextColor(want.dc, lines[i].colour);
        ExtTextOutA(want.dc, want.w / 2 - sizes[i].cx / 2, y, 0, NULL,
                    lines[i].text.c_str(), (UINT)lines[i].text.size(), NULL);
        SelectObject(want.dc, old);
        bands.push_back(RECT{0, y, want.w, y + sizes[i].cy});
        y += sizes[i].cy;
    }
    std::string first;
    EXPECT_EQ(0, got.mismatches([&](int x, int y) { return want.at(x, y); },
                                [](int, int) { return false; }, &first))
        << first;
    /* The colours themselves, line by line. */
    const COLORREF white = RGB(255, 255, 255), red = RGB(255, 0, 0),
                   green = RGB(0, 255, 0);
    EXPECT_GT(got.count(bands[0], white), 20);
    EXPECT_EQ(0, got.count(bands[0], red));
    EXPECT_GT(got.count(bands[3], red), 10);
    EXPECT_EQ(0, got.count(bands[3], white));
    EXPECT_GT(got.count(bands[4], green), 10);
    EXPECT_EQ(0, got.count(bands[2], white)) << "the empty line";
    /* "\tnot a colour": no mark, so the tab is text in white. */
    EXPECT_EQ("\tnot a colour", lines[5].text);
    EXPECT_GT(got.count(bands[5], white), 10);
    /* Bold: the same words are wider than in the normal font. */
    HDC dc = GetDC(NULL);
    HGDIOBJ old = SelectObject(dc, font_Of(false));
    SIZE normal = text_Size(dc, "Bold white", 10);
    SelectObject(dc, old);
    ReleaseDC(NULL, dc);
    EXPECT_GT(sizes[1].cx, normal.cx);
    EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
    EXPECT_TRUE(q.done());
}

/* The title bar: navy, the title in white in the bold font centred both
 * ways; the background: the library's texture tiled from the corner. */
TEST(KnobkitRequesterPaint, TitleBarAndTexture)
{
    Requester q(INFO, "A title", "Text");
    HWND box = q.box();
    ASSERT_TRUE(box != NULL);
    HWND bar = GetDlgItem(box, IDC_TITLEBAR);
    Canvas got(bar);
    SendMessageA(bar, WM_PRINTCLIENT, (WPARAM)got.dc, PRF_CLIENT);
    Canvas want(bar, RGB(0, 0, 128));
    HGDIOBJ old = SelectObject(want.dc, font_Of(true));
    SIZE sz = text_Size(want.dc, "A title", 7);
    SetTextColor(want.dc, RGB(255, 255, 255));
    SetBkColor(want.dc, RGB(0, 0, 128));
    RECT all = {0, 0, want.w, want.h};
    ExtTextOutA(want.dc, (want.w - sz.cx) / 2, (want.h - sz.cy) / 2,
                ETO_OPAQUE | ETO_CLIPPED, &all, "A title", 7, NULL);
    SelectObject(want.dc, old);
    std::string first;
    EXPECT_EQ(0, got.mismatches([&](int x, int y) { return want.at(x, y); },
                                [](int, int) { return false; }, &first))
        << first;
    EXPECT_GT(got.count(all, RGB(255, 255, 255)), 20);

    HBITMAP tex = LoadBitmapA(GetModuleHandleA("knobkit.dll"),
                              MAKEINTRESOURCEA(109));
    ASSERT_TRUE(tex != NULL);
    Canvas tile(151, 151);
    HDC mem = CreateCompatibleDC(tile.dc);
    HGDIOBJ o = SelectObject(mem, tex);
    BitBlt(tile.dc, 0, 0, 151, 151, mem, 0, 0, SRCCOPY);
    SelectObject(mem, o);
    DeleteDC(mem);
    DeleteObject(tex);
    Canvas back(box);
    EXPECT_TRUE(SendMessageA(box, WM_ERASEBKGND, (WPARAM)back.dc, 0));
    EXPECT_EQ(0, back.mismatches(
                     [&](int x, int y) { return tile.at(x % 151, y % 151); },
                     [](int, int) { return false; }, &first))
        << first;
    EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
    EXPECT_TRUE(q.done());
}

/* ---- Answers ---- */

/* The result of each way to close each kind: Enter and the first button
 * give 1, Escape and the second button 0, Escape even for req_Info. */
TEST(KnobkitRequesterAnswer, KeysAndButtons)
{
    enum How { ENTER, ESCAPE, FIRST, SECOND };
    struct Row { const char *name; Kind kind; How how; INT_PTR want; };
    const Row rows[] = {
        {"info, Enter", INFO, ENTER, 1},
        {"info, Escape", INFO, ESCAPE, 0},
        {"info, OK", INFO, FIRST, 1},
        {"yes/no, Yes", YESNO, FIRST, 1},
        {"yes/no, No", YESNO, SECOND, 0},
        {"yes/no, Escape", YESNO, ESCAPE, 0},
        {"ok/cancel, Enter", OKCANCEL, ENTER, 1},
        {"ok/cancel, Cancel", OKCANCEL, SECOND, 0},
    };
    for (const Row &r : rows) {
        Requester q(r.kind, "Answer", "Which?");
        HWND box = q.box();
        ASSERT_TRUE(box != NULL) << "row " << r.name;
        bool sent = r.how == ENTER    ? kk_Key(box, VK_RETURN)
                    : r.how == ESCAPE ? kk_Key(box, VK_ESCAPE)
                    : r.how == FIRST  ? kk_Click(GetDlgItem(box, IDOK))
                                      : kk_Click(GetDlgItem(box, IDCANCEL));
        EXPECT_TRUE(sent) << "row " << r.name;
        ASSERT_TRUE(q.done()) << "row " << r.name;
        EXPECT_EQ(r.want, q.result) << "row " << r.name;
    }
}

/* ---- Dragging ---- */

/* The real mouse pressed on the title bar and moved drags the box by
 * exactly the move; let go, it stays.  A press on the text area drags
 * nothing. */
TEST(KnobkitRequesterDrag, ByTheTitleBar)
{
    Requester q(INFO, "Drag me", "By the title bar");
    HWND box = q.box();
    ASSERT_TRUE(box != NULL);
    HWND bar = GetDlgItem(box, IDC_TITLEBAR), area = GetDlgItem(box, IDC_TEXTAREA);
    RECT before, after;
    GetWindowRect(box, &before);
    ASSERT_TRUE(uiw_Mouse(bar, 20, 10, UIW_DOWN, 0));
    /* Each step in the title bar's coordinates, which move with it. */
    for (int i = 0; i < 4; i++)
        ASSERT_TRUE(uiw_Mouse(bar, 20 + 10, 10 + 8, UIW_MOVE, 0)) << i;
    ASSERT_TRUE(uiw_Mouse(bar, 20, 10, UIW_UP, 0));
    GetWindowRect(box, &after);
    EXPECT_EQ(rect_Show(RECT{before.left + 40, before.top + 32,
                             before.right + 40, before.bottom + 32}),
              rect_Show(after));
    /* Moves with the button up move nothing now. */
    ASSERT_TRUE(uiw_Mouse(bar, 60, 12, UIW_MOVE, 0));
    RECT still;
    GetWindowRect(box, &still);
    EXPECT_EQ(rect_Show(after), rect_Show(still));
    /* The text area is no handle. */
    ASSERT_TRUE(uiw_Mouse(area, 10, 10, UIW_DOWN, 0));
    ASSERT_TRUE(uiw_Mouse(area, 40, 30, UIW_MOVE, 0));
    ASSERT_TRUE(uiw_Mouse(area, 40, 30, UIW_UP, 0));
    GetWindowRect(box, &still);
    EXPECT_EQ(rect_Show(after), rect_Show(still));
    EXPECT_TRUE(kk_Key(box, VK_ESCAPE));
    EXPECT_TRUE(q.done());
}
