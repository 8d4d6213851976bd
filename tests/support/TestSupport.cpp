#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "support/ScriptedOperator.h"

#include <QFile>

#include <csignal>
#include <sys/resource.h>

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

FileSizeLimit::FileSizeLimit(qint64 bytes)
{
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_previous = qint64(limit.rlim_cur);
    limit.rlim_cur = rlim_t(bytes);
    setrlimit(RLIMIT_FSIZE, &limit);
}

FileSizeLimit::~FileSizeLimit()
{
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = rlim_t(m_previous);
    setrlimit(RLIMIT_FSIZE, &limit);
}

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
