#include "support/TestSupport.h"

#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "support/ScriptedOperator.h"

#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>

#include <csignal>
#include <sys/resource.h>

#include <gtest/gtest.h>

namespace rq::test {

namespace {

// Before any test or application object: headless, German, and settings
// directories of the suite's own, whatever the developer's session has.
[[maybe_unused]] const bool s_environment = [] {
    const QByteArray home = RANQUILL_TEST_HOME;
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("XDG_CONFIG_HOME", home + "/config");
    qputenv("XDG_DATA_HOME", home + "/data");
    qputenv("XDG_RUNTIME_DIR", home + "/run");
    qputenv("LANG", "de_CH.UTF-8");
    return true;
}();

QString environment(const char *name)
{
    return qEnvironmentVariable(name);
}

db::ServerSettings testServer(const QString &database)
{
    db::ServerSettings server;
    server.host = environment("RANQUILL_TEST_PG_HOST");
    server.port = environment("RANQUILL_TEST_PG_PORT").toInt();
    if (server.port == 0)
        server.port = 5432;
    server.user = environment("RANQUILL_TEST_PG_USER");
    server.database = database;
    return server;
}

// Runs one statement on the server's own database "postgres".
void administer(const QString &sql)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("test-admin-%1").arg(counter.fetchAndAddRelaxed(1));
    {
        const db::ServerSettings server = testServer(QStringLiteral("postgres"));
        QSqlDatabase admin = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        admin.setHostName(server.host);
        admin.setPort(server.port);
        admin.setUserName(server.user);
        admin.setDatabaseName(server.database);
        if (!admin.open())
            ADD_FAILURE() << "Test server: " << admin.lastError().text().toStdString();
        else if (QSqlQuery query(admin); !query.exec(sql))
            ADD_FAILURE() << sql.toStdString() << ": " << query.lastError().text().toStdString();
        admin.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// On the server's side of the suite without a server to run on, the tests are
// skipped; where the server is required (scripts/test.sh) they fail.
class ServerEnvironment : public ::testing::Environment
{
public:
    void SetUp() override
    {
        if (!onServer() || !environment("RANQUILL_TEST_PG_HOST").isEmpty())
            return;
        if (!environment("RANQUILL_TEST_PG_REQUIRED").isEmpty())
            FAIL() << "RANQUILL_TEST_ENGINE=postgres, but no test server (RANQUILL_TEST_PG_HOST)";
        GTEST_SKIP() << "No PostgreSQL test server (RANQUILL_TEST_PG_HOST)";
    }
};

[[maybe_unused]] const auto *const s_serverEnvironment = ::testing::AddGlobalTestEnvironment(new ServerEnvironment);

}  // namespace

bool onServer()
{
    return environment("RANQUILL_TEST_ENGINE") == QStringLiteral("postgres");
}

db::ServerSettings createServerDatabase()
{
    static QAtomicInt counter;
    const QString name =
        QStringLiteral("rq_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter.fetchAndAddRelaxed(1));
    administer(QStringLiteral("CREATE DATABASE ") + name + QStringLiteral(" TEMPLATE template0 ENCODING 'UTF8'"));
    return testServer(name);
}

void dropServerDatabase(const db::ServerSettings &server)
{
    administer(QStringLiteral("DROP DATABASE IF EXISTS %1 WITH (FORCE)").arg(server.database));
}

void refuseUpdates(db::Database &db, const QString &table, const QString &condition)
{
    const QString name = QStringLiteral("REFUSE_") + table;
    if (db.engine() == db::Engine::Postgres) {
        db.exec(QStringLiteral("CREATE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN IF %2 THEN RAISE "
                               "EXCEPTION 'gesperrt'; END IF; RETURN NEW; END $$")
                    .arg(name, condition));
        db.exec(QStringLiteral("CREATE TRIGGER %1 BEFORE UPDATE ON %2 FOR EACH ROW EXECUTE FUNCTION %1()")
                    .arg(name, table));
    } else {
        db.exec(
            QStringLiteral("CREATE TRIGGER %1 BEFORE UPDATE ON %2 WHEN %3 BEGIN SELECT RAISE(ABORT, 'gesperrt'); END")
                .arg(name, table, condition));
    }
}

TempDatabase::TempDatabase()
{
    ScriptedOperator op;
    RecordingErrorList errors;
    db::DatabaseSetup setup(op, errors);
    if (onServer()) {
        server = createServerDatabase();
        setup.useServer(server);
    }
    db = setup.run(dir.path(), 0, {});
    EXPECT_TRUE(db && db->isOpen());
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
}

std::unique_ptr<db::Database> TempDatabase::connect() const
{
    auto other =
        server.isSet() ? std::make_unique<db::Database>(server) : std::make_unique<db::Database>(db->filePath());
    other->setLocalDirectory(dir.path());
    other->open();
    return other;
}

TempDatabase::~TempDatabase()
{
    db.reset();
    if (server.isSet())
        dropServerDatabase(server);
}

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
