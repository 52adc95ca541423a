/* vpack_t.h -- what every vpack test file shares: small trees and files
 * made under one temporary root, vpack run as a program with its exit code
 * and output, and the forms vpack prints.  Defined in vpack_t.cpp, which
 * also holds main.
 *
 * usage: vpack_test VPACK [VPACK_PLAIN [STUB UNINST [STUB64 UNINST64]]]
 * VPACK is the program under test (the sanitized build); VPACK_PLAIN, the
 * ordinary build, must write the same bytes; STUB is the x86 stub vpack
 * falls back to when none lies beside it, UNINST the uninstaller; STUB64
 * and UNINST64 are those of x64. */
#ifndef VPACK_T_H
#define VPACK_T_H

#include <gtest/gtest.h>

#include <stdint.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern std::string g_vpack, g_vpackPlain, g_configuredStub, g_configuredUninst;
extern std::string g_configuredStub64, g_configuredUninst64;
extern std::string g_root;   /* every file of the run lives below it */
extern std::string g_stub;   /* a small PE image made at start */

/* ---- files ------------------------------------------------------------- */

std::string slurp(const std::string &path);
/* Writes data to path, making its folders. */
void spit(const std::string &path, const std::string &data);
/* lstat: a dangling link exists. */
bool exists(const std::string &path);
/* A new, empty folder g_root/name for one case. */
std::string fresh(const std::string &name);
/* Bytes that compress somewhat, like a program would. */
std::string pattern(size_t n, unsigned seed);
/* A minimal PE32+ image whose one section ends at rawEnd, its file header
 * naming machine (x86-64 unless told). */
void make_pe(const std::string &path, uint32_t rawEnd,
             uint16_t machine = 0x8664);

/* ---- running vpack ----------------------------------------------------- */

struct Result {
    int         code;
    std::string out, err;
};

struct RunOptions {
    bool asNobody = false;    /* as root, run as nobody: chmod 000 counts */
    bool errTerminal = false; /* stderr on a pseudo-terminal */
};

/* args[0] run with stdin from /dev/null; its exit code and output. */
Result run(const std::vector<std::string> &args,
           const RunOptions &opt = RunOptions());
/* args behind the program under test. */
std::vector<std::string> vpack(std::vector<std::string> args);
/* build DIR -o OUT --stub <made here> --no-uninstaller, plus extra */
Result build(const std::string &dir, const std::string &out,
             std::vector<std::string> extra = {"--no-uninstaller"});
/* A result for a failure message. */
std::string trace(const Result &r);

/* ---- trees ------------------------------------------------------------- */

/* A file (folder == false) or folder on disk, or an entry in a package;
 * path with '/' on disk and '\' in a package. */
struct Node {
    std::string path;
    bool        folder;
    std::string data;
};

Node F(const std::string &path, const std::string &data);
Node D(const std::string &path);
void make_tree(const std::string &dir, const std::vector<Node> &nodes);
/* What libdeflate makes of data at vpack's level: its zlib stream's length. */
size_t deflate_size(const std::string &data);
/* The list output expected for entries in package order. */
std::string listing(const std::vector<Node> &entries);
/* Every file and folder below dir, as package paths. */
std::vector<Node> read_tree(const std::string &dir);
/* Extracted tree against the expected entries, byte for byte. */
void expect_tree(const std::string &dir, std::vector<Node> want);

/* The product most cases start from. */
extern const std::vector<Node> base_tree;

/* ---- scripts ----------------------------------------------------------- */

/* Script text with CR LF line ends from lines given without them. */
std::string crlf(const std::vector<std::string> &lines);
/* A script file of its own for one row. */
std::string script_at(const std::string &name, const std::string &text);
/* text with every "FILE:" that starts a line made path + ":": expected
 * findings written without the run's own path. */
std::string with_file(const std::string &text, const std::string &path);

/* The warning of a script without a NoUninstall setting, whose first
 * line is first. */
std::string no_uninstaller(const std::string &path, const std::string &first);

/* The lines run prints at the end: the install state left behind. */
std::string state(int reboot, int update, int noUninstall, int logChanges,
                  int steps, int range);
extern const std::string clean_state;

/* The first block of four-space indented lines after marker in text,
 * without the indent; blank lines inside it kept. */
std::vector<std::string> indented_block(const std::string &text,
                                        const std::string &marker);

#endif
