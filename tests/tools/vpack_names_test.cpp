/* vpack_names_test.cpp -- file names in the setup's code page: which names
 * go in and as which bytes, which are refused and why, the code page
 * tables against the C library's iconv, and case as Windows compares it. */
#include "vpack_t.h"

#include "codepage.h"
#include "pkg/pkg.h"

#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <string>
#include <vector>

/* The names of the entries below the root of the package in setup, in
 * package order, as the bytes setup reads. */
static std::vector<std::string> package_names(const std::string &setup)
{
    std::vector<std::string> v;
    PackageHandle *h;
    if (pkg_Open(setup.c_str(), &h) != PKG_OK)
        return {"<pkg_Open failed>"};
    for (uint32_t i = 1; i < h->count; i++)
        v.push_back(h->dir[i].name);
    pkg_Close(h);
    return v;
}

static const std::string ini = "// Title=Names\r\ninstall() { return 1; }\r\n";

/* A product folder for one row: Install.ini and the files named. */
static std::string product(const std::string &row,
                           const std::vector<std::string> &files)
{
    std::string dir = fresh(row);
    spit(dir + "/p/Install.ini", ini);
    for (const std::string &f : files)
        spit(dir + "/p/" + f, "data of " + f);
    return dir;
}

static std::vector<std::string> with_codepage(int cp)
{
    if (!cp)
        return {"--no-uninstaller"};
    return {"--no-uninstaller", "--codepage", std::to_string(cp)};
}

/* ---- accepted ---------------------------------------------------------- */

TEST(VpackNames, AcceptedInTheCodePage)
{
    const struct {
        const char *disk;    /* UTF-8 */
        int         cp;      /* 0: the default */
        const char *bytes;   /* in the package */
    } rows[] = {
        {"café.txt", 0, "caf\xE9.txt"},
        {"Ærø.txt", 0, "\xC6r\xF8.txt"},
        {"naïve résumé.doc", 0, "na\xEFve r\xE9sum\xE9.doc"},
        {"€ – ÿŸšŠ™.txt", 1252, "\x80 \x96 \xFF\x9F\x9A\x8A\x99.txt"},
        {"Łódź.txt", 1250, "\xA3\xF3" "d\x9F.txt"},
        {"Привет.txt", 1251, "\xCF\xF0\xE8\xE2\xE5\xF2.txt"},
        {"Ąžuolas.txt", 1257, "\xC0\xFEuolas.txt"},
        {"CON1.txt", 0, "CON1.txt"},
        {"COM10", 0, "COM10"},
        {"console.log", 0, "console.log"},
        {".hidden", 0, ".hidden"},
        {"a..b c", 0, "a..b c"},
        {" lead", 0, " lead"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row ") + row.disk + " cp " +
                     std::to_string(row.cp));
        std::string dir = product("accepted", {row.disk});
        Result r = build(dir + "/p", dir + "/setup.exe", with_codepage(row.cp));
        ASSERT_EQ(0, r.code) << trace(r);
        std::vector<std::string> want = {"Install.ini", row.bytes};
        EXPECT_EQ(want, package_names(dir + "/setup.exe"));
        /* list and extract read the names back in the same code page. */
        std::vector<std::string> cp;
        if (row.cp)
            cp = {"--codepage", std::to_string(row.cp)};
        std::vector<std::string> a = {"list", dir + "/setup.exe"};
        a.insert(a.end(), cp.begin(), cp.end());
        r = run(vpack(a));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_NE(std::string::npos, r.out.find(std::string(" ") + row.disk + "\n"))
            << trace(r);
        a = {"extract", dir + "/setup.exe", dir + "/x"};
        a.insert(a.end(), cp.begin(), cp.end());
        r = run(vpack(a));
        EXPECT_EQ(0, r.code) << trace(r);
        EXPECT_EQ(std::string("data of ") + row.disk,
                  slurp(dir + "/x/" + row.disk));
    }
}

/* A folder's names are in the byte order of the package, not of UTF-8:
 * '€' is 0x80 in Windows-1252 and comes before 'é' (0xE9), although its
 * UTF-8 (E2 82 AC) sorts after that of 'é' (C3 A9).  Folder names are
 * converted as well. */
TEST(VpackNames, OrderAndFolders)
{
    std::string dir = product("order", {"é.txt", "€.txt", "Dossier é/ü.txt"});
    Result r = build(dir + "/p", dir + "/setup.exe");
    ASSERT_EQ(0, r.code) << trace(r);
    std::vector<std::string> want = {"Install.ini", "Dossier \xE9", "\xFC.txt",
                                     "\x80.txt", "\xE9.txt"};
    EXPECT_EQ(want, package_names(dir + "/setup.exe"));
    r = build(dir + "/p", dir + "/again.exe");
    ASSERT_EQ(0, r.code) << trace(r);
    EXPECT_TRUE(slurp(dir + "/setup.exe") == slurp(dir + "/again.exe"));
}

/* ---- refused ----------------------------------------------------------- */

struct NameRefusal {
    std::string disk;      /* UTF-8 unless the row is about that */
    int         cp;
    std::string says;
};

static std::vector<NameRefusal> name_refusals()
{
    std::vector<NameRefusal> v;
    const char *cannot = "Windows cannot create this name: it ";
    for (const char *c : {":", "?", "*", "<", ">", "|", "\"", "\\"})
        v.push_back({std::string("a") + c + "b.txt", 0,
                     std::string(cannot) + "contains '" + c + "'"});
    for (int c : {1, 9, 10, 27, 31}) {
        char hex[8];
        snprintf(hex, sizeof hex, "0x%02X", c);
        v.push_back({std::string("x") + (char)c + "y", 0,
                     std::string(cannot) + "contains the control character " +
                         hex});
    }
    for (const char *n : {"a.", "a ", "read me.txt.", "b. . "})
        v.push_back({n, 0, std::string(cannot) + "ends in a dot or a blank"});
    std::vector<std::string> devices = {"CON", "PRN", "AUX", "NUL", "CONIN$",
                                        "CONOUT$", "CLOCK$"};
    for (char d = '1'; d <= '9'; d++) {
        devices.push_back(std::string("COM") + d);
        devices.push_back(std::string("LPT") + d);
    }
    for (const std::string &d : devices) {
        std::string lower = d;
        for (char &c : lower)
            c = (char)tolower((unsigned char)c);
        for (const std::string &n : {d, lower + ".txt", d + ".tar.gz", lower + " .x"})
            v.push_back({n, 0, std::string(cannot) + "names a device"});
    }
    const char *other = "; rename it, or give --codepage";
    v.push_back({"Łódź.txt", 0,
                 std::string("the name has 'Ł' (U+0141), which Windows-1252 "
                             "cannot hold") + other});
    v.push_back({"日本.txt", 0, "has '日' (U+65E5), which Windows-1252 cannot hold"});
    v.push_back({"smile 😀", 0, "has '😀' (U+1F600), which Windows-1252"});
    v.push_back({"café.txt", 1251, "has 'é' (U+00E9), which Windows-1251"});
    v.push_back({"Привет", 1250, "has 'П' (U+041F), which Windows-1250"});
    v.push_back({"Æ.txt", 1250, "has 'Æ' (U+00C6), which Windows-1250"});
    /* Bytes 1252 leaves undefined are no target for the C1 controls. */
    for (const char *n : {"a\u0081", "a\u008D", "a\u008F", "a\u0090", "a\u009D"})
        v.push_back({n, 0, "), which Windows-1252 cannot hold"});
    v.push_back({"caf\xE9.txt", 0,
                 "the name is not UTF-8 (byte 0xE9 at offset 3); vpack reads "
                 "names as UTF-8"});
    v.push_back({"\xC0\xAFx", 0, "is not UTF-8 (byte 0xC0 at offset 0)"});
    v.push_back({"ab\xED\xA0\x80", 0, "is not UTF-8 (byte 0xED at offset 2)"});
    v.push_back({"x\xE2\x82", 0, "is not UTF-8 (byte 0xE2 at offset 1)"});
    return v;
}

TEST(VpackNames, Refused)
{
    for (const NameRefusal &row : name_refusals()) {
        SCOPED_TRACE("row '" + row.disk + "' cp " + std::to_string(row.cp));
        std::string dir = product("refused", {"fine.txt"});
        spit(dir + "/p/sub/" + row.disk, "x");
        Result r = build(dir + "/p", dir + "/setup.exe", with_codepage(row.cp));
        EXPECT_EQ(1, r.code) << trace(r);
        EXPECT_NE(std::string::npos,
                  r.err.find("'" + dir + "/p/sub/" + row.disk + "': "))
            << "the file is not named\n" << trace(r);
        EXPECT_NE(std::string::npos, r.err.find(row.says)) << trace(r);
        EXPECT_FALSE(exists(dir + "/setup.exe"));
        EXPECT_FALSE(exists(dir + "/setup.exe.tmp"));
    }
}

/* Two names Windows takes for one: letters of every script the code pages
 * hold, compared by their upper case. */
TEST(VpackNames, CaseAsWindowsComparesIt)
{
    const struct {
        const char *a, *b;
        int         cp;
        bool        clash;
    } rows[] = {
        {"app.exe", "APP.exe", 0, true},
        {"café.txt", "CAFÉ.txt", 0, true},
        {"ÿ", "Ÿ", 0, true},
        {"œuvre", "Œuvre", 0, true},
        {"žena", "Žena", 1252, true},
        {"łódź", "ŁÓDŹ", 1250, true},
        {"привет", "ПРИВЕТ", 1251, true},
        {"ґ ї", "Ґ Ї", 1251, true},
        {"ąčęėįšųūž", "ĄČĘĖĮŠŲŪŽ", 1257, true},
        {"cafe.txt", "café.txt", 0, false},
        {"straße", "STRASSE", 0, false},
        {"µ", "M", 0, false},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row ") + row.a + " / " + row.b);
        std::string dir = product("case", {std::string("d/") + row.a,
                                           std::string("d/") + row.b});
        Result r = build(dir + "/p", dir + "/setup.exe", with_codepage(row.cp));
        if (row.clash) {
            EXPECT_EQ(1, r.code) << trace(r);
            EXPECT_NE(std::string::npos,
                      r.err.find("two names in '" + dir + "/p/d' differ only "
                                 "in case"))
                << trace(r);
            EXPECT_NE(std::string::npos, r.err.find(std::string("'") + row.a + "'"))
                << trace(r);
        } else {
            EXPECT_EQ(0, r.code) << trace(r);
        }
    }
}

/* ---- the options ------------------------------------------------------- */

TEST(VpackNames, CodepageOption)
{
    std::string dir = product("option", {"x.txt"});
    const struct {
        std::vector<std::string> args;
        int code;
        const char *says;
    } rows[] = {
        {{"build", dir + "/p", "-o", dir + "/s.exe", "--codepage", "437"}, 2,
         "unknown --codepage 437 (one of 1250, 1251, 1252, 1257)"},
        {{"build", dir + "/p", "-o", dir + "/s.exe", "--codepage=utf8"}, 2,
         "unknown --codepage utf8 (one of 1250, 1251, 1252, 1257)"},
        {{"build", dir + "/p", "-o", dir + "/s.exe", "--codepage"}, 2,
         "--codepage needs a value"},
        {{"list", dir + "/s.exe", "--codepage", "65001"}, 2,
         "unknown --codepage 65001"},
        {{"extract", dir + "/s.exe", dir + "/x", "--codepage", "850"}, 2,
         "unknown --codepage 850"},
        {{"verify", dir + "/s.exe", "--codepage", "1252"}, 2,
         "unknown option --codepage"},
        {{"help", "build"}, 0, "one of\n                         1250, 1251, 1252, 1257"},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE("row " + row.args[0] + " " + row.args.back());
        Result r = run(vpack(row.args));
        EXPECT_EQ(row.code, r.code) << trace(r);
        EXPECT_NE(std::string::npos, (r.out + r.err).find(row.says)) << trace(r);
    }
    EXPECT_FALSE(exists(dir + "/s.exe"));
}

/* A name read back in another code page than it was written in: list
 * shows a byte that code page leaves undefined as \xNN, extract refuses. */
TEST(VpackNames, ReadBackInAnotherCodePage)
{
    std::string dir = product("readback", {"Š.txt"});   /* 0x8A in 1250 */
    Result r = build(dir + "/p", dir + "/setup.exe", with_codepage(1250));
    ASSERT_EQ(0, r.code) << trace(r);
    r = run(vpack({"list", dir + "/setup.exe", "--codepage", "1257"}));
    EXPECT_EQ(0, r.code) << trace(r);
    EXPECT_NE(std::string::npos, r.out.find(" \\x8A.txt\n")) << trace(r);
    r = run(vpack({"list", dir + "/setup.exe", "--codepage", "1250"}));
    EXPECT_NE(std::string::npos, r.out.find(" Š.txt\n")) << trace(r);
    r = run(vpack({"extract", dir + "/setup.exe", dir + "/x", "--codepage=1257"}));
    EXPECT_EQ(1, r.code) << trace(r);
    EXPECT_NE(std::string::npos,
              r.err.find("member '\\x8A.txt': the name has byte 0x8A, which "
                         "Windows-1257 leaves undefined"))
        << trace(r);
}

/* ---- Install.ini ------------------------------------------------------- */

TEST(VpackNames, Utf8ScriptWarned)
{
    const struct {
        const char *script;
        const char *says;    /* "": no warning */
    } rows[] = {
        {"// Title=Caf\xC3\xA9\r\ninstall() { return 1; }\r\n",
         "Install.ini:1:13: warning: Install.ini is UTF-8 text, but setup "
         "reads it as Windows-1252: '\xC3\xA9' shows as '\xC3\x83\xC2\xA9' and "
         "a name in it matches no member; save it in Windows-1252"},
        {"// Title=x\r\ninstall() { return copy(\"\xE2\x82\xAC\", \"b\"); }\r\n",
         "Install.ini:2:26: warning: Install.ini is UTF-8 text"},
        {"// Title=Caf\xE9\r\ninstall() { return 1; }\r\n", ""},
        {ini.c_str(), ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(std::string("row ") + row.script);
        std::string dir = fresh("utf8ini");
        spit(dir + "/p/Install.ini", row.script);
        Result r = build(dir + "/p", dir + "/setup.exe");
        EXPECT_EQ(0, r.code) << trace(r);
        if (*row.says)
            EXPECT_NE(std::string::npos, r.err.find(row.says)) << trace(r);
        else
            EXPECT_EQ(std::string::npos, r.err.find("warning")) << trace(r);
    }
}

/* ---- the conversion module --------------------------------------------- */

/* Every byte of every table against glibc's iconv: the same character, or
 * undefined in both. */
TEST(VpackNames, TablesAgreeWithIconv)
{
    for (int cp = 1; cp < 2000; cp++) {
        if (!cp_Known(cp))
            continue;
        SCOPED_TRACE("code page " + std::to_string(cp));
        iconv_t cd = iconv_open("UTF-32LE", ("CP" + std::to_string(cp)).c_str());
        ASSERT_NE((iconv_t)-1, cd);
        for (int b = 1; b < 256; b++) {
            char in = (char)b, *pin = &in;
            uint32_t out = 0;
            char *pout = (char *)&out;
            size_t inLeft = 1, outLeft = 4;
            iconv(cd, NULL, NULL, NULL, NULL);
            size_t rc = iconv(cd, &pin, &inLeft, &pout, &outLeft);
            uint32_t want = rc == (size_t)-1 ? 0 : out;
            EXPECT_EQ(want, cp_ToUnicode(cp, (unsigned char)b)) << "byte " << b;
        }
        iconv_close(cd);
    }
    EXPECT_EQ("1250, 1251, 1252, 1257", cp_KnownList());
}

/* Two bytes fold together exactly when the C library's upper case of their
 * characters is the same. */
TEST(VpackNames, FoldingAgreesWithTowupper)
{
    ASSERT_NE(nullptr, setlocale(LC_CTYPE, "C.UTF-8"));
    for (int cp = 1; cp < 2000; cp++) {
        if (!cp_Known(cp))
            continue;
        for (int a = 1; a < 256; a++)
            for (int b = a + 1; b < 256; b++) {
                uint32_t ua = cp_ToUnicode(cp, (unsigned char)a),
                         ub = cp_ToUnicode(cp, (unsigned char)b);
                if (!ua || !ub)
                    continue;
                bool same = towupper(ua) == towupper(ub);
                EXPECT_EQ(same, cp_FoldKey(cp, std::string(1, (char)a)) ==
                                    cp_FoldKey(cp, std::string(1, (char)b)))
                    << "code page " << cp << ", bytes " << a << " and " << b;
            }
    }
    setlocale(LC_CTYPE, "C");
}

TEST(VpackNames, Utf16)
{
    const struct {
        std::u16string utf16;
        std::string    utf8;
    } rows[] = {
        {u"caf\u00e9", "café"},
        {u"\u20ac\u4e2d", "€中"},
        {u"\U0001F600x", "😀x"},
        {u"", ""},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE("row " + row.utf8);
        std::string s;
        EXPECT_EQ(1, cp_Utf16ToUtf8((const uint16_t *)row.utf16.data(),
                                    row.utf16.size(), &s));
        EXPECT_EQ(row.utf8, s);
        std::u16string w;
        EXPECT_EQ(1, cp_Utf8ToUtf16(row.utf8, &w));
        EXPECT_TRUE(row.utf16 == w);
    }
    const uint16_t lone[] = {'a', 0xD800, 'b'}, trail[] = {0xDC00};
    std::string s;
    EXPECT_EQ(0, cp_Utf16ToUtf8(lone, 3, &s));
    EXPECT_EQ(0, cp_Utf16ToUtf8(lone, 2, &s));
    EXPECT_EQ(0, cp_Utf16ToUtf8(trail, 1, &s));
    std::u16string w;
    EXPECT_EQ(0, cp_Utf8ToUtf16("a\xFF", &w));
}
