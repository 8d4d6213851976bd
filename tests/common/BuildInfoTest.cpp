#include "common/AppPaths.h"
#include "common/BuildInfo.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

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

TEST(AppPaths, BesideTheProgramOnlyWhenItIsNotInstalled)
{
    QTemporaryDir root;
    const QString home = root.filePath(QStringLiteral("home"));
    qputenv("XDG_CONFIG_HOME", (home + QStringLiteral("/config")).toUtf8());
    qputenv("XDG_DATA_HOME", (home + QStringLiteral("/data")).toUtf8());
    const QString build = root.filePath(QStringLiteral("build/src"));
    const QString installedBin = root.filePath(QStringLiteral("prefix/bin"));
    QDir().mkpath(build);
    QDir().mkpath(installedBin);
    QDir().mkpath(root.filePath(QStringLiteral("prefix/share/applications")));
    QFile entry(root.filePath(QStringLiteral("prefix/share/applications/ranquill.desktop")));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.close();

    const struct
    {
        QString programDirectory;
        QString base;  // where Daten and PDF-Temp go
    } cases[] = {
        {build, build + u'/'},  // a build: beside the program
        {installedBin, home + QStringLiteral("/data/Ranquill/")},  // installed: the user's folders, even for root
    };
    for (const auto &c : cases) {
        const AppPaths paths = AppPaths::forProgramDirectory(c.programDirectory);
        EXPECT_EQ(paths.baseDirectory, c.base);
        EXPECT_EQ(paths.aliasFile, home + QStringLiteral("/config/Ranquill/RANBASE.cfg"));
    }
    qunsetenv("XDG_CONFIG_HOME");
    qunsetenv("XDG_DATA_HOME");
}
