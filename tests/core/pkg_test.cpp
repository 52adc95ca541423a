#include "pkg/pkg.h"
#include "pkg/pkgwrite.h"

#include <gtest/gtest.h>
#include <string.h>

TEST(Pkg, RoundTrip)
{
    PkwPackage p;
    pkw_Init(p);
    const char text[] = "hello";
    ASSERT_EQ(1, pkw_AddFile(p, 0, "Install.ini", text, 5, 9, NULL));
    std::vector<uint8_t> out;
    ASSERT_EQ(PKW_OK, pkw_Serialize(p, out));
    PackageHandle *h;
    ASSERT_EQ(PKG_OK, pkg_OpenView(out.data(), out.size(), &h));
    void *b;
    uint32_t n;
    ASSERT_EQ(PKG_OK, pkg_Extract(h, "install.INI", &b, &n));
    EXPECT_EQ(5u, n);
    EXPECT_STREQ("hello", (char *)b);
    pkg_Free(b);
    pkg_Close(h);
}
