/* mkfixture.cpp -- packages for setup's end-to-end tests.
 *
 *   mkfixture STUB OUT.exe [NAME=FILE...]
 *
 * writes OUT.exe: the bytes of STUB followed by a package holding each FILE
 * as member NAME of the root folder, in the order given.  Unlike vpack it
 * packs whatever it is told, a package without Install.ini included, which
 * is what the tests of setup's refusals need.  Exit code 0, or 1 with a
 * message.
 */
#include "pkg/pkgwrite.h"
#include "pkgfix.h"

#include <stdio.h>
#include <string.h>

#include <string>
#include <vector>

static int fail(const char *what, const char *name)
{
    fprintf(stderr, "mkfixture: %s: %s\n", what, name);
    return 1;
}

int main(int argc, char **argv)
{
    if (argc < 3) {
        fprintf(stderr, "usage: mkfixture STUB OUT.exe [NAME=FILE...]\n");
        return 1;
    }
    std::vector<uint8_t> out;
    if (!fix_Load(argv[1], out))
        return fail("cannot read", argv[1]);
    PkwPackage pkg;
    pkw_Init(pkg);
    for (int i = 3; i < argc; i++) {
        const char *eq = strchr(argv[i], '=');
        if (!eq)
            return fail("not NAME=FILE", argv[i]);
        std::string name(argv[i], (size_t)(eq - argv[i]));
        std::vector<uint8_t> data;
        if (!fix_Load(eq + 1, data))
            return fail("cannot read", eq + 1);
        int err = 0;
        if (pkw_AddFile(pkg, 0, name.c_str(), data.data(), data.size(), 9,
                        &err) < 0)
            return fail(pkw_Message(err), name.c_str());
    }
    int rc = pkw_Serialize(pkg, out);
    if (rc != PKW_OK)
        return fail(pkw_Message(rc), argv[2]);
    if (!fix_Save(argv[2], out))
        return fail("cannot write", argv[2]);
    return 0;
}
