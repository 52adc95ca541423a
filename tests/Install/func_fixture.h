/* func_fixture.h -- what the built-in and install tests share: a package
 * in a scratch folder opened as setup opens its own, a small script
 * compiled over setup's own handler table, the install state reset around
 * each test, and the pretended Windows version (version_fixture.h). */
#ifndef VELLUM_FUNC_FIXTURE_H
#define VELLUM_FUNC_FIXTURE_H

#include "functions.h"
#include "setup.h"
#include "state.h"
#include "journal.h"
#include "script/script.h"
#include "pkg/pkgwrite.h"
#include "pkgfix.h"
#include "version_fixture.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <map>
#include <string>
#include <vector>

typedef std::vector<uint8_t> FuncBytes;

struct FuncMember {
    std::string name;
    FuncBytes   bytes;
};

/* A text as a script's string literal. */
inline std::string func_Lit(const std::string &text)
{
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"')
            out += '\\';
        out += c;
    }
    return out + "\"";
}

/* Packs the members (Install.ini among them where a test wants one) into
 * dir\setup.pkg and opens it as setup's own package, closing the one
 * before. */
inline void func_OpenPackage(const std::string &dir,
                             const std::vector<FuncMember> &members)
{
    PkwPackage p;
    pkw_Init(p);
    for (const FuncMember &m : members)
        ASSERT_LT(0, pkw_AddFile(p, 0, m.name.c_str(), m.bytes.data(),
                                 m.bytes.size(), 9, NULL))
            << "member " << m.name;
    FuncBytes pkg;
    ASSERT_EQ(PKW_OK, pkw_Serialize(p, pkg));
    std::string path = dir + "\\setup.pkg";
    pkg_Close(InstallState.Package);
    InstallState.Package = NULL;
    ASSERT_TRUE(fix_Save(path, pkg)) << path;
    ASSERT_EQ(PKG_OK, pkg_Open(path.c_str(), &InstallState.Package)) << path;
}

inline std::vector<std::string> &func_Reports()
{
    static std::vector<std::string> reports;
    return reports;
}

inline void func_Record(const char *text) { func_Reports().push_back(text); }

/* Deletes a folder with everything in it, read-only files included. */
inline void func_RemoveTree(const std::string &d)
{
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA((d + "\\*").c_str(), &f);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            std::string n = f.cFileName, p = d + "\\" + n;
            if (n == "." || n == "..")
                continue;
            if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                func_RemoveTree(p);
            else {
                SetFileAttributesA(p.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(p.c_str());
            }
        } while (FindNextFileA(h, &f));
        FindClose(h);
    }
    RemoveDirectoryA(d.c_str());
}

/* The names that match pattern (a folder's path and a wildcard), with
 * everything below them, as "path" -> "dir" or the file's size. */
inline void func_ListTree(const std::string &pattern,
                          std::map<std::string, std::string> &out)
{
    std::string folder = pattern.substr(0, pattern.find_last_of('\\') + 1);
    WIN32_FIND_DATAA f;
    HANDLE h = FindFirstFileA(pattern.c_str(), &f);
    if (h == INVALID_HANDLE_VALUE)
        return;
    do {
        std::string n = f.cFileName, p = folder + n;
        if (n == "." || n == "..")
            continue;
        if (f.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out[p] = "dir";
            func_ListTree(p + "\\*", out);
        } else
            out[p] = std::to_string(f.nFileSizeLow);
    } while (FindNextFileA(h, &f));
    FindClose(h);
}

class FuncTest : public ::testing::Test {
  protected:
    std::string dir;
    std::string script;   /* the engine scans it again at every call */

    void SetUp() override
    {
        ASSERT_TRUE(fix_MakeTempDir(dir));
        ZeroMemory(&InstallState, sizeof InstallState);
        InstallState.NoLicense = InstallState.NoUninstall = 1;
        InstallState.LogChanges = 1;
        InstallState.IsNT = 1;
        func_Reports().clear();
        static const ScriptHost host = {func_Record, setup_Handlers};
        script_SetHost(&host);
    }

    void TearDown() override
    {
        pkg_Close(InstallState.Package);
        InstallState.Package = NULL;
        log_Save(&InstallState.UndoList, NULL);
        journal_Commit();            /* the before-images go */
        setup_GetVersion = NULL;
        script_SetHost(NULL);
        func_RemoveTree(dir);
        EXPECT_TRUE(func_Reports().empty()) << func_Reports()[0];
    }

    /* Packs the members and opens the package as setup's own. */
    void open_package(const std::vector<FuncMember> &members)
    {
        func_OpenPackage(dir, members);
    }

    /* Compiles the functions under the Company and Product settings. */
    void compile(const std::string &functions, const char *company = "",
                 const char *product = "")
    {
        script = std::string("// Company=") + company + "\r\n// Product=" +
                 product + "\r\n" + functions;
        ASSERT_EQ(1, script_Compile(&script[0]))
            << (func_Reports().empty() ? script : func_Reports()[0]);
    }

    /* "f() { return <call>; }" compiled and run once. */
    ScriptValue run(const std::string &call, const char *company = "",
                    const char *product = "")
    {
        compile("f() { return " + call + "; }\r\n", company, product);
        return script_Call("f");
    }
};

#endif
