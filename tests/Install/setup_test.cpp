#include "pkg/pkg.h"
#include <gtest/gtest.h>

TEST(Setup, OpenMissing)
{
    PackageHandle *h;
    EXPECT_EQ(PKG_EOPEN, pkg_Open("C:\\no\\such\\file.exe", &h));
}
