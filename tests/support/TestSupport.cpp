#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "support/ScriptedOperator.h"

#include <QFile>

#include <gtest/gtest.h>

namespace rq::test {

TempDatabase::TempDatabase()
{
    ScriptedOperator op;
    RecordingErrorList errors;
    db::DatabaseSetup setup(op, errors);
    db = setup.run(dir.path(), 0, {});
    EXPECT_TRUE(db && db->isOpen());
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
}

TempDatabase::~TempDatabase() = default;

QByteArray readBytes(const QString &path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeBytes(const QString &path, const QByteArray &bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

}  // namespace rq::test
