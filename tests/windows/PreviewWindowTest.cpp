#include "db/Database.h"
#include "ranking/RankingList.h"
#include "reports/ReportDispatch.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"
#include "windows/PreviewWindow.h"

#include <QFileInfo>
#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::reports;
using rq::windows::PreviewWindow;

namespace {

class PreviewWindowTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec(QStringLiteral(
            "INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, SPARTE_D, KATEGORIE_D, LAYOUT, DETAILS_PRO_ZEILE, "
            "RANG_TITEL, NAME1_TITEL, PUNKTE_TITEL, DETAIL1_TITEL) VALUES (12, 0, 'Leichtathletik', "
            "'Männer', 'EINZEL', '3', 'Rang', 'Name', 'Punkte', 'Weit')"));
    }
    void position(int nr, const char *rank, const char *name, const char *points)
    {
        db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, NAME2, PUNKTE) VALUES "
                               "(12, 0, ?, ?, ?, 'Hans', ?)"),
                {nr, QString::fromLatin1(rank), QString::fromUtf8(name), QString::fromLatin1(points)});
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
};

}  // namespace

TEST_F(PreviewWindowTest, SavesEveryFormatAndStaysOnItsPages)
{
    for (int p = 1; p <= 40; ++p)
        position(p, QByteArray::number(p).constData(), "Müller", "10");
    const auto document = ReportDispatch::rankingList(ranking::RankingList::load(db, op, {12, 0}), ReportOptions());
    ASSERT_TRUE(document.has_value());
    PreviewWindow preview(*document, op);
    preview.showPage(99);
    EXPECT_EQ(preview.page(), document->pages.size() - 1);
    preview.showPage(-3);
    EXPECT_EQ(preview.page(), 0);
    const struct
    {
        const char *name;
        const char *starts;
    } files[] = {{"l.pdf", "%PDF"}, {"l.txt", "Leichtathletik"}, {"l.csv", "Leichtathletik"}, {"l.html", "<html>"}};
    for (const auto &f : files) {
        const QString path = temp.dir.filePath(QString::fromLatin1(f.name));
        preview.saveAs(path);
        EXPECT_TRUE(test::readBytes(path).startsWith(f.starts)) << f.name;
    }
    EXPECT_TRUE(test::readBytes(temp.dir.filePath(QStringLiteral("l.csv"))).contains("1.,M\xFCller Hans,10"));

    // "Speichern" opens in the PDF directory, made when missing.
    const QString pdfDirectory = temp.dir.filePath(QStringLiteral("PDF-Temp"));
    PreviewWindow inPdfDirectory(*document, op, nullptr, pdfDirectory);
    op.answerFile(std::nullopt);
    QTest::mouseClick(inPdfDirectory.findChild<QPushButton *>(QStringLiteral("Speichern")), Qt::LeftButton);
    EXPECT_EQ(op.lastDialog.initialDirectory, pdfDirectory);
    EXPECT_TRUE(QFileInfo(pdfDirectory).isDir());
}
