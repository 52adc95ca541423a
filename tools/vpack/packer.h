/* packer.h -- `vpack build`: a product folder and a stub into a setup.
 *
 * The setup is the stub's bytes up to the end of its PE image, then the
 * package (pkg.h).  Members are compressed in parallel, largest first, and
 * laid out in entry order, so the same input always gives the same bytes.
 */
#ifndef VPACK_PACKER_H
#define VPACK_PACKER_H

#include "codepage.h"

#include <string>
#include <vector>

/* The machines a setup can be made for, as --arch names them. */
#define PACKER_X86   0          /* i386: runs on every Windows */
#define PACKER_X64   1          /* x86-64 */
#define PACKER_ARCHS 2

struct PackerOptions {
    std::string dir;            /* product folder, Install.ini at its top */
    std::string output;         /* the setup to write */
    std::string stub;           /* "" for the default (packer_StubPlaces) */
    std::string uninstaller;    /* "" for the default (packer_UninstallPlaces) */
    bool        noUninstaller = false; /* pack no Uninstall.exe at all */
    int         codepage = CP_DEFAULT; /* of the names setup reads (cp_Known) */
    std::vector<std::string> excludes;  /* patterns (exclude.h) left out */
    bool        defaultExcludes = true; /* exclude_Defaults as well */
    int         arch = -1;      /* PACKER_X86 or PACKER_X64, which the stub
                                   must be; -1: the stub's own, PACKER_X86
                                   for the default stub */
    bool        werror = false;        /* the script's warnings are errors */
    bool        allowMissing = false;  /* a member the script copies may be
                                          missing (a warning, not an error) */
};

/* 0 when the setup was written; 1 when refused, the cause on stderr and no
 * output file left behind (an older one is kept as it was). */
int packer_Build(const PackerOptions &opt);

/* The package paths of the files a build of opt.dir would hold, from the
 * same scan (--exclude and the defaults apply; Uninstall.exe as given in
 * opt.uninstaller, else only DIR's own), for the checker to compare a
 * script's members with.  1, or 0 with *why set to what build would
 * refuse. */
int packer_Members(const PackerOptions &opt, std::vector<std::string> *members,
                   std::string *why);

/* The arch --arch calls name, else -1; an arch's name ("x86") and its text
 * in messages ("x86 (32-bit)"). */
int         packer_Arch(const char *name);
const char *packer_ArchName(int arch);
const char *packer_ArchText(int arch);
/* Every arch's name, "x86 or x64", for messages. */
std::string packer_ArchNames(void);

/* Where the stub and the uninstaller of a setup for arch are looked for when
 * none is given, first place first: setup.exe and Uninstall.exe beside
 * vpack, then the ones the build of that arch makes.  A place counts only
 * when it holds a PE image for that arch's machine, so the programs beside
 * vpack serve the arch they are built for. */
std::vector<std::string> packer_StubPlaces(int arch);
std::vector<std::string> packer_UninstallPlaces(int arch);

#endif
