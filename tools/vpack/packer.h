/* packer.h -- `vpack build`: a product folder and a stub into a setup.
 *
 * The setup is the stub's bytes up to the end of its PE image, then the
 * package (pkg.h).  Members are compressed in parallel, largest first, and
 * laid out in entry order, so the same input always gives the same bytes.
 */
#ifndef VPACK_PACKER_H
#define VPACK_PACKER_H

#include <string>
#include <vector>

struct PackerOptions {
    std::string dir;            /* product folder, Install.ini at its top */
    std::string output;         /* the setup to write */
    std::string stub;           /* "" for the default (packer_StubPlaces) */
    std::string uninstaller;    /* "" for the default (packer_UninstallPlaces) */
    bool        noUninstaller;  /* pack no Uninstall.exe at all */
    int         codepage;       /* of the names setup reads (cp_Known) */
};

/* 0 when the setup was written; 1 when refused, the cause on stderr and no
 * output file left behind (an older one is kept as it was). */
int packer_Build(const PackerOptions &opt);

/* Where the stub and the uninstaller are looked for when none is given,
 * first place first. */
std::vector<std::string> packer_StubPlaces(void);
std::vector<std::string> packer_UninstallPlaces(void);

#endif
