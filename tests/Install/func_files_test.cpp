/* func_files_test.cpp -- copy, copyshared, iscopyerror, makedir and the
 * path existence test, run from compiled scripts under Wine: the bytes on
 * disk, the undo list's entries, and the shared counts in the registry,
 * across installations of two products of one company and their
 * rollbacks. */
#include "func_fixture.h"
#include "shared.h"

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
        log_Save(&InstallState.UndoList, log.c_str());
        EXPECT_EQ(1, log_Load(&InstallState.UndoList, log.c_str()));
        return v;
    }

    /* setup's rollback of a product's recorded installations. */
    void rollback(const char *product)
    {
        log_Save(&InstallState.UndoList, NULL);
        compile("", kCompany, product);
        strcpy(InstallState.LogPath, (dir + "\\" + product + ".log").c_str());
        setup_Rollback();
        ASSERT_TRUE(CreateDirectoryA(appDir.c_str(), NULL) ||
                    is_dir(appDir));
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
    } rows[] = {
        {"macro", "a.txt", "%APPDIR%\\a.txt", appDir + "\\a.txt", 0, kAlpha},
        {"plain path", "b.txt", dir + "\\b.txt", dir + "\\b.txt", 0, kBeta},
        {"over a file", "a.txt", old, old, 0, kAlpha},
        {"newer file kept", "tool.dll", newer, newer, 0, v2},
        {"missing member", "none.txt", dir + "\\n.txt", dir + "\\n.txt", 1,
         {'<', 'n', 'o', 'n', 'e', '>'}},
        {"empty destination", "a.txt", "", "", 1, {}},
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
        if (r.value == 0)
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
    /* The removal of one product leaves the file to the other. */
    rollback("Files B");
    EXPECT_EQ(1u, count()) << "row B rolled back";
    EXPECT_EQ(kAlpha, load(dest)) << "row B rolled back";
    rollback("Files A");
    EXPECT_EQ(0u, count()) << "row A rolled back";
    EXPECT_FALSE(fix_Exists(dest)) << "row A rolled back";
    HKEY h;
    EXPECT_NE(ERROR_SUCCESS,
              RegOpenKeyExA(HKEY_LOCAL_MACHINE,
                            (std::string(kCompanyKey) + "\\Shared Files").c_str(),
                            0, KEY_QUERY_VALUE, &h))
        << "row A rolled back: the counts' key stays";
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
    rollback("Files A");
    rollback("Files B");
    EXPECT_TRUE(fix_Exists(dest)) << "row rolled back: removed";
    EXPECT_EQ(0u, count());
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

/* The folder is recorded, then the levels above it that the call made,
 * innermost first, so that removal (in recorded order, empty folders
 * only) takes them all. */
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
        {"existing folder", dir, dir, {dir + "|"}},
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
