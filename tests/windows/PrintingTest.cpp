#include "common/IniFile.h"
#include "db/Database.h"
#include "ranking/RankingList.h"
#include "ranking/RankingListModels.h"
#include "reports/ReportDispatch.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "windows/PreviewWindow.h"
#include "windows/RankingListEditor.h"

#include <QCheckBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QPrinterInfo>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>

#include <gtest/gtest.h>

using namespace rq;

namespace {

QString toolOutput(const QString &tool, const QStringList &arguments)
{
    QProcess process;
    process.start(tool, arguments);
    process.waitForFinished(20000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The next PDF the queue delivers into `directory`, once complete; empty after a minute.
QString nextPrintout(const QDir &directory, const QStringList &before)
{
    const QDeadlineTimer deadline(60000);
    while (!deadline.hasExpired()) {
        for (const QString &name : directory.entryList({QStringLiteral("*.pdf")}, QDir::Files)) {
            const QString path = directory.filePath(name);
            if (before.contains(name) || !test::readBytes(path).trimmed().endsWith("%%EOF"))
                continue;
            return path;
        }
        QTest::qWait(100);
    }
    return QString();
}

}  // namespace

// Paper is what the results desk hands out: a list printed through a real
// queue (scripts/test.sh starts a private CUPS with a PDF queue whose own
// paper is US Letter) comes out on A4, with every page and its titles.
TEST(Printing, ARealQueuePrintsA4PagesWithTheirTitles)
{
    const QString out = qEnvironmentVariable("RANQUILL_PRINT_OUT");
    if (out.isEmpty())
        GTEST_SKIP() << "no print queue: scripts/test.sh starts one";
    ASSERT_FALSE(QPrinterInfo::defaultPrinter().isNull());
    const QDir outDir(out);

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    IniFile ini(temp.dir.filePath(QStringLiteral("Ranquill.ini")));
    db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, SPARTE_D, KATEGORIE_D, LAYOUT, RANG_TITEL, "
                           "NAME1_TITEL, PUNKTE_TITEL) VALUES (12, 0, 'Leichtathletik', 'Aktive Männer', 'EINZEL', "
                           "'Rang', 'Name', 'Punkte')"));
    db.exec(QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 90) "
                           "INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, PUNKTE) "
                           "SELECT 12, 0, i, i, 'Teilnehmer ' || i, 1000 - i FROM n"));
    const auto document = reports::ReportDispatch::rankingList(ranking::RankingList::load(db, op, {12, 0}), {});
    ASSERT_TRUE(document.has_value());
    ASSERT_GE(document->pages.size(), 2);

    // What came out of the queue and what Ranquill sent to it: A4 pages, as many
    // as the report has. The queue's PDF writer re-encodes the fonts, so the
    // titles are read from the document as sent, which the scheduler keeps.
    const auto check = [&](const QString &pdf, const char *how) {
        ASSERT_FALSE(pdf.isEmpty()) << how << ": nothing arrived from the queue";
        const QRegularExpressionMatch job = QRegularExpression(QStringLiteral("job_(\\d+)\\.pdf$")).match(pdf);
        ASSERT_TRUE(job.hasMatch()) << pdf.toStdString();
        const QString sent = QDir(qEnvironmentVariable("RANQUILL_PRINT_SPOOL"))
                                 .filePath(QStringLiteral("d%1-001").arg(job.captured(1).toInt(), 5, 10, QChar(u'0')));
        for (const QString &file : {pdf, sent}) {
            const QString info = toolOutput(QStringLiteral("pdfinfo"), {file});
            EXPECT_TRUE(
                info.contains(QRegularExpression(QStringLiteral("Pages:\\s+%1\\n").arg(document->pages.size()))))
                << how << "\n"
                << info.toStdString();
            EXPECT_TRUE(info.contains(QRegularExpression(QStringLiteral("Page size:\\s+595(\\.\\d+)? x 84[12]"))))
                << how << ": not A4\n"
                << info.toStdString();
        }
        const QStringList pages = toolOutput(QStringLiteral("pdftotext"), {sent, QStringLiteral("-")}).split(u'\f');
        for (int p = 0; p < document->pages.size(); ++p) {
            EXPECT_TRUE(pages.value(p).contains(QStringLiteral("Aktive Männer"))) << how << " page " << p + 1;
            EXPECT_TRUE(pages.value(p).contains(QStringLiteral("Teilnehmer"))) << how << " page " << p + 1;
        }
    };

    // "&Drucken" with the preview off prints at once.
    {
        ranking::RankingListModels models(db, op);
        windows::RankingListEditor editor(models, op, ini, temp.dir.path() + u'/');
        editor.show();
        editor.findChild<QCheckBox *>(QStringLiteral("CheckBoxPreview"))->setChecked(false);
        const QStringList before = outDir.entryList({QStringLiteral("*.pdf")}, QDir::Files);
        QTest::mouseClick(editor.findChild<QPushButton *>(QStringLiteral("BitBtnPrint")), Qt::LeftButton);
        EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
        check(nextPrintout(outDir, before), "Drucken");
    }

    // "Drucken" of the preview.
    windows::PreviewWindow preview(*document, op);
    const QStringList before = outDir.entryList({QStringLiteral("*.pdf")}, QDir::Files);
    QTest::mouseClick(preview.findChild<QPushButton *>(QStringLiteral("Drucken")), Qt::LeftButton);
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
    check(nextPrintout(outDir, before), "Vorschau");
}
