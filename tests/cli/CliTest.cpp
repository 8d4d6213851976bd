#include "common/CodePage1252.h"
#include "common/SingleInstance.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <sys/stat.h>

#include <gtest/gtest.h>

namespace {

struct Result
{
    int exitCode = -1;
    QString out;
    QString err;
};

// Runs the real ranquill-cli on a data directory of its own.
class CliTest : public ::testing::Test
{
protected:
    // How a run differs from the plain one.
    struct Setting
    {
        QString stdoutFile;  // standard output goes there
        QString runtimeDir;  // another user runtime directory
        QString shell;  // a shell line run before the command ("ulimit -f 1")
    };

    Result cli(const QStringList &arguments, bool withData = true, const Setting &setting = {})
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"),
                   setting.runtimeDir.isEmpty() ? runtime.path() : setting.runtimeDir);
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        if (!setting.stdoutFile.isEmpty())
            process.setStandardOutputFile(setting.stdoutFile);
        QStringList args;
        if (withData)
            args << QStringLiteral("--data") << dataDir() << QStringLiteral("--ini") << ini;
        if (setting.shell.isEmpty()) {
            process.start(QStringLiteral(RANQUILL_CLI), args + arguments);
        } else {
            process.start(QStringLiteral("bash"),
                          QStringList{QStringLiteral("-c"), setting.shell + QStringLiteral("; exec \"$0\" \"$@\""),
                                      QStringLiteral(RANQUILL_CLI)} +
                              args + arguments);
        }
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }
    QString dataDir() const { return dir.filePath(QStringLiteral("Daten")); }
    QString file(const QString &name, const QStringList &lines)
    {
        const QString path = dir.filePath(name);
        rq::cp1252::writeLines(path, lines);
        return path;
    }
    QString participant(int nr) const
    {
        return QStringLiteral("2\t12\t%1\t\t\t0\t\t\t\t\tMeier%1\tHans\t1990\tTV\tBern\tLA\tAktive").arg(nr);
    }
    QString performance(int nr, int disz, int unit) const
    {
        return QStringLiteral("1\t12\t%1\t%2\t%3\t0\t\t\tMeter\tWeit%2\tMeier%1\tHans\t1990\tTV\tBern\tLA\tAktive")
            .arg(nr)
            .arg(disz)
            .arg(unit);
    }

    QTemporaryDir dir;
    QTemporaryDir runtime;
    QString ini = dir.filePath(QStringLiteral("Ranquill.ini"));
};

}  // namespace

TEST_F(CliTest, ImportSqlCaptureAndPdf)
{
    const QString v2e =
        file(QStringLiteral("event.v2e"), {participant(1), participant(2), QStringLiteral("2\t12\t3\t\t\t7"),
                                           performance(1, 1, 2), performance(2, 1, 2)});
    Result r = cli({QStringLiteral("import-v2e"), v2e});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QStringLiteral("Fehler in Zeile 3: Status ID ungültig\n"));

    r = cli({QStringLiteral("sql"), QStringLiteral("select PERS_ID, NAME, RANG from PERSON order by 1")});
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.out, QStringLiteral("PERS_ID\tNAME\tRANG\n1\tMeier1\t\n2\tMeier2\t\n"));

    rq::cp1252::writeLines(ini, {QStringLiteral("[Formulas]"), QStringLiteral("1-Weit1=L 100 *")});
    r = cli({QStringLiteral("capture"), QStringLiteral("12"), QStringLiteral("1"), QStringLiteral("1=5.5"),
             QStringLiteral("--format"), QStringLiteral("1")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("1\t5.50\t550.0\nTOTAL\t550.0\n"));
    r = cli({QStringLiteral("capture"), QStringLiteral("12"), QStringLiteral("2"), QStringLiteral("1=-3")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Fehler: Negative Leistung nicht erlaubt")));

    EXPECT_EQ(cli({QStringLiteral("new-list"), QStringLiteral("12"), QStringLiteral("0")}).exitCode, 0);
    EXPECT_EQ(
        cli({QStringLiteral("sql"), QStringLiteral("update RANGLISTE set LAYOUT = 'EINZEL', KATEGORIE_D = 'Aktive'")})
            .exitCode,
        0);
    EXPECT_EQ(
        cli({QStringLiteral("generate"), QStringLiteral("12"), QStringLiteral("--award"), QStringLiteral("Kranz")})
            .exitCode,
        0);
    EXPECT_EQ(cli({QStringLiteral("rank"), QStringLiteral("12"), QStringLiteral("0")}).exitCode, 0);
    const QString pdf = dir.filePath(QStringLiteral("List12.pdf"));
    r = cli({QStringLiteral("print-pdf"), QStringLiteral("12"), QStringLiteral("0"), pdf});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_GT(QFileInfo(pdf).size(), 1000);
    EXPECT_TRUE(rq::test::readBytes(pdf).startsWith("%PDF"));

    const QString text = dir.filePath(QStringLiteral("EINZEL-12-0.txt"));
    EXPECT_EQ(cli({QStringLiteral("prestage-txt"), QStringLiteral("12"), QStringLiteral("0"), text}).exitCode, 0);
    EXPECT_TRUE(rq::cp1252::readLines(text).value(1).startsWith(QStringLiteral("1\t1\tMeier1 Hans\t1990\tTV Bern")));
}

TEST_F(CliTest, AnImportNamedRelativelyStoresItsFullPath)
{
    file(QStringLiteral("event.v2e"), {participant(1)});
    EXPECT_EQ(cli({QStringLiteral("import-v2e"), QStringLiteral("event.v2e")}).exitCode, 0);
    const QString full = QFileInfo(dir.filePath(QStringLiteral("event.v2e"))).absoluteFilePath();
    EXPECT_EQ(cli({QStringLiteral("sql"), QStringLiteral("select PFAD, FILENAME from IMPORT")}).out,
              QStringLiteral("PFAD\tFILENAME\n") + full + u'\t' + full + u'\n');
}

TEST_F(CliTest, UsageAndLock)
{
    EXPECT_EQ(cli({}).exitCode, 2);
    EXPECT_EQ(cli({QStringLiteral("rank"), QStringLiteral("x")}).exitCode, 2);
    const Result r = cli({QStringLiteral("bogus")});
    EXPECT_EQ(r.exitCode, 2);
    EXPECT_TRUE(r.err.startsWith(QStringLiteral("Aufruf: ranquill-cli")));

    // While another copy holds the lock, the command line refuses.
    QProcess holder;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    holder.setProcessEnvironment(env);
    holder.start(QStringLiteral("flock"),
                 {runtime.filePath(QStringLiteral("RANQUILL.lock")), QStringLiteral("sleep"), QStringLiteral("30")});
    ASSERT_TRUE(holder.waitForStarted());
    for (int i = 0; i < 50 && !QFileInfo::exists(runtime.filePath(QStringLiteral("RANQUILL.lock"))); ++i)
        QThread::msleep(20);
    QThread::msleep(200);
    const Result locked = cli({QStringLiteral("sql"), QStringLiteral("select 1")});
    holder.kill();
    holder.waitForFinished();
    EXPECT_EQ(locked.exitCode, 3);
    EXPECT_TRUE(locked.err.contains(QStringLiteral("Ranquill wird bereits ausgeführt.")));
}

TEST_F(CliTest, ListExchangeFilesAndTextTables)
{
    const auto sql = [&](const QString &statement) { return cli({QStringLiteral("sql"), statement}); };
    ASSERT_EQ(sql(QStringLiteral("insert into RANGLISTE (KAT_NR, KLASSE_NR, VERSION) values (12, 0, '7')")).exitCode,
              0);
    ASSERT_EQ(sql(QStringLiteral("insert into RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, VEREIN) values (12, 0, 1, "
                                 "'O''Brien')"))
                  .exitCode,
              0);
    Result r = cli({QStringLiteral("export-list"), QStringLiteral("12"), QStringLiteral("0"),
                    dir.filePath(QStringLiteral("12_0_Vers8.txt")), QStringLiteral("--dev")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("DET_12_0_Vers8.txt\n")));
    EXPECT_EQ(sql(QStringLiteral("select VERSION from RANGLISTE")).out, QStringLiteral("VERSION\n8\n"));

    // One good list and one name that is none: the good one is loaded, the exit says not all.
    ASSERT_EQ(sql(QStringLiteral("delete from RANGPOS")).exitCode, 0);
    r = cli({QStringLiteral("import-list"), dir.filePath(QStringLiteral("POS_12_0_Vers8.txt")),
             file(QStringLiteral("xy_z.txt"), {QStringLiteral("KAT_NR")})});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Fehler: Keine Ranglistentabelle gefunden"))) << r.err.toStdString();
    EXPECT_EQ(sql(QStringLiteral("select VERSION, VEREIN from RANGLISTE join RANGPOS using (KAT_NR)")).out,
              QStringLiteral("VERSION\tVEREIN\n0\tO'Brien\n"));

    // A text table: without the flag the first refused line ends it with the engine's error.
    const QString clubs =
        file(QStringLiteral("VEREIN.txt"), {QStringLiteral("VEREIN_ID\tORT"), QStringLiteral("1\tBern"),
                                            QStringLiteral("x\tThun"), QStringLiteral("3\tZug")});
    r = cli({QStringLiteral("import-table"), clubs});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.err.contains(QStringLiteral("Zeile  2 konnten nicht eingefügt werden!"))) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("Fehler: datatype mismatch"))) << r.err.toStdString();
    EXPECT_EQ(sql(QStringLiteral("select count(*) from VEREIN")).out, QStringLiteral("count(*)\n1\n"));
    r = cli({QStringLiteral("import-table"), clubs, QStringLiteral("--ignore-errors")});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_TRUE(r.out.startsWith(QStringLiteral("Zeile 1: ")) && r.out.contains(QStringLiteral("\nZeile 2: ")))
        << r.out.toStdString();
    EXPECT_TRUE(r.out.endsWith(QStringLiteral("1 Zeile(n) eingefügt\n"))) << r.out.toStdString();
    EXPECT_EQ(cli({QStringLiteral("import-table"),
                   file(QStringLiteral("VEREIN.neu.txt"), {QStringLiteral("VEREIN_ID"), QStringLiteral("4")})})
                  .exitCode,
              0);
}

TEST_F(CliTest, UsageErrorsTouchNothing)
{
    const struct
    {
        QStringList words;
        bool withData;
        int exitCode;
    } cases[] = {
        {{QStringLiteral("--help")}, false, 0},
        {{QStringLiteral("--data"), QString(), QStringLiteral("backup"), QStringLiteral("x.sql")}, false, 2},
        {{QStringLiteral("rank"), QStringLiteral("99999999999"), QStringLiteral("0")}, false, 2},
        {{QStringLiteral("rank"), QStringLiteral("1"), QStringLiteral("0"), QStringLiteral("--bogus")}, true, 2},
        {{QStringLiteral("print-pdf"), QStringLiteral("1"), QStringLiteral("0"), QString()}, true, 2},
        {{QStringLiteral("capture"), QStringLiteral("1"), QStringLiteral("2"), QStringLiteral("x")}, true, 2},
        {{QStringLiteral("import-list")}, true, 2},
    };
    for (const auto &c : cases) {
        const Result r = cli(c.words, c.withData);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.words.join(u' ').toStdString() << r.err.toStdString();
        EXPECT_TRUE((c.exitCode == 0 ? r.out : r.err).startsWith(QStringLiteral("Aufruf: ranquill-cli")));
        EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("config")))) << c.words.join(u' ').toStdString();
        EXPECT_FALSE(QFileInfo::exists(dataDir())) << c.words.join(u' ').toStdString();
    }
}

TEST_F(CliTest, CommandsThatReadNeedADatabaseAndLeaveADamagedOneAlone)
{
    const QString out = dir.filePath(QStringLiteral("out"));
    const QList<QStringList> readers = {
        {QStringLiteral("backup"), out},
        {QStringLiteral("export-e2v"), out},
        {QStringLiteral("sql"), QStringLiteral("select count(*) from PERSON")},
        {QStringLiteral("print-pdf"), QStringLiteral("1"), QStringLiteral("0"), out},
        {QStringLiteral("snapshots")},
    };
    for (const QStringList &words : readers) {
        const Result r = cli(words);
        EXPECT_EQ(r.exitCode, 1) << words.first().toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("Keine Datenbank"))) << r.err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(dataDir())) << words.first().toStdString();
        EXPECT_FALSE(QFileInfo::exists(out));
    }
    // A damaged database stays as it is, whatever the command; the last good backup too.
    ASSERT_TRUE(QDir().mkpath(dataDir()));
    const QString damaged = dataDir() + QStringLiteral("/ranbase.sqlite");
    rq::test::writeBytes(damaged, QByteArray(8192, 'x'));
    rq::test::writeBytes(out, "gute Sicherung");
    for (const QStringList &words : readers + QList<QStringList>{{QStringLiteral("import-v2e"), out}}) {
        const Result r = cli(words);
        EXPECT_EQ(r.exitCode, 1) << words.first().toStdString();
        EXPECT_TRUE(r.err.contains(QStringLiteral("beschädigt"))) << r.err.toStdString();
    }
    EXPECT_EQ(rq::test::readBytes(damaged), QByteArray(8192, 'x'));
    EXPECT_EQ(QDir(dataDir()).entryList(QDir::Files),
              QStringList({QStringLiteral("ranbase.sqlite"), QStringLiteral("ranbase.sqlite.lock")}));
    EXPECT_EQ(rq::test::readBytes(out), QByteArray("gute Sicherung"));
    // A database without rows does not replace the backup either.
    QFile::remove(damaged);
    EXPECT_EQ(cli({QStringLiteral("sql"), QStringLiteral("create table T (a)")}).exitCode, 0);
    const Result empty = cli({QStringLiteral("backup"), out});
    EXPECT_EQ(empty.exitCode, 1);
    EXPECT_TRUE(empty.err.contains(QStringLiteral("keine Daten"))) << empty.err.toStdString();
    EXPECT_EQ(rq::test::readBytes(out), QByteArray("gute Sicherung"));
}

TEST_F(CliTest, FailuresOfInputsAndOutputsAreNeverASuccess)
{
    QStringList participants;
    for (int i = 1; i <= 2000; ++i)
        participants << participant(i);
    ASSERT_EQ(cli({QStringLiteral("import-v2e"), file(QStringLiteral("event.v2e"), participants)}).exitCode, 0);
    const QString pipe = dir.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    const QString e2v = dir.filePath(QStringLiteral("Export.e2v"));
    rq::test::writeBytes(e2v, "alt");
    const struct
    {
        const char *kind;
        QStringList words;
        Setting setting;
        const char *says;
    } cases[] = {
        {"pipe as input", {QStringLiteral("import-v2e"), pipe}, {}, "keine gewöhnliche Datei"},
        {"read error", {QStringLiteral("restore"), QStringLiteral("/proc/self/mem")}, {}, "kann nicht gelesen werden"},
        {"pipe as output", {QStringLiteral("export-e2v"), pipe}, {}, "wird nicht ersetzt"},
        // The export (150 KB) is larger than files may grow (64 KB, room for the database's own).
        {"full disk under an export",
         {QStringLiteral("export-e2v"), e2v},
         {QString(), QString(), QStringLiteral("ulimit -f 64")},
         "kann nicht geschrieben werden"},
        {"full disk under standard output",
         {QStringLiteral("sql"), QStringLiteral("select * from PERSON")},
         {QStringLiteral("/dev/full"), QString(), QString()},
         "Ausgabe kann nicht vollständig geschrieben werden"},
    };
    for (const auto &c : cases) {
        const Result r = cli(c.words, true, c.setting);
        EXPECT_EQ(r.exitCode, 1) << c.kind;
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.says))) << c.kind << ": " << r.err.toStdString();
    }
    EXPECT_EQ(rq::test::readBytes(e2v), QByteArray("alt"));
    EXPECT_EQ(cli({QStringLiteral("sql"), QStringLiteral("select count(*) from PERSON")}).out,
              QStringLiteral("count(*)\n2000\n"));

    // A backup cut in the middle restores what it holds and says it was not all.
    const QString backup = dir.filePath(QStringLiteral("RanBase.sql"));
    ASSERT_EQ(cli({QStringLiteral("backup"), backup}).exitCode, 0);
    QByteArray cut = rq::test::readBytes(backup);
    cut.chop(cut.size() / 3);
    rq::test::writeBytes(backup, cut);
    ASSERT_EQ(cli({QStringLiteral("remove-imports")}).exitCode, 0);
    const Result restored = cli({QStringLiteral("restore"), backup});
    EXPECT_EQ(restored.exitCode, 1);
    EXPECT_TRUE(restored.out.contains(QStringLiteral("Zeile konnte nicht importiert werden: ")))
        << restored.out.toStdString();
}

TEST_F(CliTest, TwoCopiesWithDifferentRuntimeDirectoriesShareNoDatabase)
{
    ASSERT_EQ(cli({QStringLiteral("sql"), QStringLiteral("create table T (a)")}).exitCode, 0);
    // Another copy, started with its own runtime directory, holds the database.
    rq::SingleInstance other(rq::db::DatabaseSetup::lockFile(dataDir()));
    ASSERT_TRUE(other.tryAcquire());
    QTemporaryDir ownRuntime;
    const Result r =
        cli({QStringLiteral("sql"), QStringLiteral("select 1")}, true, {QString(), ownRuntime.path(), QString()});
    EXPECT_EQ(r.exitCode, 3);
    EXPECT_TRUE(r.err.contains(QStringLiteral("wird bereits von einem anderen Ranquill benutzt")))
        << r.err.toStdString();
}

TEST_F(CliTest, SnapshotsListAndLeadBack)
{
    ASSERT_EQ(cli({QStringLiteral("import-v2e"), file(QStringLiteral("a.v2e"), {participant(1)})}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("snapshots")}).out, QString());
    ASSERT_EQ(cli({QStringLiteral("remove-imports")}).exitCode, 0);
    const QStringList listed = cli({QStringLiteral("snapshots")}).out.split(u'\n', Qt::SkipEmptyParts);
    ASSERT_EQ(listed.size(), 1);
    EXPECT_TRUE(listed.first().endsWith(QStringLiteral("\tImporte löschen"))) << listed.first().toStdString();
    const QString name = listed.first().section(u'\t', 0, 0);
    EXPECT_EQ(cli({QStringLiteral("snapshot-restore"), name}).exitCode, 0);
    EXPECT_EQ(cli({QStringLiteral("sql"), QStringLiteral("select NAME from PERSON")}).out,
              QStringLiteral("NAME\nMeier1\n"));
    EXPECT_EQ(cli({QStringLiteral("snapshot-restore"), QStringLiteral("keiner.sqlite")}).exitCode, 1);
}

// Killed at any moment, the command line leaves a sound database holding all
// or none of the interrupted work.
TEST_F(CliTest, KilledMidwayTheDatabaseHoldsAllOrNoneOfTheWork)
{
    constexpr int kCount = 20000;
    QStringList participants;
    for (int i = 1; i <= kCount; ++i)
        participants << participant(i);
    const QString v2e = file(QStringLiteral("big.v2e"), participants);
    ASSERT_EQ(cli({QStringLiteral("import-v2e"), v2e}).exitCode, 0);
    // The same participants in another category, for the import that is interrupted.
    const QString more = file(QStringLiteral("more.v2e"),
                              participants.replaceInStrings(QStringLiteral("2\t12\t"), QStringLiteral("2\t13\t")));
    const QString backup = dir.filePath(QStringLiteral("big.sql"));
    ASSERT_EQ(cli({QStringLiteral("backup"), backup}).exitCode, 0);
    ASSERT_EQ(cli({QStringLiteral("sql"),
                   QStringLiteral("WITH RECURSIVE c(x) AS (SELECT 1 UNION ALL SELECT x + 1 FROM c WHERE x < %1) "
                                  "INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, NAME1, PUNKTE) "
                                  "SELECT 12, 0, x, 'N' || x, x % 97 FROM c")
                       .arg(kCount)})
                  .exitCode,
              0);
    ASSERT_EQ(cli({QStringLiteral("sql"), QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (12, 0)")})
                  .exitCode,
              0);
    const QString prepared = dir.filePath(QStringLiteral("prepared.sqlite"));
    ASSERT_TRUE(QFile::copy(dataDir() + QStringLiteral("/ranbase.sqlite"), prepared));

    const struct
    {
        const char *work;
        QStringList words;
        bool startEmpty;  // on a new database, else on the prepared one
        QString measure;  // how much of the work is in the database
    } cases[] = {
        {"import", {QStringLiteral("import-v2e"), more}, false, QStringLiteral("SELECT count(*) FROM PERSON")},
        {"restore", {QStringLiteral("restore"), backup}, true, QStringLiteral("SELECT count(*) FROM PERSON")},
        {"Rangieren",
         {QStringLiteral("rank"), QStringLiteral("12"), QStringLiteral("0")},
         false,
         QStringLiteral("SELECT count(RANG) || '/' || total(RANGPOS_NR * length(RANG)) FROM RANGPOS")},
    };
    const auto start = [&](bool empty) {
        QDir(dataDir()).removeRecursively();
        QDir().mkpath(dataDir());
        if (!empty) {
            EXPECT_TRUE(QFile::copy(prepared, dataDir() + QStringLiteral("/ranbase.sqlite")));
        }
    };
    const auto measured = [&](const QString &sql, const char *work, int delay) {
        rq::db::Database db(dataDir() + QStringLiteral("/ranbase.sqlite"));
        db.open();
        EXPECT_EQ(db.scalar(QStringLiteral("PRAGMA integrity_check")).toString(), QStringLiteral("ok"))
            << work << " after " << delay << " ms";
        return db.tableExists(QStringLiteral("PERSON")) ? db.scalar(sql).toString() : QStringLiteral("0");
    };
    for (const auto &c : cases) {
        start(c.startEmpty);
        const QString none = measured(c.measure, c.work, 0);
        QElapsedTimer timer;
        timer.start();
        ASSERT_EQ(cli(c.words).exitCode, 0) << c.work;
        const qint64 whole = timer.elapsed();
        const QString all = measured(c.measure, c.work, 0);
        ASSERT_NE(none, all) << c.work;
        // Killed at moments spread over the time the whole run takes.
        for (const double share : {0.2, 0.35, 0.5, 0.65, 0.8, 0.95}) {
            const int delay = int(share * double(whole));
            start(c.startEmpty);
            QProcess process;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
            process.setProcessEnvironment(env);
            process.start(QStringLiteral(RANQUILL_CLI),
                          QStringList{QStringLiteral("--data"), dataDir(), QStringLiteral("--ini"), ini} + c.words);
            ASSERT_TRUE(process.waitForStarted());
            QThread::msleep(delay);
            process.kill();  // SIGKILL
            process.waitForFinished();
            const QString done = measured(c.measure, c.work, delay);
            EXPECT_TRUE(done == none || done == all) << c.work << " after " << delay << " ms: " << done.toStdString();
        }
    }
}

// "publish DIR" writes the whole site; with "Ergebnisse-Pfad" set, a command that
// changes a list rewrites its page when it is done.
TEST_F(CliTest, PublishAndTheSiteFollowingChanges)
{
    EXPECT_EQ(cli({QStringLiteral("import-v2e"),
                   file(QStringLiteral("event.v2e"),
                        {participant(1), participant(2), performance(1, 1, 2), performance(2, 1, 2)})})
                  .exitCode,
              0);
    EXPECT_EQ(cli({QStringLiteral("new-list"), QStringLiteral("12"), QStringLiteral("0")}).exitCode, 0);
    EXPECT_EQ(
        cli({QStringLiteral("sql"), QStringLiteral("update RANGLISTE set LAYOUT = 'EINZEL', KATEGORIE_D = 'Aktive'")})
            .exitCode,
        0);
    const QString site = dir.filePath(QStringLiteral("site"));
    Result r = cli({QStringLiteral("publish"), site});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(site + QStringLiteral("/index.html")));
    EXPECT_TRUE(rq::test::readBytes(site + QStringLiteral("/liste-12-0.html")).contains("noch keine Positionen"));

    rq::cp1252::writeLines(ini, {QStringLiteral("[Options]"), QStringLiteral("Ergebnisse-Pfad=") + site});
    for (int nr : {1, 2})
        EXPECT_EQ(cli({QStringLiteral("capture"), QStringLiteral("12"), QString::number(nr),
                       QStringLiteral("1=%1").arg(nr * 2)})
                      .exitCode,
                  0);
    r = cli({QStringLiteral("generate"), QStringLiteral("12")});
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    const QByteArray page = rq::test::readBytes(site + QStringLiteral("/liste-12-0.html"));
    EXPECT_TRUE(page.contains("Meier1 Hans") && page.contains("Meier2 Hans")) << page.constData();
    EXPECT_TRUE(rq::test::readBytes(site + QStringLiteral("/index.html")).contains("2 Positionen"));
}
