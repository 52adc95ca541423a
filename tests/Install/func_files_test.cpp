/* func_files_test.cpp -- copy, copyshared, iscopyerror, makedir and the
 * path existence test, run from compiled scripts under Wine: the bytes on
 * disk, the undo list's entries, and the shared counts in the registry,
 * across installations of two products of one company and their
 * rollbacks. */
#include "func_fixture.h"
#include "shared.h"
#include "journal.h"

namespace {

const char kCompany[] = "Vellum FuncA Files Co";
const char kCompanyKey[] = "Software\\Vellum FuncA Files Co";
const char kShared[] = "funca_shared.dll";

const FuncBytes kAlpha = {'a', 'l', 'p', 'h', 'a'};
const FuncBytes kBeta = {'b', 'e', 't', 'a', '!'};

FuncBytes load(const std::string &path)
{
    FuncBytes b;
    if (!fix_Load(path, b))
        b = {'<', 'n', 'o', 'n', 'e', '>'};
    return b;
}

bool is_dir(const std::string &path)
{
    DWORD a = GetFileAttributesA(path.c_str());
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

/* The undo list's entries of a kind, as "text1|text2" lines. */
std::vector<std::string> entries(int kind)
{
    std::vector<std::string> out;
    LogList *list = &InstallState.UndoList;
    for (LogEntry *e = log_Next(list, NULL, kind); e;
         e = log_Next(list, e, kind))
        out.push_back(std::string(e->Text1 ? e->Text1 : "<null>") + "|" +
                      (e->Text2 ? e->Text2 : ""));
    return out;
}

unsigned count() { return shared_Count(kCompany, "", kShared); }

}  // namespace

class FuncFiles : public FuncTest {
  protected:
    std::string appDir;
    FuncBytes v1234, v2;

    void SetUp() override
    {
        FuncTest::SetUp();
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
        appDir = dir + "\\App";
        ASSERT_TRUE(CreateDirectoryA(appDir.c_str(), NULL));
        strcpy(InstallState.AppDir, appDir.c_str());
        ASSERT_TRUE(fix_Load(fix_PePath("x64", "v1_2_3_4"), v1234));
        ASSERT_TRUE(fix_Load(fix_PePath("x64", "v2_0_0_0"), v2));
        open_package({{"a.txt", kAlpha}, {"b.txt", kBeta},
                      {"tool.dll", v1234}});
    }

    void TearDown() override
    {
        RegDeleteTreeA(HKEY_LOCAL_MACHINE, kCompanyKey);
        FuncTest::TearDown();
    }

    /* One installation's run of a product: its log loaded as setup loads
     * it, the call made, the log saved again. */
    ScriptValue install_run(const char *product, const std::string &call)
    {
        std::string log = dir + "\\" + product + ".log";
        log_Save(&InstallState.UndoList, NULL);
        EXPECT_EQ(1, log_Load(&InstallState.UndoList, log.c_str()));
        ScriptValue v = run(call, kCompany, product);
        journal_Commit();
        log_Save(&InstallState.UndoList, log.c_str());
        EXPECT_EQ(1, log_Load(&InstallState.UndoList, log.c_str()));
        return v;
    }

    /* A product's removal as the uninstaller takes its shared files: both
     * counts released, the file deleted when neither holds it. */
    void remove(const char *product)
    {
        LogList list = {NULL, NULL};
        std::string log = dir + "\\" + product + ".log";
        ASSERT_EQ(1, log_Load(&list, log.c_str()));
        for (LogEntry *e = log_Next(&list, NULL, LOG_SHAREDFILE); e;
             e = log_Next(&list, e, LOG_SHAREDFILE))
            if (shared_ReleaseFile(kCompany, product, e->Text2, e->Text1))
                DeleteFileA(e->Text1);
        log_Save(&list, NULL);
        DeleteFileA(log.c_str());
    }
};

TEST_F(FuncFiles, Copy)
{
    const std::string old = dir + "\\old.txt", newer = dir + "\\newer.dll";
    ASSERT_TRUE(fix_Save(old, FuncBytes{'o', 'l', 'd'}));
    ASSERT_TRUE(fix_Save(newer, v2));
    const struct {
        const char *name, *member;
        std::string dest, path;   /* as written, as installed */
        int         value;
        FuncBytes   bytes;        /* the destination's afterwards */
        bool        logged;       /* the file is the product's */
    } rows[] = {
        {"macro", "a.txt", "%APPDIR%\\a.txt", appDir + "\\a.txt", 0, kAlpha,
         true},
        {"plain path", "b.txt", dir + "\\b.txt", dir + "\\b.txt", 0, kBeta,
         true},
        /* A file that was there is not the product's: not removed. */
        {"over a file", "a.txt", old, old, 0, kAlpha, false},
        {"newer file kept", "tool.dll", newer, newer, 0, v2, false},
        {"missing member", "none.txt", dir + "\\n.txt", dir + "\\n.txt", 1,
         {'<', 'n', 'o', 'n', 'e', '>'}, false},
        {"empty destination", "a.txt", "", "", 1, {}, false},
        /* No path setup writes: nothing is written. */
        {"relative", "a.txt", "rel.txt", dir + "\\rel.txt", 1,
         {'<', 'n', 'o', 'n', 'e', '>'}, false},
        {"dot parts", "a.txt", "%APPDIR%\\..\\up.txt", dir + "\\up.txt", 1,
         {'<', 'n', 'o', 'n', 'e', '>'}, false},
        {"device", "a.txt", dir + "\\nul.txt", "", 1, {}, false},
        {"stream", "a.txt", dir + "\\b.txt:s", "", 1, {}, false},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        InstallState.CopyError = 0;
        log_Save(&InstallState.UndoList, NULL);
        EXPECT_EQ(r.value, run(std::string("copy(\"") + r.member + "\", " +
                               func_Lit(r.dest) + ")"));
        EXPECT_EQ(r.value, InstallState.CopyError);
        if (!r.path.empty()) {
            EXPECT_EQ(r.bytes, load(r.path));
        }
        std::vector<std::string> want;
        if (r.logged)
            want.push_back(r.path + "|");   /* the expanded path */
        EXPECT_EQ(want, entries(LOG_FILE));
        EXPECT_TRUE(entries(0).size() == want.size()) << "other entries";
    }
}

TEST_F(FuncFiles, CopyErrorStopsLaterCopies)
{
    const std::string later = dir + "\\later.txt", shared = dir + "\\s.dll";
    EXPECT_EQ(0, run("iscopyerror()")) << "row before";
    EXPECT_EQ(1, run("copy(\"none.txt\", " + func_Lit(dir + "\\x.txt") + ")"))
        << "row failing copy";
    const struct { const char *name; std::string call; int value; } rows[] = {
        {"iscopyerror", "iscopyerror()", 1},
        {"copy of a good member", "copy(\"a.txt\", " + func_Lit(later) + ")",
         1},
        {"copyshared of a good member",
         "copyshared(\"a.txt\", " + func_Lit(shared) + ", \"" + kShared +
             "\")",
         1},
        {"iscopyerror still", "iscopyerror()", 1},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.value, run(r.call, kCompany, "Files A")) << "row " << r.name;
    EXPECT_FALSE(fix_Exists(later));
    EXPECT_FALSE(fix_Exists(shared));
    EXPECT_EQ(0u, count());
    EXPECT_TRUE(entries(0).empty()) << "entries written after the failure";
    /* The flag is all that stops them. */
    InstallState.CopyError = 0;
    EXPECT_EQ(0, run("copy(\"a.txt\", " + func_Lit(later) + ")"))
        << "row after clearing";
    EXPECT_EQ(kAlpha, load(later));
}

TEST_F(FuncFiles, NothingRecordedWithLoggingOff)
{
    InstallState.LogChanges = 0;
    const std::string file = dir + "\\f.txt", shared = dir + "\\s.dll",
                      folder = dir + "\\d1\\d2";
    EXPECT_EQ(0, run("copy(\"a.txt\", " + func_Lit(file) + ")")) << "row copy";
    EXPECT_EQ(0, run("copyshared(\"b.txt\", " + func_Lit(shared) + ", \"" +
                         kShared + "\")",
                     kCompany, "Files A"))
        << "row copyshared";
    EXPECT_EQ(0, run("makedir(" + func_Lit(folder) + ")")) << "row makedir";
    EXPECT_EQ(kAlpha, load(file));
    EXPECT_EQ(kBeta, load(shared));
    EXPECT_TRUE(is_dir(folder));
    EXPECT_EQ(1u, count()) << "a new file is counted all the same";
    EXPECT_TRUE(entries(0).empty());
}

/* Installations of two products of one company over one shared file, in
 * order; each row is one install run with that product's log. */
TEST_F(FuncFiles, SharedCounts)
{
    const std::string dest = appDir + "\\shared.dll";
    std::string upper = dest;
    for (char &c : upper)
        c = (char)toupper((unsigned char)c);
    const struct {
        const char *name, *product;
        std::string dest;
        bool        deleteFirst;   /* the file is gone before the run */
        unsigned    count;         /* afterwards */
    } rows[] = {
        {"A installs a new file", "Files A", dest, false, 1},
        {"A reinstalls over it", "Files A", dest, false, 1},
        {"A reinstalls after the file was deleted", "Files A", dest, true, 1},
        {"A reinstalls, path in other case", "Files A", upper, false, 1},
        {"B installs over A's file", "Files B", dest, false, 2},
        {"B reinstalls", "Files B", dest, false, 2},
        {"A again", "Files A", dest, false, 2},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        if (r.deleteFirst) {
            ASSERT_TRUE(DeleteFileA(dest.c_str()));
        }
        EXPECT_EQ(0, install_run(r.product, "copyshared(\"a.txt\", " +
                                                func_Lit(r.dest) + ", \"" +
                                                kShared + "\")"));
        EXPECT_EQ(kAlpha, load(dest));
        EXPECT_EQ(r.count, count());
        /* One entry per product, however often it installed. */
        EXPECT_EQ(std::vector<std::string>{dest + "|" + kShared},
                  entries(LOG_SHAREDFILE));
    }
    /* Both counts are kept, one per product; the removal of one product
     * leaves the file to the other. */
    EXPECT_EQ(2u, shared_SystemCount(dest.c_str()));
    remove("Files B");
    EXPECT_EQ(1u, count()) << "row B removed";
    EXPECT_EQ(1u, shared_SystemCount(dest.c_str())) << "row B removed";
    EXPECT_EQ(kAlpha, load(dest)) << "row B removed";
    remove("Files A");
    EXPECT_EQ(0u, count()) << "row A removed";
    EXPECT_EQ(0u, shared_SystemCount(dest.c_str())) << "row A removed";
    EXPECT_FALSE(fix_Exists(dest)) << "row A removed";
    HKEY h;
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            (std::string(kCompanyKey) + "\\Shared Files").c_str(),
                            0, KEY_QUERY_VALUE, &h))
        << "row A removed: the counts' key stays";
}

/* A file that was there before and that nobody counts is someone else's:
 * installed over, recorded, never counted, so never removed. */
TEST_F(FuncFiles, SharedForeignFile)
{
    const std::string dest = appDir + "\\foreign.dll";
    const FuncBytes theirs = {'t', 'h', 'e', 'i', 'r', 's'};
    ASSERT_TRUE(fix_Save(dest, theirs));
    const struct { const char *name, *product, *member; } rows[] = {
        {"A installs over a foreign file", "Files A", "a.txt"},
        {"B installs over it too", "Files B", "b.txt"},
        {"A reinstalls", "Files A", "a.txt"},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        EXPECT_EQ(0, install_run(r.product, std::string("copyshared(\"") +
                                                r.member + "\", " +
                                                func_Lit(dest) + ", \"" +
                                                kShared + "\")"));
        EXPECT_EQ(0u, count());
        EXPECT_EQ(std::vector<std::string>{dest + "|" + kShared},
                  entries(LOG_SHAREDFILE));
    }
    remove("Files A");
    remove("Files B");
    EXPECT_TRUE(fix_Exists(dest)) << "row removed: the file went";
    EXPECT_EQ(0u, count());
    EXPECT_EQ(0u, shared_SystemCount(dest.c_str()));
}

TEST_F(FuncFiles, SharedFailedCopyCountsNothing)
{
    const std::string dest = appDir + "\\f.dll";
    EXPECT_EQ(1, install_run("Files A", "copyshared(\"none.dll\", " +
                                            func_Lit(dest) + ", \"" + kShared +
                                            "\")"));
    EXPECT_EQ(1, InstallState.CopyError);
    EXPECT_EQ(0u, count());
    EXPECT_TRUE(entries(0).empty());
    EXPECT_FALSE(fix_Exists(dest));
}

/* The levels the call made are recorded, innermost first; a folder that
 * was there is not the product's. */
TEST_F(FuncFiles, MakeDir)
{
    const std::string deep = dir + "\\one\\two\\three";
    const struct {
        const char *name;
        std::string folder, path;
        std::vector<std::string> recorded;
    } rows[] = {
        {"three levels", deep, deep,
         {deep + "|", dir + "\\one\\two|", dir + "\\one|"}},
        {"one more level below them", deep + "\\four", deep + "\\four",
         {deep + "\\four|"}},
        {"existing folder", dir, dir, {}},
        {"macro", "%APPDIR%\\m1\\m2", appDir + "\\m1\\m2",
         {appDir + "\\m1\\m2|", appDir + "\\m1|"}},
    };
    for (const auto &r : rows) {
        SCOPED_TRACE(std::string("row ") + r.name);
        log_Save(&InstallState.UndoList, NULL);
        EXPECT_EQ(0, run("makedir(" + func_Lit(r.folder) + ")"));
        EXPECT_TRUE(is_dir(r.path));
        EXPECT_EQ(r.recorded, entries(LOG_DIR));
    }
    for (const char *level : {"\\one", "\\one\\two"})
        EXPECT_TRUE(is_dir(dir + level)) << "row three levels: " << level;
}

TEST(FuncFileExists, Paths)
{
    std::string dir;
    ASSERT_TRUE(fix_MakeTempDir(dir));
    const std::string file = dir + "\\f.txt";
    ASSERT_TRUE(fix_Save(file, kAlpha));
    /* A drive letter Wine has no drive for. */
    DWORD drives = GetLogicalDrives();
    std::string unmapped;
    for (char d = 'Y'; d > 'D' && unmapped.empty(); d--)
        if (!(drives & (1u << (d - 'A'))))
            unmapped = std::string(1, d) + ":\\";
    ASSERT_FALSE(unmapped.empty());
    const std::string missing = dir + "\\none";
    const struct { const char *name; const char *path; int exists; } rows[] = {
        {"empty text", "", 1},
        {"file", file.c_str(), 1},
        {"folder", dir.c_str(), 1},
        {"missing", missing.c_str(), 0},
        {"drive root", "C:\\", 1},
        {"unmapped drive root", unmapped.c_str(), 0},
        {"null", nullptr, 0},
    };
    for (const auto &r : rows)
        EXPECT_EQ(r.exists, file_Exists(r.path)) << "row " << r.name;
    fix_RemoveDir(dir);
}

/* A file's bytes, attributes and last write time, as a rollback must put
 * them back. */
struct FileState {
    FuncBytes bytes;
    DWORD     attributes;
    FILETIME  written;
};

static FileState state_of(const std::string &path)
{
    FileState f = {load(path), 0, {0, 0}};
    WIN32_FILE_ATTRIBUTE_DATA d;
    if (GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &d)) {
        f.attributes = d.dwFileAttributes;
        f.written = d.ftLastWriteTime;
    }
    return f;
}

static void expect_state(const FileState &want, const std::string &path,
                         const char *row)
{
    FileState got = state_of(path);
    EXPECT_EQ(want.bytes, got.bytes) << "row " << row;
    EXPECT_EQ(want.attributes, got.attributes) << "row " << row;
    EXPECT_EQ(0, CompareFileTime(&want.written, &got.written)) << "row " << row;
}

/* The run's journal takes back exactly what the run did: files it replaced
 * come back as they were (with their old time), files and folders it
 * made go, counts it raised fall back,
 * and what an earlier installation counted stays counted.  No
 * before-image is left in the temporary folder. */
TEST_F(FuncFiles, RollbackTakesBackOnlyThisRun)
{
    const std::string theirs = dir + "\\theirs.txt", shared = appDir +
                                                              "\\s.dll";
    ASSERT_TRUE(fix_Save(theirs, FuncBytes{'u', 's', 'e', 'r'}));
    FILETIME old = {0x12345678, 0x01C00000};
    HANDLE h = CreateFileA(theirs.c_str(), FILE_WRITE_ATTRIBUTES, 0, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    SetFileTime(h, NULL, NULL, &old);
    CloseHandle(h);
    /* An earlier installation of A counted the shared file. */
    EXPECT_EQ(0, install_run("Files A", "copyshared(\"a.txt\", " +
                                            func_Lit(shared) + ", \"" +
                                            kShared + "\")"));
    const FileState theirsBefore = state_of(theirs),
                    sharedBefore = state_of(shared);
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    std::map<std::string, std::string> tempBefore, tempAfter;
    func_ListTree(std::string(temp) + "vsetup*", tempBefore);

    /* B's run: over their file, a new file, the shared file, new
     * folders. */
    log_Save(&InstallState.UndoList, NULL);
    EXPECT_EQ(0, run("copy(\"b.txt\", " + func_Lit(theirs) + ")", kCompany, "Files B"));
    EXPECT_EQ(0, run("copy(\"b.txt\", " + func_Lit(dir + "\\new.txt") + ")", kCompany, "Files B"));
    EXPECT_EQ(0, run("copyshared(\"b.txt\", " + func_Lit(shared) + ", \"" +
                     kShared + "\")", kCompany, "Files B"));
    EXPECT_EQ(0, run("makedir(" + func_Lit(dir + "\\m1\\m2") + ")", kCompany, "Files B"));
    EXPECT_EQ(kBeta, load(theirs));
    EXPECT_EQ(2u, count());
    EXPECT_EQ(2u, shared_SystemCount(shared.c_str()));

    journal_Rollback();
    expect_state(theirsBefore, theirs, "replaced file");
    expect_state(sharedBefore, shared, "shared file");
    EXPECT_FALSE(fix_Exists(dir + "\\new.txt")) << "row new file";
    EXPECT_FALSE(fix_Exists(dir + "\\m1")) << "row new folders";
    EXPECT_EQ(1u, count()) << "row A's count";
    EXPECT_EQ(1u, shared_SystemCount(shared.c_str())) << "row A's count";
    func_ListTree(std::string(temp) + "vsetup*", tempAfter);
    EXPECT_EQ(tempBefore, tempAfter) << "row before-images";
    remove("Files A");
}

/* A file that cannot be kept for the rollback is not replaced. */
TEST_F(FuncFiles, NoImageNoReplace)
{
    const std::string locked = dir + "\\locked.txt";
    ASSERT_TRUE(fix_Save(locked, FuncBytes{'l', 'o', 'c', 'k'}));
    /* Open without read sharing: no copy can be made of it. */
    HANDLE h = CreateFileA(locked.c_str(), GENERIC_READ, 0, NULL,
                           OPEN_EXISTING, 0, NULL);
    ASSERT_NE(INVALID_HANDLE_VALUE, h);
    EXPECT_EQ(1, run("copy(\"a.txt\", " + func_Lit(locked) + ")"));
    EXPECT_EQ(1, InstallState.CopyError);
    CloseHandle(h);
    EXPECT_EQ((FuncBytes{'l', 'o', 'c', 'k'}), load(locked));
    EXPECT_TRUE(entries(0).empty());
}
