#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/SafeFile.h"
#include "support/QtPrinters.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <functional>
#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace rq;

namespace {

QString fifoIn(const QTemporaryDir &dir, const char *name)
{
    const QString path = dir.filePath(QString::fromLatin1(name));
    EXPECT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    return path;
}

QString errorOf(const std::function<void()> &work)
{
    try {
        work();
    } catch (const FileError &e) {
        return e.message();
    }
    return QStringLiteral("<kein Fehler>");
}

}  // namespace

TEST(SafeFile, WhatIsNoReadableRegularFileIsAnErrorNamingIt)
{
    QTemporaryDir dir;
    const struct
    {
        const char *kind;
        QString path;
        const char *says;
    } cases[] = {
        // A pipe without a writer must be refused at once, not waited on.
        {"pipe without writer", fifoIn(dir, "pipe.v2e"), "keine gewöhnliche Datei"},
        {"directory", dir.path(), "ist ein Verzeichnis"},
        {"character device", QStringLiteral("/dev/zero"), "keine gewöhnliche Datei"},
        // A regular file whose read fails (EIO) is no empty file.
        {"read error", QStringLiteral("/proc/self/mem"), "kann nicht gelesen werden"},
        {"missing file", dir.filePath(QStringLiteral("fehlt.v2e")), "kann nicht geöffnet werden"},
    };
    for (const auto &c : cases) {
        for (const bool streamed : {false, true}) {
            const QString message = errorOf([&] {
                if (streamed)
                    cp1252::forEachLine(c.path, [](const QString &) {});
                else
                    cp1252::readLines(c.path);
            });
            EXPECT_TRUE(message.contains(QString::fromUtf8(c.says))) << c.kind << ": " << message.toStdString();
            EXPECT_TRUE(message.contains(c.path)) << c.kind;
        }
    }
}

TEST(SafeFile, OutputsReplaceOnlyRegularFiles)
{
    QTemporaryDir dir;
    const QString pipe = fifoIn(dir, "pipe.sql");
    const QString linkToPipe = dir.filePath(QStringLiteral("link.sql"));
    ASSERT_TRUE(QFile::link(pipe, linkToPipe));
    for (const QString &target : {pipe, linkToPipe, dir.path()}) {
        EXPECT_THROW(cp1252::writeLines(target, {QStringLiteral("x")}), FileError) << target.toStdString();
        struct stat st = {};
        ASSERT_EQ(::lstat(QFile::encodeName(pipe).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode)) << "the pipe was replaced through " << target.toStdString();
    }
    // A regular file is replaced, also through a link to it.
    const QString file = dir.filePath(QStringLiteral("a.txt"));
    const QString linkToFile = dir.filePath(QStringLiteral("b.txt"));
    cp1252::writeLines(file, {QStringLiteral("alt")});
    ASSERT_TRUE(QFile::link(file, linkToFile));
    cp1252::writeLines(linkToFile, {QStringLiteral("neu")});
    EXPECT_EQ(test::readBytes(file), QByteArray("neu\r\n"));
}

TEST(SafeFile, AWriteThatFailsOnTheWayKeepsTheOldFile)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("Export.e2v"));
    cp1252::writeLines(path, {QStringLiteral("alt")});
    const QStringList big(20000, QString(60, u'x'));
    {
        const test::FileSizeLimit full(64 * 1024);
        const QString message = errorOf([&] { cp1252::writeLines(path, big); });
        EXPECT_TRUE(message.contains(QStringLiteral("kann nicht geschrieben werden"))) << message.toStdString();
    }
    EXPECT_EQ(test::readBytes(path), QByteArray("alt\r\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("Export.e2v")});
}
