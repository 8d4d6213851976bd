#include "common/IniFile.h"
#include "common/WindowGeometry.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace rq;

class IniFileTest : public ::testing::Test
{
protected:
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("Ranquill.ini"));
    IniFile ini{path};
};

TEST_F(IniFileTest, MissingFileGivesDefaults)
{
    EXPECT_EQ(ini.readInt(QStringLiteral("DB"), QStringLiteral("RebuildId"), 0), 0);
    EXPECT_EQ(ini.readString(QStringLiteral("Options"), QStringLiteral("PDF-Path"), QStringLiteral("x")),
              QStringLiteral("x"));
    const WindowGeometry g =
        readWindowGeometry(ini, QStringLiteral("MainForm"), QSize(640, 480), QSize(1025, 769), GeometryKeys::All);
    EXPECT_EQ(g.top, 144);  // (769 - 480) / 2 rounded toward zero
    EXPECT_EQ(g.left, 192);
    EXPECT_EQ(g.width, 640);
    EXPECT_EQ(g.height, 480);
    EXPECT_FALSE(g.maximised);
}

TEST_F(IniFileTest, KeepsCommentsUnknownKeysAndIgnoresCase)
{
    test::writeBytes(path, "; von Hand\r\n[windows]\r\nmainformtop = 17\r\nFremd=1\r\n\r\n[DB]\r\nRebuildId=7\r\n");
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("MainFormTop"), 0), 17);
    ASSERT_TRUE(ini.writeInt(QStringLiteral("WINDOWS"), QStringLiteral("MainFormLeft"), 5));
    ASSERT_TRUE(ini.writeInt(QStringLiteral("Windows"), QStringLiteral("MAINFORMTOP"), 18));
    EXPECT_EQ(test::readBytes(path),
              QByteArray("; von Hand\r\n[windows]\r\nMAINFORMTOP=18\r\nFremd=1\r\nMainFormLeft=5\r\n\r\n[DB]\r\n"
                         "RebuildId=7\r\n"));
}

TEST_F(IniFileTest, ValuesThatAreNoIntegersReadAsDefault)
{
    test::writeBytes(path, "[Windows]\nA=12abc\nB=\nC=-4\nD=\"9\"\n");
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("A"), 3), 3);
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("B"), 3), 3);
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("C"), 3), -4);
    EXPECT_EQ(ini.readInt(QStringLiteral("Windows"), QStringLiteral("D"), 3), 9);
}

TEST_F(IniFileTest, NonAsciiKeyStaysReadableInTheFile)
{
    ASSERT_TRUE(ini.writeString(QStringLiteral("Formulas"), QStringLiteral("7-Kugelstoßen"), QStringLiteral("L 2 *")));
    EXPECT_EQ(test::readBytes(path), QByteArray("[Formulas]\r\n7-Kugelsto\xDF"
                                                "en=L 2 *\r\n"));
    EXPECT_EQ(ini.readString(QStringLiteral("formulas"), QStringLiteral("7-KUGELSTOSSEN")), QString());
    EXPECT_EQ(ini.readString(QStringLiteral("formulas"), QStringLiteral("7-Kugelstoßen")), QStringLiteral("L 2 *"));
}

TEST_F(IniFileTest, MaximisedCloseKeepsTheNormalGeometry)
{
    WindowGeometry normal{100, 50, 500, 700, false};
    writeWindowGeometry(ini, QStringLiteral("MainForm"), normal, GeometryKeys::All);
    WindowGeometry maximised{0, 0, 1000, 1900, true};
    writeWindowGeometry(ini, QStringLiteral("MainForm"), maximised, GeometryKeys::All);
    const WindowGeometry g =
        readWindowGeometry(ini, QStringLiteral("MainForm"), QSize(640, 480), QSize(1920, 1080), GeometryKeys::All);
    EXPECT_TRUE(g.maximised);
    EXPECT_EQ(g.top, 100);
    EXPECT_EQ(g.left, 50);
    EXPECT_EQ(g.height, 500);
    EXPECT_EQ(g.width, 700);

    // A window that stores only its position never reads or writes a size.
    writeWindowGeometry(ini, QStringLiteral("AboutBox"), normal, GeometryKeys::Position);
    EXPECT_FALSE(ini.contains(QStringLiteral("Windows"), QStringLiteral("AboutBoxHeight")));
}
