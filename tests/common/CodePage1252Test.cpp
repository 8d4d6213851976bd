#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace rq;

TEST(CodePage1252, EveryByteSurvivesARoundTrip)
{
    QByteArray all;
    for (int i = 0; i < 256; ++i)
        all.append(char(i));
    EXPECT_EQ(cp1252::encode(cp1252::decode(all)), all);
    EXPECT_EQ(cp1252::decode("\x80\xDF\xE4\x9C"), QStringLiteral("€ßäœ"));
}

TEST(CodePage1252, UnmappableCharactersBecomeQuestionMarks)
{
    EXPECT_EQ(cp1252::encode(QStringLiteral("a✓b")), QByteArray("a?b"));
    EXPECT_EQ(cp1252::encode(QStringLiteral("x😀y")), QByteArray("x?y"));
}

TEST(CodePage1252, SplitsAtEveryKindOfLineEnd)
{
    const struct
    {
        QString text;
        QStringList lines;
    } cases[] = {
        {QStringLiteral("a\r\nb"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\nb\n"), {QStringLiteral("a"), QStringLiteral("b")}},
        {QStringLiteral("a\rb\r\n\r\nc"), {QStringLiteral("a"), QStringLiteral("b"), QString(), QStringLiteral("c")}},
        {QString(), {}},
        {QStringLiteral("\n"), {QString()}},
    };
    for (const auto &c : cases)
        EXPECT_EQ(cp1252::splitLines(c.text), c.lines) << c.text.toStdString();
}

TEST(CodePage1252, FilesAreWrittenWithCrLfAndReadBack)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.txt"));
    cp1252::writeLines(path, {QStringLiteral("Müller"), QString(), QStringLiteral("€")});
    EXPECT_EQ(test::readBytes(path), QByteArray("M\xFCller\r\n\r\n\x80\r\n"));
    EXPECT_EQ(cp1252::readLines(path), QStringList({QStringLiteral("Müller"), QString(), QStringLiteral("€")}));

    EXPECT_THROW(cp1252::readLines(dir.path()), FileError);
    EXPECT_THROW(cp1252::readLines(dir.filePath(QStringLiteral("missing.txt"))), FileError);
    EXPECT_THROW(cp1252::writeLines(dir.filePath(QStringLiteral("no/such/dir/x.txt")), {}), FileError);
}
