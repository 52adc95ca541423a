/* Prefs_win_test.cpp -- preferences against real INI files under Wine:
 * every row starts in an empty folder of its own, writes through prefs_
 * or lays down a file by hand, and checks what the readers answer and
 * what the file holds afterwards, byte for byte. */
#include "knobkit.h"

#include <gtest/gtest.h>
#include <stdint.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace {

/* A new empty folder under the temporary one, removed with what it holds
 * (one level of files) at the end. */
struct Folder {
    char dir[MAX_PATH] = "";
    Folder()
    {
        char tmp[MAX_PATH], name[MAX_PATH];
        if (GetTempPathA(MAX_PATH, tmp) && GetTempFileNameA(tmp, "kkp", 0, name)) {
            DeleteFileA(name);
            if (CreateDirectoryA(name, NULL))
                strcpy(dir, name);
        }
    }
    ~Folder()
    {
        for (const std::string &f : files())
            DeleteFileA(path(f.c_str()).c_str());
        RemoveDirectoryA(dir);
    }
    Folder(const Folder &) = delete;
    Folder &operator=(const Folder &) = delete;
    std::string path(const char *name) const
    {
        return std::string(dir) + "\\" + name;
    }
    /* The names of the files in it. */
    std::vector<std::string> files() const
    {
        std::vector<std::string> v;
        WIN32_FIND_DATAA fd;
        HANDLE h = FindFirstFileA(path("*").c_str(), &fd);
        if (h == INVALID_HANDLE_VALUE)
            return v;
        do
            if (!(fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
                v.push_back(fd.cFileName);
        while (FindNextFileA(h, &fd));
        FindClose(h);
        return v;
    }
};

/* A file's bytes; "(none)" when it cannot be opened. */
std::string file_Read(const std::string &path)
{
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return "(none)";
    std::string s;
    char buf[4096];
    size_t n;
    while ((n = fread(buf, 1, sizeof buf, f)) > 0)
        s.append(buf, n);
    fclose(f);
    return s;
}

void file_Write(const std::string &path, const std::string &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_TRUE(f) << path;
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

/* settings.ini of the folder, with content laid down first unless null. */
std::string ini_Lay(const Folder &d, const char *content)
{
    std::string file = d.path("settings.ini");
    if (content)
        file_Write(file, content);
    return file;
}

/* The hex text of n words 0x01000000 + i, and the words themselves. */
std::string words_Text(int n)
{
    std::string s;
    char w[9];
    for (int i = 0; i < n; i++) {
        snprintf(w, sizeof w, "%08x", 0x01000000u + i);
        s += w;
    }
    return s;
}

std::vector<uint32_t> words_Make(int n)
{
    std::vector<uint32_t> v;
    for (int i = 0; i < n; i++)
        v.push_back(0x01000000u + i);
    return v;
}

/* ---- Writers: what the file holds after a row's calls on a new file --- */

struct WriteRow {
    const char *name;
    const char *before;   /* the file laid down first; null: none */
    std::function<void(const char *file)> write;
    std::string want;     /* the file afterwards; "(none)": no file */
};

const uint32_t pair[2] = {1, 255};
const uint32_t six[2] = {0x12345678, 0xABCD};
int32_t listA = 1, listB = -2, listC = 2147483647;
const PrefsInt list3[] = {{"A", &listA}, {"B", &listB}, {"Skip", NULL},
                          {"C", &listC}, {NULL, NULL}};
std::vector<uint32_t> big = words_Make(128);

const WriteRow writeRows[] = {
    {"string", NULL,
     [](const char *f) { prefs_SetString(f, "Main", "Name", "Vellum"); },
     "[Main]\r\nName=Vellum\r\n"},
    {"empty string", NULL,
     [](const char *f) { prefs_SetString(f, "Main", "Name", ""); },
     "[Main]\r\nName=\r\n"},
    {"sentinel string", NULL,
     [](const char *f) { prefs_SetString(f, "Main", "Name", "default"); },
     "[Main]\r\nName=default\r\n"},
    {"int -5", NULL, [](const char *f) { prefs_SetInt(f, "Main", "Count", -5); },
     "[Main]\r\nCount=-5\r\n"},
    {"int min", NULL,
     [](const char *f) { prefs_SetInt(f, "Main", "Count", INT32_MIN); },
     "[Main]\r\nCount=-2147483648\r\n"},
    {"ints in list order", NULL,
     [](const char *f) { prefs_SetInts(f, "Main", list3); },
     "[Main]\r\nA=1\r\nB=-2\r\nC=2147483647\r\n"},
    {"struct 1 and 255", NULL,
     [](const char *f) { prefs_SetStruct(f, "Main", "Data", pair, 8); },
     "[Main]\r\nData=00000001000000ff\r\n"},
    {"struct of size 6", NULL,
     [](const char *f) { prefs_SetStruct(f, "Main", "Data", six, 6); },
     "[Main]\r\nData=12345678\r\n"},
    {"struct of size 3", NULL,
     [](const char *f) { prefs_SetStruct(f, "Main", "Data", six, 3); },
     "[Main]\r\nData=\r\n"},
    {"struct of 127 words", NULL,
     [](const char *f) {
         prefs_SetStruct(f, "Main", "Data", big.data(), PREFS_STRUCT_MAX);
     },
     "[Main]\r\nData=" + words_Text(127) + "\r\n"},
    {"oversize struct refused", "[Main]\r\nData=00000001\r\n",
     [](const char *f) {
         prefs_SetStruct(f, "Main", "Data", big.data(), PREFS_STRUCT_MAX + 4);
     },
     "[Main]\r\nData=00000001\r\n"},
    {"oversize struct by one byte", "[Main]\r\nData=00000001\r\n",
     [](const char *f) {
         prefs_SetStruct(f, "Main", "Data", big.data(), PREFS_STRUCT_MAX + 1);
     },
     "[Main]\r\nData=00000001\r\n"},
    {"delete a key", "[Main]\r\nA=1\r\nB=2\r\n",
     [](const char *f) { prefs_DelKey(f, "Main", "A"); }, "[Main]\r\nB=2\r\n"},
    {"null value deletes", "[Main]\r\nA=1\r\nB=2\r\n",
     [](const char *f) { prefs_SetString(f, "Main", "B", NULL); },
     "[Main]\r\nA=1\r\n"},
    {"second section", "[Main]\r\nA=1\r\n",
     [](const char *f) { prefs_SetInt(f, "Other", "A", 7); },
     "[Main]\r\nA=1\r\n[Other]\r\nA=7\r\n"},
    {"replace a value", "[Main]\r\nA=1\r\nB=2\r\n",
     [](const char *f) { prefs_SetString(f, "Main", "A", "one"); },
     "[Main]\r\nA=one\r\nB=2\r\n"},
};

TEST(Prefs, WritersByTable)
{
    for (const WriteRow &r : writeRows) {
        Folder d;
        std::string file = ini_Lay(d, r.before);
        r.write(file.c_str());
        EXPECT_EQ(file_Read(file), r.want) << "row " << r.name;
    }
}

/* ---- Readers: what they answer from a file laid down by hand ---- */

/* The structure is three words preset to P before each row. */
const uint32_t P = 0x5A5A5A5Au;

struct ReadRow {
    const char *name;
    const char *content;   /* null: no file */
    const char *key;
    int bufSize;           /* prefs_GetString's buffer */
    BOOL strOk;
    const char *str;       /* the buffer afterwards */
    int intValue;          /* prefs_GetInt with the default 42 (the
                              system's: leading digits, 42 for empty) */
    int structSize;        /* prefs_GetStruct */
    BOOL structOk;
    std::vector<uint32_t> words;
};

const ReadRow readRows[] = {
    {"the sentinel", "[Main]\r\nK=default\r\n", "K", 64, FALSE, "", 0, 4,
     FALSE, {P, P, P}},
    {"an empty value", "[Main]\r\nK=\r\n", "K", 64, TRUE, "", 42, 0, TRUE,
     {P, P, P}},
    {"a string", "[Main]\r\nK=Vellum\r\n", "K", 64, TRUE, "Vellum", 0, 4,
     FALSE, {P, P, P}},
    {"a missing key", "[Main]\r\nK=1\r\n", "J", 64, FALSE, "", 42, 4, FALSE,
     {P, P, P}},
    {"a missing file", NULL, "K", 64, FALSE, "", 42, 8, FALSE, {P, P, P}},
    {"-5", "[Main]\r\nK=-5\r\n", "K", 64, TRUE, "-5", -5, 4, FALSE,
     {P, P, P}},
    {"a struct of size 6", "[Main]\r\nK=12345678\r\n", "K", 64, TRUE,
     "12345678", 12345678, 6, TRUE, {0x12345678, P, P}},
    {"upper-case digits", "[Main]\r\nK=00000001000000FF\r\n", "K", 64, TRUE,
     "00000001000000FF", 1000000, 8, TRUE, {1, 255, P}},
    {"seven digits", "[Main]\r\nK=0000000\r\n", "K", 64, TRUE, "0000000", 0,
     4, FALSE, {P, P, P}},
    {"a bad second word", "[Main]\r\nK=00000001zz\r\n", "K", 64, TRUE,
     "00000001zz", 1, 12, FALSE, {1, P, P}},
    {"case of the sentinel", "[Main]\r\nK=Default\r\n", "K", 64, TRUE,
     "Default", 0, 4, FALSE, {P, P, P}},
    /* Buffers shorter than the sentinel still tell it from a value. */
    {"cut to 3", "[Main]\r\nK=defer\r\n", "K", 4, TRUE, "def", 0, 4, FALSE,
     {P, P, P}},
    {"sentinel in 4", "[Main]\r\nK=default\r\n", "K", 4, FALSE, "", 0, 4,
     FALSE, {P, P, P}},
    {"missing in 4", "[Main]\r\nK=1\r\n", "J", 4, FALSE, "", 42, 4, FALSE,
     {P, P, P}},
    {"missing in 1", "[Main]\r\nK=1\r\n", "J", 1, FALSE, "", 42, 4, FALSE,
     {P, P, P}},
    {"longer than the sentinel in 8", "[Main]\r\nK=defaults\r\n", "K", 8,
     TRUE, "default", 0, 4, FALSE, {P, P, P}},
    {"cut to the sentinel in 8", "[Main]\r\nK=default\r\n", "K", 8, FALSE,
     "", 0, 4, FALSE, {P, P, P}},
    {"cut in 9", "[Main]\r\nK=defaults\r\n", "K", 9, TRUE, "defaults", 0, 4,
     FALSE, {P, P, P}},
    {"cut in 10", "[Main]\r\nK=defaultsX\r\n", "K", 9, TRUE, "defaults", 0,
     4, FALSE, {P, P, P}},
};

TEST(Prefs, ReadersByTable)
{
    for (const ReadRow &r : readRows) {
        Folder d;
        std::string file = ini_Lay(d, r.content);
        const char *f = file.c_str();
        char buf[64];
        memset(buf, 'x', sizeof buf);
        buf[sizeof buf - 1] = 0;
        EXPECT_EQ(prefs_GetString(f, "Main", r.key, buf, r.bufSize), r.strOk)
            << "row " << r.name;
        EXPECT_STREQ(buf, r.str) << "row " << r.name;
        EXPECT_EQ(prefs_GetInt(f, "Main", r.key, 42), r.intValue)
            << "row " << r.name;
        uint32_t words[3] = {P, P, P};
        EXPECT_EQ(prefs_GetStruct(f, "Main", r.key, words, r.structSize),
                  r.structOk)
            << "row " << r.name;
        EXPECT_TRUE(std::vector<uint32_t>(words, words + 3) == r.words)
            << "row " << r.name << ": words " << std::hex << words[0] << " "
            << words[1] << " " << words[2];
        EXPECT_EQ(file_Read(file), r.content ? r.content : "(none)")
            << "row " << r.name << ": the readers changed the file";
    }
}

/* A missing file leaves every listed integer as it was, and is not made. */
TEST(Prefs, GetIntsOnAMissingFile)
{
    Folder d;
    int32_t a = 5, b = -6;
    const PrefsInt list[] = {{"A", &a}, {"B", &b}, {NULL, NULL}};
    prefs_GetInts(d.path("none.ini").c_str(), "Main", list);
    EXPECT_EQ(a, 5);
    EXPECT_EQ(b, -6);
    EXPECT_TRUE(d.files().empty()) << "row missing file: a file was made";
}

/* Each listed integer takes its key's value; a missing key or a row
 * without an integer leaves it. */
TEST(Prefs, GetIntsFromAFile)
{
    Folder d;
    std::string file = d.path("settings.ini");
    file_Write(file, "[Main]\r\nA=10\r\nB=-20\r\nSkip=3\r\n");
    int32_t a = 1, b = 2, c = 3;
    const PrefsInt list[] = {{"A", &a}, {"Skip", NULL}, {"B", &b}, {"C", &c},
                             {NULL, NULL}};
    prefs_GetInts(file.c_str(), "Main", list);
    EXPECT_EQ(a, 10);
    EXPECT_EQ(b, -20);
    EXPECT_EQ(c, 3);
}

/* Written and read back: strings, integers and the largest structure. */
TEST(Prefs, RoundTrip)
{
    Folder d;
    std::string path = d.path("round.ini");
    const char *f = path.c_str();
    std::vector<uint32_t> in = words_Make(127), out(128, P);
    prefs_SetStruct(f, "S", "Big", in.data(), PREFS_STRUCT_MAX);
    EXPECT_TRUE(prefs_GetStruct(f, "S", "Big", out.data(), PREFS_STRUCT_MAX));
    EXPECT_TRUE(std::vector<uint32_t>(out.begin(), out.begin() + 127) == in);
    EXPECT_EQ(out[127], P) << "row 127 words: the 128th word was written";
    /* The oversize one is refused on reading too, nothing touched. */
    std::vector<uint32_t> over(128, P);
    EXPECT_FALSE(
        prefs_GetStruct(f, "S", "Big", over.data(), PREFS_STRUCT_MAX + 4));
    EXPECT_TRUE(over == std::vector<uint32_t>(128, P));
    for (int32_t v : {0, 1, -1, -5, 123456789, INT32_MAX, INT32_MIN}) {
        prefs_SetInt(f, "I", "V", v);
        EXPECT_EQ(prefs_GetInt(f, "I", "V", 42), v) << "row " << v;
    }
}

/* A relative name is a file in the current folder at the time of the
 * call, not in the Windows folder. */
TEST(Prefs, RelativeNameInTheCurrentFolder)
{
    Folder one, two;
    char old[MAX_PATH], windir[MAX_PATH];
    GetCurrentDirectoryA(MAX_PATH, old);
    GetWindowsDirectoryA(windir, MAX_PATH);
    const char *name = "kk_prefs_relative.ini";
    ASSERT_TRUE(SetCurrentDirectoryA(one.dir));
    prefs_SetInt(name, "Main", "Count", -5);
    ASSERT_TRUE(SetCurrentDirectoryA(two.dir));
    int there = prefs_GetInt(name, "Main", "Count", 42);
    prefs_SetString(name, "Main", "Name", "two");
    ASSERT_TRUE(SetCurrentDirectoryA(one.dir));
    int back = prefs_GetInt(name, "Main", "Count", 42);
    SetCurrentDirectoryA(old);
    EXPECT_EQ(file_Read(one.path(name)), "[Main]\r\nCount=-5\r\n");
    EXPECT_EQ(file_Read(two.path(name)), "[Main]\r\nName=two\r\n");
    EXPECT_EQ(there, 42) << "row folder two read folder one's file";
    EXPECT_EQ(back, -5);
    EXPECT_EQ(file_Read(std::string(windir) + "\\" + name), "(none)")
        << "row the file went to the Windows folder";
}

/* A null file, section, key or list does nothing: no file, and the
 * readers answer 0 or FALSE. */
TEST(Prefs, NullArgumentsDoNothing)
{
    Folder d;
    std::string path = d.path("null.ini");
    const char *f = path.c_str();
    int32_t v = 9;
    const PrefsInt list[] = {{"A", &v}, {NULL, NULL}};
    const uint32_t data = 1;
    prefs_SetString(NULL, "S", "K", "x");
    prefs_SetString(f, NULL, "K", "x");
    prefs_SetString(f, "S", NULL, "x");
    prefs_SetInt(f, NULL, "K", 1);
    prefs_SetInt(f, "S", NULL, 1);
    prefs_SetInts(f, NULL, list);
    prefs_SetInts(f, "S", NULL);
    prefs_SetStruct(f, NULL, "K", &data, 4);
    prefs_SetStruct(f, "S", NULL, &data, 4);
    prefs_SetStruct(f, "S", "K", NULL, 4);
    prefs_SetStruct(f, "S", "K", &data, -4);
    EXPECT_TRUE(d.files().empty()) << "row null writers: a file was made";

    file_Write(path, "[S]\r\nK=00000007\r\nA=3\r\n");
    prefs_DelKey(f, "S", NULL);   /* the system would drop the section */
    prefs_DelKey(f, NULL, "K");
    prefs_SetString(f, "S", NULL, NULL);
    EXPECT_EQ(file_Read(path), "[S]\r\nK=00000007\r\nA=3\r\n")
        << "row null deleters";
    char buf[8] = "xyz";
    EXPECT_FALSE(prefs_GetString(NULL, "S", "K", buf, sizeof buf));
    EXPECT_STREQ(buf, "");
    EXPECT_FALSE(prefs_GetString(f, "S", "K", NULL, 8));
    EXPECT_EQ(prefs_GetInt(f, NULL, "A", 42), 0);
    EXPECT_EQ(prefs_GetInt(f, "S", NULL, 42), 0);
    EXPECT_EQ(prefs_GetInt(NULL, "S", "A", 42), 0);
    uint32_t w = P;
    EXPECT_FALSE(prefs_GetStruct(f, "S", NULL, &w, 4));
    EXPECT_FALSE(prefs_GetStruct(NULL, "S", "K", &w, 4));
    EXPECT_EQ(w, P);
    prefs_GetInts(f, NULL, list);
    prefs_GetInts(NULL, "S", list);
    EXPECT_EQ(v, 9);
}

/* A name whose full path does not fit MAX_PATH is a file that is neither
 * written nor read, rather than one whose path the system left cut. */
TEST(Prefs, PathLongerThanMaxPath)
{
    Folder d;
    std::string name = d.path(std::string(MAX_PATH, 'x').c_str()) + "\\k.ini";
    const char *f = name.c_str();
    prefs_SetInt(f, "S", "K", 5);
    EXPECT_EQ(prefs_GetInt(f, "S", "K", 42), 42);
    char buf[8] = "xyz";
    EXPECT_FALSE(prefs_GetString(f, "S", "K", buf, sizeof buf));
    EXPECT_STREQ(buf, "");
    uint32_t w = P;
    EXPECT_FALSE(prefs_GetStruct(f, "S", "K", &w, 4));
    EXPECT_EQ(w, P);
    EXPECT_TRUE(d.files().empty());
}

} // namespace
