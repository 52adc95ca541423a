/* Locale_win_test.cpp -- locale files under Wine: real files written to
 * the temporary folder and loaded by name, the sections chosen and their
 * texts read, the language chooser (template 116) answered with the real
 * mouse and keyboard on a thread of its own, and a managed dialog
 * relabelled.  Hostile files (too many sections, short and odd lines,
 * LF-only ends, a file ending inside an entry, several MB) are loaded
 * like any other. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <limits.h>
#include <string.h>
#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "kk_gadget.h"
#include "kk_modal.h"

namespace {

/* A file of the given bytes in the temporary folder, deleted at the end. */
struct LocaleFile {
    char path[MAX_PATH] = "";
    explicit LocaleFile(const std::string &bytes)
    {
        char dir[MAX_PATH];
        GetTempPathA(MAX_PATH, dir);
        GetTempFileNameA(dir, "klc", 0, path);
        HANDLE f = CreateFileA(path, GENERIC_WRITE, 0, NULL, CREATE_ALWAYS,
                               FILE_ATTRIBUTE_NORMAL, NULL);
        DWORD n = 0;
        WriteFile(f, bytes.data(), (DWORD)bytes.size(), &n, NULL);
        CloseHandle(f);
    }
    ~LocaleFile() { DeleteFileA(path); }
    LocaleFile(const LocaleFile &) = delete;
    LocaleFile &operator=(const LocaleFile &) = delete;
};

/* Padding so that a file reaches the 80 bytes a locale needs. */
const std::string PAD = "// padding padding padding padding padding padding\r\n"
                        "// padding padding padding padding padding padding\r\n";

/* Three languages; identifiers 10 to 13 are the requesters' words. */
const std::string THREE =
    "// three languages\r\n"
    "[English]\r\n"
    "012 Open@Opens a file\r\n"
    "013 Close\r\n"
    "014 Two``lines and a`break\r\n"
    "[Deutsch]\r\n"
    "012 \xd6" "ffnen@\xd6" "ffnet eine Datei\r\n"
    "[Fran\xe7" "ais]\r\n"
    "012 Ouvrir\r\n"
    "015 Quitter\r\n";

std::string show(const char *s)
{
    if (!s)
        return "(null)";
    std::string r;
    for (; *s; s++)
        r += *s == '\r' ? std::string("<CR>")
             : *s == '\n' ? std::string("<LF>")
                          : std::string(1, *s);
    return r;
}

/* "012 Open @Opens a file" for every identifier with a text or tooltip. */
std::vector<std::string> entries(const Locale *l)
{
    std::vector<std::string> v;
    for (int id = 0; id < LOCALE_STRINGS; id++) {
        const char *s = locale_GetString(l, id), *t = locale_GetTooltip(l, id);
        if (!s && !t)
            continue;
        char n[8];
        wsprintfA(n, "%03d ", id);
        v.push_back(n + show(s) + (t ? " @" + show(t) : ""));
    }
    return v;
}

std::vector<std::string> names(const Locale *l)
{
    std::vector<std::string> v;
    for (int i = 0; i < locale_GetNumCountries(l); i++)
        v.push_back(l->countries[i]);
    return v;
}

/* What list box id shows, entry by entry, and its selection. */
std::vector<std::string> list_Lines(HWND dlg, int id, int *sel)
{
    std::vector<std::string> v;
    int n = (int)SendDlgItemMessageA(dlg, id, LB_GETCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        char s[128] = "";
        SendDlgItemMessageA(dlg, id, LB_GETTEXT, i, (LPARAM)s);
        v.push_back(s);
    }
    *sel = (int)SendDlgItemMessageA(dlg, id, LB_GETCURSEL, 0, 0);
    return v;
}

}  // namespace

/* ---- Loading ---- */

/* Which files are refused: too short by one byte even with a valid
 * section, no section, no such file, a folder, no name; the smallest
 * valid file loads with nothing chosen. */
TEST(KnobkitLocaleLoad, WhichFilesLoad)
{
    std::string valid = "[English]\r\n012 Open\r\n";
    std::string s80 = valid + std::string(80 - valid.size() - 2, '/') + "\r\n";
    ASSERT_EQ(80u, s80.size());
    std::string s79 = s80.substr(1);   /* "English]" is still a section */
    s79[0] = '[';
    struct Row { const char *name; std::string bytes; bool loads; };
    const Row rows[] = {
        {"80 bytes with a section", s80, true},
        {"79 bytes with a section", s79, false},
        {"no section", PAD + "012 Open\r\n", false},
        {"only comments", PAD, false},
        {"empty", "", false},
    };
    for (const Row &r : rows) {
        LocaleFile f(r.bytes);
        Locale *l = locale_Load(f.path);
        EXPECT_EQ(r.loads, l != NULL) << "row " << r.name;
        if (l) {
            EXPECT_EQ(1, l->numCountries) << "row " << r.name;
            EXPECT_EQ(-1, l->current) << "row " << r.name;
            EXPECT_EQ(80u, l->size) << "row " << r.name;
            EXPECT_EQ(0u, l->reserved) << "row " << r.name;
            EXPECT_TRUE(l->font == NULL) << "row " << r.name;
            EXPECT_TRUE(locale_GetString(l, 12) == NULL)
                << "row " << r.name << ": nothing chosen yet";
        }
        locale_Free(l);
    }
    char dir[MAX_PATH];
    GetTempPathA(MAX_PATH, dir);
    EXPECT_TRUE(locale_Load(dir) == NULL) << "a folder";
    EXPECT_TRUE(locale_Load("C:\\") == NULL) << "a drive's root";
    EXPECT_TRUE(locale_Load("C:\\no such folder\\lang.txt") == NULL);
    EXPECT_TRUE(locale_Load("") == NULL);
    EXPECT_TRUE(locale_Load(NULL) == NULL);
    std::string longName(300, 'a');
    EXPECT_TRUE(locale_Load(longName.c_str()) == NULL) << "over 260";
}

/* A relative name is taken from the current folder. */
TEST(KnobkitLocaleLoad, RelativeName)
{
    LocaleFile f(THREE);
    char cwd[MAX_PATH], dir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, cwd);
    lstrcpyA(dir, f.path);
    *strrchr(dir, '\\') = 0;
    SetCurrentDirectoryA(dir);
    Locale *l = locale_Load(strrchr(f.path, '\\') + 1);
    SetCurrentDirectoryA(cwd);
    ASSERT_TRUE(l != NULL);
    EXPECT_EQ(3, locale_GetNumCountries(l));
    locale_Free(l);
}

/* ---- Choosing and reading ---- */

/* The examples: 012 with its tooltip, 013 without, backquotes, section 1
 * chosen after section 0 keeping what it lacks, identifiers outside
 * 0-999. */
TEST(KnobkitLocaleChoose, TextsAndTooltips)
{
    LocaleFile f(THREE);
    Locale *l = locale_Load(f.path);
    ASSERT_TRUE(l != NULL);
    std::vector<std::string> want = {"English", "Deutsch", "Fran\xe7" "ais"};
    EXPECT_LINES(names(l), want, "names");

    EXPECT_EQ(0, locale_Choose(l, 0));
    EXPECT_EQ(0, l->current);
    want = {"012 Open @Opens a file", "013 Close",
            "014 Two<CR><LF>lines and a<LF>break"};
    EXPECT_LINES(entries(l), want, "section 0");

    EXPECT_EQ(1, locale_Choose(l, 1));
    want = {"012 \xd6" "ffnen @\xd6" "ffnet eine Datei", "013 Close",
            "014 Two<CR><LF>lines and a<LF>break"};
    EXPECT_LINES(entries(l), want, "section 1 after section 0");

    EXPECT_EQ(2, locale_Choose(l, 2));
    want = {"012 Ouvrir", "013 Close", "014 Two<CR><LF>lines and a<LF>break",
            "015 Quitter"};
    EXPECT_LINES(entries(l), want, "section 2 after 1: 012's tooltip gone");

    for (int id : {1000, -1, 100000, INT_MIN}) {
        EXPECT_TRUE(locale_GetString(l, id) == NULL) << "identifier " << id;
        EXPECT_TRUE(locale_GetTooltip(l, id) == NULL) << "identifier " << id;
    }
    EXPECT_TRUE(locale_GetString(l, 999) == NULL) << "no text";
    /* The texts point into the record's buffer. */
    const char *s = locale_GetString(l, 12);
    EXPECT_TRUE(s > l->text && s < l->text + l->size);
    locale_Free(l);
}

/* Every function takes a null locale. */
TEST(KnobkitLocaleChoose, NullLocale)
{
    EXPECT_EQ(0, locale_GetNumCountries(NULL));
    EXPECT_EQ(-1, locale_Choose(NULL, 0));
    EXPECT_EQ(-1, locale_Ask(NULL, NULL));
    EXPECT_TRUE(locale_GetString(NULL, 12) == NULL);
    EXPECT_TRUE(locale_GetTooltip(NULL, 12) == NULL);
    static const LocalePair table[] = {{101, 12}, {LOCALE_END, 0}};
    GadgetDialog d;
    d.control(101, 5, 5, 80, 10, "label");
    ASSERT_TRUE(d.start());
    EXPECT_EQ(0, locale_Set(NULL, d.dlg, table, TRUE));
    locale_EnumCountries(NULL, d.dlg, 101, TRUE);
    char text[32];
    GetWindowTextA(d.ctl(101), text, sizeof text);
    EXPECT_STREQ("label", text);
    locale_Free(NULL);
}

/* The font slot is the client's, and goes with the record. */
TEST(KnobkitLocaleChoose, FreeDeletesTheFont)
{
    LocaleFile f(THREE);
    Locale *l = locale_Load(f.path);
    ASSERT_TRUE(l != NULL);
    HFONT font = dlg_CreateFont(KK_CHARSET_ANSI);
    ASSERT_TRUE(kk_Alive(font));
    l->font = font;
    locale_Free(l);
    EXPECT_FALSE(kk_Alive(font));
}

/* Hostile files: whatever they hold, the record keeps to its tables and
 * the texts keep to the file. */
TEST(KnobkitLocaleChoose, HostileFiles)
{
    std::string many, big;
    for (int i = 0; i < 130; i++)
        many += "[L" + std::to_string(i) + "]\r\n" +
                std::to_string(100 + i) + " t" + std::to_string(i) + "\r\n";
    std::string filler(60, 'w');
    for (int s = 0; s < 10; s++) {
        big += "[S" + std::to_string(s) + "]\n";
        for (int i = 0; i < 6000; i++) {
            char e[100];
            wsprintfA(e, "%03d %s%d\n", i % 1000, filler.c_str(), s);
            big += e;
        }
    }
    struct Row {
        const char *name;
        std::string bytes;
        int countries;
        int choose;
        std::vector<std::string> want;
    };
    const Row rows[] = {
        {"130 sections: the first 100 count", many, 100, 99, {"199 t99"}},
        {"lines shorter than their digits, or not starting with them",
         PAD + "[E]\r\n1\r\n12\r\n012\r\nx12 a\r\n 013 b\r\n014 c\r\n", 1, 0,
         {"014 c"}},
        {"a second at sign stays in the tooltip",
         PAD + "[E]\r\n012 a@b@013 c\r\n", 1, 0, {"012 a @b@013 c"}},
        {"LF-only line ends",
         PAD + "[E]\n012 Open\n013 Close@Shut\n[F]\n012 Ouvrir\n", 2, 1,
         {"012 Ouvrir"}},
        {"the file ends inside an entry", PAD + "[E]\r\n012 Op@Ti", 1, 0,
         {"012 Op @Ti"}},
        {"the file ends inside a section name", PAD + "[E]\r\n012 a\r\n[F", 2,
         1, {}},
        {"NUL bytes", PAD + std::string("[E]\r\n012 a\0b\r\n\0\0" "013 c\r\n", 23),
         1, 0, {"012 a"}},
        {"several MB", big, 10, 9, {}},
    };
    for (const Row &r : rows) {
        LocaleFile f(r.bytes);
        Locale *l = locale_Load(f.path);
        ASSERT_TRUE(l != NULL) << "row " << r.name;
        EXPECT_EQ(r.countries, locale_GetNumCountries(l)) << "row " << r.name;
        EXPECT_EQ(r.choose, locale_Choose(l, r.choose)) << "row " << r.name;
        if (r.bytes.size() < 100000) {
            EXPECT_LINES(entries(l), r.want, r.name);
        } else {
            EXPECT_EQ(filler + "9", locale_GetString(l, 999)) << "row " << r.name;
            EXPECT_EQ(filler + "9", locale_GetString(l, 0)) << "row " << r.name;
        }
        for (int id = 0; id < LOCALE_STRINGS; id++) {
            const char *s = locale_GetString(l, id);
            EXPECT_TRUE(!s || (s >= l->text && s + strlen(s) <= l->text + l->size))
                << "row " << r.name << ": identifier " << id;
        }
        locale_Free(l);
    }
}

/* ---- The language chooser ---- */

/* locale_Ask shows the names in file order with the first selected, even
 * after another was chosen; it ends only by OK or a double click, never
 * by Escape; the choice becomes current, and no texts are loaded.
 * locale_Choose with an index past the sections asks the same way. */
TEST(KnobkitLocaleAsk, AnsweredThroughTheDialog)
{
    LocaleFile f(THREE);
    enum Answer { OK_ON_2, DOUBLE_CLICK_1, ESCAPE_THEN_OK };
    struct Row { const char *name; Answer answer; int want; bool viaChoose; };
    const Row rows[] = {
        {"entry 2 selected, OK pressed", OK_ON_2, 2, false},
        {"entry 1 double-clicked", DOUBLE_CLICK_1, 1, false},
        {"Escape first: the box stays; OK takes entry 0", ESCAPE_THEN_OK, 0,
         false},
        {"locale_Choose(5) on three sections asks", OK_ON_2, 2, true},
    };
    for (const Row &r : rows) {
        Locale *l = locale_Load(f.path);
        ASSERT_TRUE(l != NULL) << "row " << r.name;
        locale_Choose(l, 1);   /* the chooser still starts on entry 0 */
        Modal m([&] {
            return (INT_PTR)(r.viaChoose ? locale_Choose(l, 5)
                                         : locale_Ask(l, NULL));
        });
        HWND box = m.box();
        ASSERT_TRUE(box != NULL) << "row " << r.name;
        char caption[64] = "";
        GetWindowTextA(box, caption, sizeof caption);
        EXPECT_STREQ("Select your language:", caption) << "row " << r.name;
        int sel = -2;
        std::vector<std::string> want = {"English", "Deutsch",
                                         "Fran\xe7" "ais"};
        EXPECT_LINES(list_Lines(box, 1002, &sel), want, r.name);
        EXPECT_EQ(0, sel) << "row " << r.name;
        HWND list = GetDlgItem(box, 1002);
        switch (r.answer) {
        case OK_ON_2:
            SendMessageA(list, LB_SETCURSEL, 2, 0);
            EXPECT_TRUE(kk_Click(GetDlgItem(box, IDOK))) << "row " << r.name;
            break;
        case DOUBLE_CLICK_1: {
            RECT item;
            SendMessageA(list, LB_GETITEMRECT, 1, (LPARAM)&item);
            int x = (item.left + item.right) / 2, y = (item.top + item.bottom) / 2;
            /* The second press ends the box: its release finds none. */
            EXPECT_TRUE(kk_ClickAt(list, x, y) &&
                        uiw_Mouse(list, x, y, UIW_DOWN, 0))
                << "row " << r.name;
            uiw_Mouse(list, x, y, UIW_UP, 0);
            break;
        }
        case ESCAPE_THEN_OK:
            EXPECT_TRUE(kk_Key(box, VK_ESCAPE)) << "row " << r.name;
            EXPECT_FALSE(m.done(500)) << "row " << r.name << ": Escape ended it";
            EXPECT_TRUE(kk_Click(GetDlgItem(box, IDOK))) << "row " << r.name;
            break;
        }
        ASSERT_TRUE(m.done()) << "row " << r.name;
        EXPECT_EQ(r.want, (int)m.result) << "row " << r.name;
        EXPECT_EQ(r.want, l->current) << "row " << r.name;
        /* Asking loads nothing: the texts are still section 1's. */
        const char *open = locale_GetString(l, 12);
        EXPECT_STREQ(r.viaChoose ? "Ouvrir" : "\xd6" "ffnen", open)
            << "row " << r.name;
        locale_Free(l);
    }
}

/* The names go into a list box or a combo box with current selected. */
TEST(KnobkitLocaleAsk, EnumCountries)
{
    LocaleFile f(THREE);
    Locale *l = locale_Load(f.path);
    ASSERT_TRUE(l != NULL);
    GadgetDialog d;
    d.t.item(0x83, LBS_NOTIFY, 201, 5, "");
    d.t.item(0x85, CBS_DROPDOWNLIST, 202, 30, "");
    ASSERT_TRUE(d.start());
    locale_EnumCountries(l, d.dlg, 201, TRUE);   /* current -1: none */
    int sel = -2;
    std::vector<std::string> want = {"English", "Deutsch", "Fran\xe7" "ais"};
    EXPECT_LINES(list_Lines(d.dlg, 201, &sel), want, "list box");
    EXPECT_EQ(-1, sel);
    locale_Choose(l, 2);
    locale_EnumCountries(l, d.dlg, 202, FALSE);
    EXPECT_EQ(3, (int)SendDlgItemMessageA(d.dlg, 202, CB_GETCOUNT, 0, 0));
    EXPECT_EQ(2, (int)SendDlgItemMessageA(d.dlg, 202, CB_GETCURSEL, 0, 0));
    char s[32] = "";
    SendDlgItemMessageA(d.dlg, 202, CB_GETLBTEXT, 1, (LPARAM)s);
    EXPECT_STREQ("Deutsch", s);
    locale_Free(l);
}

/* ---- Relabelling a dialog ---- */

/* locale_Set gives every control of the table that has a text its label,
 * a gadget's own label included, and leaves the others alone: strings
 * without text, identifiers outside 0-999, controls the dialog lacks.
 * Choosing another section and setting again relabels.  A dialog the
 * library does not run is left alone. */
TEST(KnobkitLocaleSet, RelabelsADialog)
{
    LocaleFile f(THREE);
    Locale *l = locale_Load(f.path);
    ASSERT_TRUE(l != NULL);
    GadgetDialog d;
    d.control(101, 5, 5, 80, 10, "one");
    d.control(102, 5, 20, 80, 10, "two");
    d.control(103, 5, 35, 80, 10, "three");
    d.control(104, 5, 50, 80, 10, "four");
    d.control(105, 5, 65, 80, 10, "%d");
    ASSERT_TRUE(d.start());
    Gadget *bar = pb_Create(d.dlg, 105, 0, 0, 0, 0, 0, -1);
    ASSERT_TRUE(bar != NULL);
    static const LocalePair table[] = {
        {101, 12}, {102, 15}, {103, 1000}, {104, -3}, {105, 13}, {999, 12},
        {LOCALE_END, 0},
    };
    auto labels = [&] {
        std::vector<std::string> v;
        for (int id = 101; id <= 104; id++) {
            char s[64] = "";
            GetWindowTextA(d.ctl(id), s, sizeof s);
            v.push_back(s);
        }
        v.push_back(bar->text);
        return v;
    };
    locale_Choose(l, 0);
    EXPECT_EQ(0, locale_Set(l, d.dlg, table, FALSE));
    std::vector<std::string> want = {"Open", "two", "three", "four", "Close"};
    EXPECT_LINES(labels(), want, "English");
    locale_Choose(l, 2);
    locale_Set(l, d.dlg, table, FALSE);
    want = {"Ouvrir", "Quitter", "three", "four", "Close"};
    EXPECT_LINES(labels(), want, "French after English");

    HWND plain = CreateDialogIndirectParamA(
        GetModuleHandleA(NULL), d.t.get(), NULL,
        [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
    ASSERT_TRUE(plain != NULL);
    EXPECT_EQ(0, locale_Set(l, plain, table, TRUE));
    char s[16] = "";
    GetDlgItemTextA(plain, 101, s, sizeof s);
    EXPECT_STREQ("one", s);
    DestroyWindow(plain);
    locale_Free(l);
}

/* With tooltips, every control of the table whose string has a tooltip
 * gets it in the dialog's tooltip window, one tip per control however
 * often the dialog is relabelled; a language without the tooltip leaves
 * the one chosen before. */
static std::vector<std::string> tip_Texts(HWND dlg)
{
    std::vector<std::string> v;
    HWND tip = NULL;
    while ((tip = FindWindowExA(NULL, tip, TOOLTIPS_CLASSA, NULL)))
        if (GetWindow(tip, GW_OWNER) == dlg)
            break;
    if (!tip)
        return {"(no tooltip window)"};
    int n = (int)SendMessageA(tip, TTM_GETTOOLCOUNT, 0, 0);
    for (int i = 0; i < n; i++) {
        char text[256] = "";
        TOOLINFOA ti;
        memset(&ti, 0, sizeof ti);
        ti.cbSize = TTTOOLINFOA_V2_SIZE;
        ti.lpszText = text;
        SendMessageA(tip, TTM_ENUMTOOLSA, i, (LPARAM)&ti);
        v.push_back(std::to_string(GetDlgCtrlID((HWND)ti.uId)) + " " + text);
    }
    return v;
}

TEST(KnobkitLocaleSet, GivesTooltips)
{
    LocaleFile f(THREE);
    Locale *l = locale_Load(f.path);
    ASSERT_TRUE(l != NULL);
    GadgetDialog d;
    d.control(101, 5, 5, 80, 10, "one");
    d.control(102, 5, 20, 80, 10, "two");
    ASSERT_TRUE(d.start());
    static const LocalePair table[] = {{101, 12}, {102, 13}, {LOCALE_END, 0}};
    locale_Choose(l, 0);
    locale_Set(l, d.dlg, table, TRUE);
    std::vector<std::string> want = {"101 Opens a file"};
    EXPECT_LINES(tip_Texts(d.dlg), want, "English");
    locale_Choose(l, 1);
    locale_Set(l, d.dlg, table, TRUE);
    want = {"101 \xd6" "ffnet eine Datei"};
    EXPECT_LINES(tip_Texts(d.dlg), want, "German after English");
    locale_Choose(l, 2);
    locale_Set(l, d.dlg, table, TRUE);
    EXPECT_LINES(tip_Texts(d.dlg), want, "French keeps the German tip");
    locale_Free(l);
}
