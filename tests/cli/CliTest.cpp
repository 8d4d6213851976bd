#include "common/CodePage1252.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

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
    Result cli(const QStringList &arguments, bool withData = true)
    {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
        env.insert(QStringLiteral("XDG_CONFIG_HOME"), dir.filePath(QStringLiteral("config")));
        process.setProcessEnvironment(env);
        process.setWorkingDirectory(dir.path());
        QStringList args;
        if (withData)
            args << QStringLiteral("--data") << dir.filePath(QStringLiteral("Daten")) << QStringLiteral("--ini") << ini;
        process.start(QStringLiteral(RANQUILL_CLI), args + arguments);
        EXPECT_TRUE(process.waitForFinished(60000));
        return {process.exitCode(), QString::fromLocal8Bit(process.readAllStandardOutput()),
                QString::fromLocal8Bit(process.readAllStandardError())};
    }
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
