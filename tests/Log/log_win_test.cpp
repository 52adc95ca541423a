/* log_win_test.cpp -- the undo log under Wine: the file log_Save writes,
 * byte for byte against files written here by hand from the layout in
 * Log/log.cpp; log_Load of hand-written files (wrong magic, cut entries,
 * long lines, other line ends, empty and absent texts); the duplicate
 * rule; log_Next; and the share modes of the file. */
#include "log.h"
#include "pkgfix_gtest.h"

#include <gtest/gtest.h>
#include <string.h>
#include <windows.h>

#include <string>
#include <vector>

typedef std::vector<uint8_t> Bytes;

/* Hand-written file bytes: string literals, so NULs need the length. */
#define LIT(s) std::string(s, sizeof(s) - 1)

static Bytes bytes(const std::string &s) { return Bytes(s.begin(), s.end()); }

/* One expected text: absent, or present with these characters. */
struct Text {
    bool        present;
    std::string chars;
    Text(std::nullptr_t) : present(false) {}
    Text(const char *s) : present(true), chars(s) {}
    Text(const std::string &s) : present(true), chars(s) {}
};

struct Want {
    int32_t kind;
    Text    t1, t2, t3;
};

static std::string show(const char *t)
{
    return t ? "\"" + std::string(t) + "\"" : std::string("null");
}

static void expect_text(const char *got, const Text &want, const char *which)
{
    if (!want.present) {
        EXPECT_EQ(nullptr, got) << which << " is " << show(got);
        return;
    }
    ASSERT_NE(nullptr, got) << which << " missing";
    /* want.chars may hold NULs (a line that ran over binary bytes): the
     * C string ends at the first, and the block holds them all. */
    ASSERT_EQ(strlen(want.chars.c_str()), strlen(got)) << which << " "
                                                       << show(got);
    EXPECT_EQ(0, memcmp(want.chars.c_str(), got, want.chars.size() + 1))
        << which << " " << show(got);
}

/* The list holds exactly these entries, linked both ways. */
static void expect_list(const LogList &list, const std::vector<Want> &want)
{
    const LogEntry *e = list.Head, *prev = nullptr;
    for (size_t i = 0; i < want.size(); i++, prev = e, e = e->Next) {
        SCOPED_TRACE("entry " + std::to_string(i));
        ASSERT_NE(nullptr, e) << "list ends early";
        EXPECT_EQ(prev, e->Prev);
        EXPECT_EQ(want[i].kind, e->Kind);
        expect_text(e->Text1, want[i].t1, "text1");
        expect_text(e->Text2, want[i].t2, "text2");
        expect_text(e->Text3, want[i].t3, "text3");
    }
    EXPECT_EQ(nullptr, e) << "more entries than expected";
    EXPECT_EQ(prev, list.Tail);
}

class LogWin : public ScratchTest {
protected:
    LogList list = {nullptr, nullptr};
    void TearDown() override
    {
        log_Save(&list, nullptr);
        ScratchTest::TearDown();
    }
    Bytes file(const char *name)
    {
        Bytes b;
        EXPECT_TRUE(fix_Load(path(name), b)) << name;
        return b;
    }
};

/* ---- the file log_Save writes ------------------------------------------ */

/* Every kind, an empty text between two others, texts with gaps. */
static const char kSaved[] =
    "log1"
    /* LOG_PRODUCT, mask 7: company, product, destination folder */
    "\x01\0\0\0" "\x07\0\0\0"
    "Acme\r\n" "Notes\r\n" "C:\\Program Files\\Acme\\Notes\r\n"
    /* LOG_DIR, mask 1 */
    "\x02\0\0\0" "\x01\0\0\0"
    "C:\\Program Files\\Acme\\Notes\\Notebooks\r\n"
    /* LOG_FILE, mask 1 */
    "\x03\0\0\0" "\x01\0\0\0"
    "C:\\Program Files\\Acme\\Notes\\Notes.exe\r\n"
    /* LOG_SHAREDFILE, mask 3: file, shared-file name */
    "\x04\0\0\0" "\x03\0\0\0"
    "C:\\WINDOWS\\system32\\AcmeUI.dll\r\n" "AcmeUI.dll\r\n"
    /* LOG_PREFSKEY, mask 1 */
    "\x05\0\0\0" "\x01\0\0\0"
    "Acme\\Notes\r\n"
    /* LOG_DRIVER, mask 3: file, service */
    "\x07\0\0\0" "\x03\0\0\0"
    "C:\\WINDOWS\\system32\\drivers\\acmeio.sys\r\n" "AcmeIo\r\n"
    /* LOG_SHAREDFILE, mask 3, an empty shared-file name: a bare CR LF */
    "\x04\0\0\0" "\x03\0\0\0"
    "C:\\WINDOWS\\system32\\AcmeNet.dll\r\n" "\r\n"
    /* LOG_DRIVER, mask 5: empty text1, no text2, text3 "x" */
    "\x07\0\0\0" "\x05\0\0\0"
    "\r\n" "x\r\n"
    /* LOG_FILE, mask 0: no texts at all */
    "\x03\0\0\0" "\0\0\0\0";

TEST_F(LogWin, SaveWritesTheLayout)
{
    ASSERT_EQ(1, log_AddProduct(&list, "Acme", "Notes",
                                "C:\\Program Files\\Acme\\Notes"));
    ASSERT_EQ(1, log_AddDir(&list, "C:\\Program Files\\Acme\\Notes\\Notebooks"));
    ASSERT_EQ(1, log_AddFile(&list, "C:\\Program Files\\Acme\\Notes\\Notes.exe"));
    ASSERT_EQ(1, log_AddSharedFile(&list, "C:\\WINDOWS\\system32\\AcmeUI.dll",
                                   "AcmeUI.dll"));
    ASSERT_EQ(1, log_AddPrefsKey(&list, "Acme\\Notes"));
    ASSERT_EQ(1, log_AddDriver(&list,
                               "C:\\WINDOWS\\system32\\drivers\\acmeio.sys",
                               "AcmeIo"));
    ASSERT_EQ(1, log_AddSharedFile(&list, "C:\\WINDOWS\\system32\\AcmeNet.dll",
                                   ""));
    ASSERT_EQ(1, log_Add(&list, LOG_DRIVER, "", nullptr, "x"));
    ASSERT_EQ(1, log_Add(&list, LOG_FILE, nullptr, nullptr, nullptr));

    log_Save(&list, path("undo.log").c_str());
    EXPECT_EQ(nullptr, list.Head) << "the list is freed";
    EXPECT_EQ(nullptr, list.Tail);
    EXPECT_EQ(bytes(LIT(kSaved)), file("undo.log"));

    /* And it reads back as it was recorded. */
    ASSERT_EQ(1, log_Load(&list, path("undo.log").c_str()));
    expect_list(list,
                {{LOG_PRODUCT, "Acme", "Notes", "C:\\Program Files\\Acme\\Notes"},
                 {LOG_DIR, "C:\\Program Files\\Acme\\Notes\\Notebooks", nullptr,
                  nullptr},
                 {LOG_FILE, "C:\\Program Files\\Acme\\Notes\\Notes.exe",
                  nullptr, nullptr},
                 {LOG_SHAREDFILE, "C:\\WINDOWS\\system32\\AcmeUI.dll",
                  "AcmeUI.dll", nullptr},
                 {LOG_PREFSKEY, "Acme\\Notes", nullptr, nullptr},
                 {LOG_DRIVER, "C:\\WINDOWS\\system32\\drivers\\acmeio.sys",
                  "AcmeIo", nullptr},
                 {LOG_SHAREDFILE, "C:\\WINDOWS\\system32\\AcmeNet.dll", "",
                  nullptr},
                 {LOG_DRIVER, "", nullptr, "x"},
                 {LOG_FILE, nullptr, nullptr, nullptr}});
}

/* The product entry always has its three texts, empty for a missing name. */
TEST_F(LogWin, ProductEntryCarriesThreeTexts)
{
    ASSERT_EQ(1, log_AddProduct(&list, nullptr, "Notes", nullptr));
    log_Save(&list, path("undo.log").c_str());
    EXPECT_EQ(bytes(LIT("log1" "\x01\0\0\0" "\x07\0\0\0" "\r\n" "Notes\r\n"
                        "\r\n")),
              file("undo.log"));
}

/* A text the file cannot carry is written as absent, and the entry after
 * it stays in step. */
TEST_F(LogWin, SaveLeavesOutTextsTheFileCannotCarry)
{
    struct Row {
        const char *name;
        std::string text;
        bool        written;
    } rows[] = {
        {"empty", "", true},
        {"511 characters", std::string(511, 'n'), true},
        {"512 characters", std::string(512, 'n'), false},
        {"1000 characters", std::string(1000, 'n'), false},
        {"LF inside", "Acme\nUI", false},
        {"CR inside", "Acme\rUI", false},
        {"CR LF at the end", "AcmeUI\r\n", false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        ASSERT_EQ(1, log_AddSharedFile(&list, "C:\\s.dll", r.text.c_str()));
        ASSERT_EQ(1, log_AddFile(&list, "C:\\after"));
        log_Save(&list, path("undo.log").c_str());
        std::string want = LIT("log1" "\x04\0\0\0");
        want += r.written ? LIT("\x03\0\0\0") : LIT("\x01\0\0\0");
        want += "C:\\s.dll\r\n";
        if (r.written)
            want += r.text + "\r\n";
        want += LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\after\r\n");
        EXPECT_EQ(bytes(want), file("undo.log"));
        ASSERT_EQ(1, log_Load(&list, path("undo.log").c_str()));
        expect_list(list, {{LOG_SHAREDFILE, "C:\\s.dll",
                            r.written ? Text(r.text) : Text(nullptr), nullptr},
                           {LOG_FILE, "C:\\after", nullptr, nullptr}});
        log_Save(&list, nullptr);
    }
}

TEST_F(LogWin, SaveWithoutPathOnlyFrees)
{
    ASSERT_EQ(1, log_AddFile(&list, "C:\\a"));
    ASSERT_EQ(1, log_AddFile(&list, "C:\\b"));
    log_Save(&list, nullptr);
    EXPECT_EQ(nullptr, list.Head);
    EXPECT_EQ(nullptr, list.Tail);
    /* The freed list records afresh. */
    EXPECT_EQ(1, log_AddFile(&list, "C:\\a"));
    expect_list(list, {{LOG_FILE, "C:\\a", nullptr, nullptr}});
}

/* Failures to create the file are silent; the list is freed anyway. */
TEST_F(LogWin, SaveFailsSilently)
{
    ASSERT_EQ(1, log_AddFile(&list, "C:\\a"));
    log_Save(&list, path("no such folder\\undo.log").c_str());
    EXPECT_EQ(nullptr, list.Head);
    EXPECT_FALSE(fix_Exists(path("no such folder")));
}

/* ---- log_Load of hand-written files -------------------------------------- */

static const std::string kMagic = "log1";
static const std::string kFileA = LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\a\r\n");
static const std::string kDirD = LIT("\x02\0\0\0" "\x01\0\0\0" "C:\\d\r\n");

/* The text of 600 characters: 511 kept, the 512th read and dropped, and
 * the 88 after it read as what follows: kind and mask "bbbb" (mask low
 * byte 0x62: text2 only), then text2, the last 80 of them. */
static std::string long_line()
{
    return std::string(511, 'a') + "X" + std::string(88, 'b');
}

TEST_F(LogWin, LoadFiles)
{
    struct Row {
        const char       *name;
        bool              create;
        std::string       bytes;
        int               result;
        std::vector<Want> entries;
    } rows[] = {
        {"whole", true, kMagic + kFileA, 1, {{3, "C:\\a", nullptr, nullptr}}},
        {"missing: a first installation", false, "", 1, {}},
        {"magic only", true, kMagic, 1, {}},
        {"empty file", true, "", 0, {}},
        {"magic cut", true, "log", 0, {}},
        {"magic LOG1", true, "LOG1" + kFileA, 0, {}},
        {"magic log2", true, "log2" + kFileA, 0, {}},
        {"entries without magic", true, kFileA + kFileA, 0, {}},
        /* Cut entries: whole texts stay, a cut text is left out, an entry
         * without its kind and mask is dropped. */
        {"cut in the kind", true, kMagic + kFileA + LIT("\x03\0"), 1,
         {{3, "C:\\a", nullptr, nullptr}}},
        {"cut in the mask", true, kMagic + kFileA + LIT("\x03\0\0\0\x01\0"), 1,
         {{3, "C:\\a", nullptr, nullptr}}},
        {"cut after the mask", true,
         kMagic + kFileA + LIT("\x03\0\0\0" "\x01\0\0\0"), 1,
         {{3, "C:\\a", nullptr, nullptr}, {3, nullptr, nullptr, nullptr}}},
        {"cut in a text", true,
         kMagic + kFileA + LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\ab"), 1,
         {{3, "C:\\a", nullptr, nullptr}, {3, nullptr, nullptr, nullptr}}},
        {"cut between CR and LF", true,
         kMagic + kFileA + LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\ab\r"), 1,
         {{3, "C:\\a", nullptr, nullptr}, {3, nullptr, nullptr, nullptr}}},
        {"product cut in text3", true,
         kMagic + LIT("\x01\0\0\0" "\x07\0\0\0" "Acme\r\nNotes\r\nC:\\Prog"), 1,
         {{1, "Acme", "Notes", nullptr}}},
        {"product cut after text1", true,
         kMagic + LIT("\x01\0\0\0" "\x07\0\0\0" "Acme\r\n"), 1,
         {{1, "Acme", nullptr, nullptr}}},
        /* Long lines. */
        {"511 characters", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0") + std::string(511, 'a') +
             "\r\n" + kDirD,
         1,
         {{3, std::string(511, 'a'), nullptr, nullptr},
          {2, "C:\\d", nullptr, nullptr}}},
        /* A text longer than setup writes, or with a control character,
         * is void: it reads absent and its whole line goes, so that no
         * part of it is read as the entries after it. */
        {"512 characters: void", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0") + std::string(512, 'a') +
             "\r\n" + kDirD,
         1,
         {{3, nullptr, nullptr, nullptr}, {2, "C:\\d", nullptr, nullptr}}},
        {"600 characters: the rest is no entry", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0") + long_line() + "\r\n" +
             kDirD,
         1,
         {{3, nullptr, nullptr, nullptr}, {2, "C:\\d", nullptr, nullptr}}},
        {"512 characters at the end of the file", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0") + std::string(511, 'a') + "X",
         1,
         {{3, nullptr, nullptr, nullptr}}},
        {"NUL hiding a second path", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\p\\a.txt\0C:\\victim\r\n") +
             kDirD,
         1,
         {{3, nullptr, nullptr, nullptr}, {2, "C:\\d", nullptr, nullptr}}},
        {"control characters", true,
         kMagic + LIT("\x04\0\0\0" "\x03\0\0\0" "C:\\a\tb\r\n" "S\x1b.dll\r\n") +
             kFileA,
         1,
         {{4, nullptr, nullptr, nullptr}, {3, "C:\\a", nullptr, nullptr}}},
        /* Line ends. */
        {"LF only", true,
         kMagic + LIT("\x04\0\0\0" "\x03\0\0\0" "C:\\s.dll\nS.dll\n") +
             LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\a\n"),
         1,
         {{4, "C:\\s.dll", "S.dll", nullptr}, {3, "C:\\a", nullptr, nullptr}}},
        {"CR only: the line runs on to the next LF, void", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\a\r") +
             LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\b\r\n") + kDirD,
         1,
         {{3, nullptr, nullptr, nullptr}, {2, "C:\\d", nullptr, nullptr}}},
        {"CR only to the end of the file", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\a\r") +
             LIT("\x02\0\0\0" "\x01\0\0\0" "C:\\d\r"),
         1,
         {{3, nullptr, nullptr, nullptr}}},
        {"CR inside a text", true,
         kMagic + LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\a\rb\r\r\n"), 1,
         {{3, "C:\\ab", nullptr, nullptr}}},
        /* Empty and absent texts. */
        {"empty text2", true,
         kMagic + LIT("\x04\0\0\0" "\x03\0\0\0" "C:\\x\r\n\r\n"), 1,
         {{4, "C:\\x", "", nullptr}}},
        {"absent text2", true,
         kMagic + LIT("\x04\0\0\0" "\x01\0\0\0" "C:\\y\r\n"), 1,
         {{4, "C:\\y", nullptr, nullptr}}},
        {"text2 only", true, kMagic + LIT("\x07\0\0\0" "\x02\0\0\0" "Svc\r\n"),
         1, {{7, nullptr, "Svc", nullptr}}},
        {"empty text1, text3", true,
         kMagic + LIT("\x07\0\0\0" "\x05\0\0\0" "\r\n" "x\r\n"), 1,
         {{7, "", nullptr, "x"}}},
        {"mask: only the low three bits count", true,
         kMagic + LIT("\x03\0\0\0" "\xF9\xFF\xFF\xFF" "C:\\a\r\n") +
             LIT("\x03\0\0\0" "\x00\x01\0\0") + kDirD,
         1,
         {{3, "C:\\a", nullptr, nullptr},
          {3, nullptr, nullptr, nullptr},
          {2, "C:\\d", nullptr, nullptr}}},
        {"no duplicate check on load", true, kMagic + kFileA + kFileA, 1,
         {{3, "C:\\a", nullptr, nullptr}, {3, "C:\\a", nullptr, nullptr}}},
        {"other kinds kept", true,
         kMagic + LIT("\x06\0\0\0" "\x01\0\0\0" "six\r\n") +
             LIT("\xFF\xFF\xFF\xFF" "\0\0\0\0"),
         1,
         {{6, "six", nullptr, nullptr}, {-1, nullptr, nullptr, nullptr}}},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        std::string file = path("undo.log");
        fix_Remove(file);
        if (r.create) {
            ASSERT_TRUE(fix_Save(file, bytes(r.bytes)));
        }
        /* Loading empties the list first. */
        ASSERT_EQ(1, log_AddFile(&list, "C:\\stale"));
        EXPECT_EQ(r.result, log_Load(&list, file.c_str()));
        expect_list(list, r.entries);
        log_Save(&list, nullptr);
    }
}

TEST_F(LogWin, LoadWithoutPathEmpties)
{
    ASSERT_EQ(1, log_AddFile(&list, "C:\\stale"));
    EXPECT_EQ(1, log_Load(&list, nullptr));
    expect_list(list, {});
}

/* A file that is not an undo log loads empty and the next save replaces
 * it. */
TEST_F(LogWin, WrongMagicReplacedBySave)
{
    std::string file = path("undo.log");
    ASSERT_TRUE(fix_Save(file, bytes("LOG1" + kFileA + kDirD)));
    EXPECT_EQ(0, log_Load(&list, file.c_str()));
    expect_list(list, {});
    ASSERT_EQ(1, log_AddFile(&list, "C:\\new"));
    log_Save(&list, file.c_str());
    EXPECT_EQ(bytes(kMagic + LIT("\x03\0\0\0" "\x01\0\0\0" "C:\\new\r\n")),
              this->file("undo.log"));
}

/* Loading shares the file with other readers only; saving shares it with
 * no one. */
TEST_F(LogWin, ShareModes)
{
    std::string file = path("undo.log");
    ASSERT_TRUE(fix_Save(file, bytes(kMagic + kFileA)));
    struct Row {
        const char *name;
        DWORD       access, share;
        bool        loads;
    } rows[] = {
        {"a reader that shares reading", GENERIC_READ, FILE_SHARE_READ, true},
        {"a writer that shares everything", GENERIC_WRITE,
         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, false},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        HANDLE other = CreateFileA(file.c_str(), r.access, r.share, NULL,
                                   OPEN_EXISTING, 0, NULL);
        ASSERT_NE(INVALID_HANDLE_VALUE, other);
        EXPECT_EQ(1, log_Load(&list, file.c_str()));
        if (r.loads)
            expect_list(list, {{3, "C:\\a", nullptr, nullptr}});
        else
            expect_list(list, {});
        /* Saving needs the file to itself: nothing is written, silently. */
        log_Save(&list, nullptr);
        ASSERT_EQ(1, log_AddFile(&list, "C:\\new"));
        log_Save(&list, file.c_str());
        EXPECT_EQ(nullptr, list.Head);
        CloseHandle(other);
        EXPECT_EQ(bytes(kMagic + kFileA), this->file("undo.log"));
    }
}

/* Save and load keep every text up to the longest the file carries. */
TEST_F(LogWin, RoundTrip)
{
    const std::string longest(511, 'p');
    ASSERT_EQ(1, log_AddProduct(&list, "Acme", "Notes", longest.c_str()));
    ASSERT_EQ(1, log_AddDriver(&list, "C:\\d.sys", "\xE4\xF6\xFC"));
    ASSERT_EQ(1, log_Add(&list, 99, "", "", ""));
    log_Save(&list, path("undo.log").c_str());
    ASSERT_EQ(1, log_Load(&list, path("undo.log").c_str()));
    expect_list(list, {{LOG_PRODUCT, "Acme", "Notes", longest},
                       {LOG_DRIVER, "C:\\d.sys", "\xE4\xF6\xFC", nullptr},
                       {99, "", "", ""}});
}

/* ---- the duplicate rule ------------------------------------------------ */

struct Add {
    int         kind;
    const char *t1, *t2;
};

TEST_F(LogWin, DuplicateRule)
{
    /* Folding in the ANSI code page: the rows with accented letters are
     * written for Western European 1252, Wine's default. */
    ASSERT_EQ(1252u, GetACP());
    struct Row {
        const char      *name;
        std::vector<Add> before;
        Add              add;
        int              appended;
    } rows[] = {
        {"same path", {{3, "C:\\App\\a.exe", 0}}, {3, "C:\\App\\a.exe", 0}, 0},
        {"other case", {{3, "C:\\App\\a.exe", 0}}, {3, "c:\\APP\\A.EXE", 0}, 0},
        {"other case, accented", {{3, "C:\\\xC4rger", 0}},
         {3, "c:\\\xE4RGER", 0}, 0},
        {"ligature is not two letters", {{3, "C:\\\xE6", 0}}, {3, "C:\\ae", 0},
         1},
        {"brackets are not letters", {{3, "C:\\[x]", 0}}, {3, "C:\\{x}", 0}, 1},
        {"at sign and backquote", {{3, "C:\\@", 0}}, {3, "C:\\`", 0}, 1},
        {"longer", {{3, "C:\\a", 0}}, {3, "C:\\ab", 0}, 1},
        {"shorter", {{3, "C:\\ab", 0}}, {3, "C:\\a", 0}, 1},
        {"other kind", {{3, "C:\\App", 0}}, {2, "C:\\App", 0}, 1},
        {"file, then shared file", {{3, "C:\\s.dll", 0}},
         {4, "C:\\s.dll", "S.dll"}, 1},
        {"shared file, then file", {{4, "C:\\s.dll", "S.dll"}},
         {3, "C:\\S.DLL", 0}, 1},
        {"shared file under another name", {{4, "C:\\s.dll", "S.dll"}},
         {4, "C:\\s.dll", "T.dll"}, 0},
        {"driver under another service", {{7, "C:\\d.sys", "D"}},
         {7, "C:\\D.SYS", "E"}, 0},
        {"matches any earlier entry",
         {{3, "C:\\a", 0}, {2, "C:\\b", 0}, {3, "C:\\c", 0}},
         {3, "C:\\A", 0}, 0},
        {"absent twice", {{3, nullptr, 0}}, {3, nullptr, 0}, 0},
        {"absent, then empty", {{3, nullptr, 0}}, {3, "", 0}, 1},
        {"empty, then absent", {{3, "", 0}}, {3, nullptr, 0}, 1},
        {"empty twice", {{3, "", 0}}, {3, "", 0}, 0},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        std::vector<Want> want;
        for (const Add &a : r.before) {
            ASSERT_EQ(1, log_Add(&list, a.kind, a.t1, a.t2, nullptr));
            want.push_back({a.kind, a.t1 ? Text(a.t1) : Text(nullptr),
                            a.t2 ? Text(a.t2) : Text(nullptr), nullptr});
        }
        int got = log_Add(&list, r.add.kind, r.add.t1, r.add.t2, nullptr);
        EXPECT_EQ(r.appended, got != 0);
        if (r.appended)
            want.push_back({r.add.kind, r.add.t1 ? Text(r.add.t1) : Text(nullptr),
                            r.add.t2 ? Text(r.add.t2) : Text(nullptr),
                            nullptr});
        expect_list(list, want);
        log_Save(&list, nullptr);
    }
}

/* Installing the same product again: the old log is loaded, the run
 * records everything it does again, and only what is new is appended;
 * the first product entry stays the only one. */
TEST_F(LogWin, ReinstallAppendsOnlyNewEntries)
{
    std::string file = path("undo.log");
    ASSERT_EQ(1, log_Load(&list, file.c_str()));   /* first installation */
    EXPECT_NE(0, log_AddProduct(&list, "Acme", "Notes", "C:\\Acme\\Notes"));
    EXPECT_NE(0, log_AddDir(&list, "C:\\Acme\\Notes"));
    EXPECT_NE(0, log_AddFile(&list, "C:\\Acme\\Notes\\Notes.exe"));
    EXPECT_NE(0, log_AddSharedFile(&list, "C:\\W\\AcmeUI.dll", "AcmeUI.dll"));
    log_Save(&list, file.c_str());

    ASSERT_EQ(1, log_Load(&list, file.c_str()));   /* second, elsewhere */
    EXPECT_EQ(0, log_AddProduct(&list, "ACME", "Notes", "D:\\Notes"));
    EXPECT_EQ(0, log_AddDir(&list, "c:\\acme\\notes"));
    EXPECT_NE(0, log_AddDir(&list, "D:\\Notes"));
    EXPECT_EQ(0, log_AddFile(&list, "C:\\Acme\\Notes\\Notes.exe"));
    EXPECT_NE(0, log_AddFile(&list, "D:\\Notes\\Notes.exe"));
    EXPECT_EQ(0, log_AddSharedFile(&list, "C:\\W\\ACMEUI.DLL", "AcmeUI.dll"));
    EXPECT_NE(0, log_AddFile(&list, "C:\\W\\AcmeUI.dll"));
    log_Save(&list, file.c_str());

    ASSERT_EQ(1, log_Load(&list, file.c_str()));
    expect_list(list,
                {{LOG_PRODUCT, "Acme", "Notes", "C:\\Acme\\Notes"},
                 {LOG_DIR, "C:\\Acme\\Notes", nullptr, nullptr},
                 {LOG_FILE, "C:\\Acme\\Notes\\Notes.exe", nullptr, nullptr},
                 {LOG_SHAREDFILE, "C:\\W\\AcmeUI.dll", "AcmeUI.dll", nullptr},
                 {LOG_DIR, "D:\\Notes", nullptr, nullptr},
                 {LOG_FILE, "D:\\Notes\\Notes.exe", nullptr, nullptr},
                 {LOG_FILE, "C:\\W\\AcmeUI.dll", nullptr, nullptr}});
}

/* ---- log_Next ---------------------------------------------------------- */

TEST_F(LogWin, Next)
{
    LogEntry *none = log_Next(&list, nullptr, 0);
    EXPECT_EQ(nullptr, none) << "empty list";
    const int kinds[] = {LOG_PRODUCT, LOG_DIR, LOG_FILE, LOG_FILE,
                         LOG_SHAREDFILE, LOG_FILE};
    std::vector<LogEntry *> at;
    for (int i = 0; i < 6; i++) {
        std::string t = "C:\\" + std::to_string(i);
        ASSERT_EQ(1, log_Add(&list, kinds[i], t.c_str(), nullptr, nullptr));
        at.push_back(list.Tail);
    }
    struct Row {
        const char *name;
        int         after;   /* index, -1 for null */
        int         kind;
        int         want;    /* index, -1 for null */
    } rows[] = {
        {"any kind from the start", -1, 0, 0},
        {"any kind after the first", 0, 0, 1},
        {"any kind after the last", 5, 0, -1},
        {"files from the start", -1, LOG_FILE, 2},
        {"files after the first file", 2, LOG_FILE, 3},
        {"files after the second file", 3, LOG_FILE, 5},
        {"files after a shared file", 4, LOG_FILE, 5},
        {"files after the last", 5, LOG_FILE, -1},
        {"product from the start", -1, LOG_PRODUCT, 0},
        {"product after the product", 0, LOG_PRODUCT, -1},
        {"shared file from a folder", 1, LOG_SHAREDFILE, 4},
        {"a kind not recorded", -1, LOG_DRIVER, -1},
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        LogEntry *got = log_Next(&list, r.after < 0 ? nullptr : at[r.after],
                                 r.kind);
        EXPECT_EQ(r.want < 0 ? nullptr : at[r.want], got);
    }
    /* Walking all files in recorded order. */
    std::string walked;
    for (LogEntry *e = log_Next(&list, nullptr, LOG_FILE); e;
         e = log_Next(&list, e, LOG_FILE))
        walked += std::string(e->Text1) + ";";
    EXPECT_EQ("C:\\2;C:\\3;C:\\5;", walked);
}
