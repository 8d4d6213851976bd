#include "common/BuildInfo.h"

#include <gtest/gtest.h>

using namespace rq;

TEST(BuildInfo, OsLineShape)
{
    EXPECT_EQ(build::osLine(QStringLiteral("Linux"), QStringLiteral("6.1.0-18-amd64"),
                            QStringLiteral("Debian GNU/Linux 12 (bookworm)")),
              QStringLiteral("Linux 6.1 (Build 0: Debian GNU/Linux 12 (bookworm))"));
    EXPECT_EQ(build::osLine(QStringLiteral("Linux"), QStringLiteral("5.15.90"), QString()),
              QStringLiteral("Linux 5.15 (Build 90)"));
    EXPECT_EQ(build::osLine(QStringLiteral("Linux"), QStringLiteral("unbekannt"), QString()),
              QStringLiteral("Linux 0.0"));
    EXPECT_GT(build::physicalMemoryKb(), 0);
}
