#include "db/Database.h"
#include "ranking/RankingList.h"
#include "ranking/RankingOperations.h"
#include "reports/ResultsSite.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <atomic>
#include <sys/stat.h>
#include <thread>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::reports;

namespace {

// Two lists of two layouts: category 3 (individual) and category 4 (team).
class ResultsSiteTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        for (const auto &[kat, layout] : {std::pair{3, "EINZEL"}, std::pair{4, "TEAM"}})
            db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, SPARTE_D, SPARTE_F, KATEGORIE_D, "
                                   "KATEGORIE_F, KLASSE_D, LAYOUT, DETAILS_PRO_ZEILE, RANG_TITEL, NAME1_TITEL, "
                                   "VEREIN_TITEL, PUNKTE_TITEL, DETAIL1_TITEL) VALUES (?, 0, 'Turnen', "
                                   "'Gymnastique', ?, ?, 'Offen', ?, '2', 'Rang', 'Name', 'Verein', 'Punkte', "
                                   "'Boden')"),
                    {kat, QStringLiteral("Kategorie %1").arg(kat), QStringLiteral("Catégorie %1").arg(kat),
                     QString::fromLatin1(layout)});
        position(3, 1, "1", "Meier", "TV Bern", "50.00");
        position(3, 2, "2", "Keller", "TV Thun", "48.00");
        position(4, 1, "1", "Riege A", "TV Biel", "90.00");
        site.setClock([this] { return clock; });
    }
    void position(int kat, int nr, const char *rank, const char *name, const char *club, const char *points)
    {
        db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, RANG, NAME1, NAME2, VEREIN, "
                               "PUNKTE) VALUES (?, 0, ?, ?, ?, 'Hans', ?, ?)"),
                {kat, nr, QString::fromLatin1(rank), QString::fromUtf8(name), QString::fromUtf8(club),
                 QString::fromLatin1(points)});
        db.exec(QStringLiteral("INSERT INTO DETAILBLOCK (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, NAME1) VALUES "
                               "(?, 0, ?, 1, 'Geräte')"),
                {kat, nr});
        db.exec(QStringLiteral("INSERT INTO DETAIL (KAT_NR, KLASSE_NR, RANGPOS_NR, DETAILBLOCK_NR, DETAILPOS_NR, "
                               "DISZIPLIN, LEISTUNG, PUNKTE, DETAILTEXT) VALUES (?, 0, ?, 1, 1, 'Boden', '9.5', "
                               "'9.5', 'Boden 9.5')"),
                {kat, nr});
    }
    QString file(const QString &name) const { return dir.path() + u'/' + name; }
    QString read(const QString &name) const
    {
        QFile f(file(name));
        return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
    }
    // A file written anew is a new file (written beside and renamed over the old one).
    ino_t inode(const QString &name) const
    {
        struct stat st
        {
        };
        return ::stat(QFile::encodeName(file(name)).constData(), &st) == 0 ? st.st_ino : 0;
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    QTemporaryDir dir;
    ResultsSite site{db, dir.path()};
    QDateTime clock{QDate(2026, 12, 11), QTime(9, 30)};
};

}  // namespace

TEST_F(ResultsSiteTest, AChangedRankRewritesThatListsPageAndTheIndexOnly)
{
    site.publishAll();
    for (const char *name : {"index.html", "lists.json", "ranquill.css", "liste-3-0.html", "liste-3-0.json",
                             "liste-4-0.html", "liste-4-0.json"})
        EXPECT_TRUE(QFile::exists(file(QString::fromLatin1(name)))) << name;
    const QString index = read(QStringLiteral("index.html"));
    EXPECT_TRUE(index.contains(QStringLiteral("Turnen <span class=\"fr\" lang=\"fr\">Gymnastique</span>")));
    EXPECT_TRUE(index.contains(QStringLiteral("href=\"liste-3-0.html\"")));
    EXPECT_TRUE(index.contains(QStringLiteral("2 Positionen")));
    EXPECT_TRUE(read(QStringLiteral("liste-4-0.html")).contains(QStringLiteral("TV Biel")));  // a team by its club

    // The operations say which list they changed; the site rewrites that one.
    QList<ranking::ListKey> changed;
    db.setListListener([&changed](int kat, int klasse) { changed.append({kat, klasse}); });
    const ino_t before[] = {inode(QStringLiteral("liste-3-0.html")), inode(QStringLiteral("liste-4-0.html")),
                            inode(QStringLiteral("liste-4-0.json")), inode(QStringLiteral("index.html")),
                            inode(QStringLiteral("ranquill.css"))};
    db.exec(QStringLiteral("UPDATE RANGPOS SET PUNKTE = '99.00' WHERE KAT_NR = 3 AND RANGPOS_NR = 2"));
    ranking::RankingOperations(ranking::RankingList::load(db, op, {3, 0})).rankAndRenumber({}, -1);
    ASSERT_EQ(changed, (QList<ranking::ListKey>{{3, 0}}));
    clock = clock.addSecs(60);
    site.publishLists(changed);

    EXPECT_NE(inode(QStringLiteral("liste-3-0.html")), before[0]);
    EXPECT_EQ(inode(QStringLiteral("liste-4-0.html")), before[1]);
    EXPECT_EQ(inode(QStringLiteral("liste-4-0.json")), before[2]);
    EXPECT_NE(inode(QStringLiteral("index.html")), before[3]);
    EXPECT_EQ(inode(QStringLiteral("ranquill.css")), before[4]);
    // Keller now leads: rank 1 in the first band, and the page says when.
    const QString page = read(QStringLiteral("liste-3-0.html"));
    const qsizetype keller = page.indexOf(QStringLiteral("Keller"));
    const qsizetype meier = page.indexOf(QStringLiteral("Meier"));
    ASSERT_GT(keller, 0);
    EXPECT_LT(keller, meier);
    EXPECT_TRUE(page.mid(0, keller).contains(QStringLiteral(">1.</td>")));
    EXPECT_TRUE(page.contains(QStringLiteral("Stand 11.12.2026 09:31")));
    // The index keeps the other list's time.
    const QJsonArray lists = QJsonDocument::fromJson(read(QStringLiteral("lists.json")).toUtf8()).array();
    ASSERT_EQ(lists.size(), 2);
    EXPECT_EQ(lists.at(0).toObject().value(QStringLiteral("changed")).toString(),
              QStringLiteral("2026-12-11T09:31:00"));
    EXPECT_EQ(lists.at(1).toObject().value(QStringLiteral("changed")).toString(),
              QStringLiteral("2026-12-11T09:30:00"));

    // A list that is gone takes its files with it.
    db.exec(QStringLiteral("DELETE FROM DETAIL WHERE KAT_NR = 4"));
    db.exec(QStringLiteral("DELETE FROM DETAILBLOCK WHERE KAT_NR = 4"));
    db.exec(QStringLiteral("DELETE FROM RANGPOS WHERE KAT_NR = 4"));
    db.exec(QStringLiteral("DELETE FROM RANGLISTE WHERE KAT_NR = 4"));
    site.publishLists({{4, 0}});
    EXPECT_FALSE(QFile::exists(file(QStringLiteral("liste-4-0.html"))));
    EXPECT_FALSE(read(QStringLiteral("index.html")).contains(QStringLiteral("liste-4-0.html")));
}

TEST_F(ResultsSiteTest, TextsShowAsTyped)
{
    db.exec(QStringLiteral("UPDATE RANGPOS SET VEREIN = '<b>&Co \"x\"' WHERE KAT_NR = 3 AND RANGPOS_NR = 1"));
    const QString odd = QStringLiteral("C:\\Team\t1\u0001 \u00e9");  // a backslash, a tab, a control character
    db.exec(QStringLiteral("UPDATE RANGPOS SET BEMERKUNGEN = ? WHERE KAT_NR = 3 AND RANGPOS_NR = 1"), {odd});
    db.exec(QStringLiteral("UPDATE RANGLISTE SET KATEGORIE_D = 'Jugend <18>' WHERE KAT_NR = 3"));
    site.publishAll();
    const QString page = read(QStringLiteral("liste-3-0.html"));
    EXPECT_TRUE(page.contains(QStringLiteral("&lt;b&gt;&amp;Co &quot;x&quot;")));
    EXPECT_FALSE(page.contains(QStringLiteral("<b>&Co")));
    EXPECT_TRUE(page.contains(QStringLiteral("<h1>Jugend &lt;18&gt;")));
    EXPECT_TRUE(read(QStringLiteral("index.html")).contains(QStringLiteral("Jugend &lt;18&gt;")));
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(read(QStringLiteral("liste-3-0.json")).toUtf8(), &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonObject row = json.value(QStringLiteral("rows")).toArray().at(0).toObject();
    EXPECT_EQ(row.value(QStringLiteral("VEREIN")).toString(), QStringLiteral("<b>&Co \"x\""));
    EXPECT_EQ(row.value(QStringLiteral("BEMERKUNGEN")).toString(), odd);
}

// A browser reading while the site is written sees the old page or the new one, never part of one.
TEST_F(ResultsSiteTest, APageIsNeverSeenHalfWritten)
{
    site.publishAll();
    std::atomic<bool> writing = true;
    std::atomic<int> reads = 0;
    std::atomic<int> broken = 0;
    std::thread reader([&] {
        const QStringList names = {QStringLiteral("liste-3-0.html"), QStringLiteral("index.html"),
                                   QStringLiteral("liste-3-0.json")};
        while (writing) {
            for (const QString &name : names) {
                QFile f(file(name));
                if (!f.open(QIODevice::ReadOnly)) {
                    ++broken;  // the file must be there all the time
                    continue;
                }
                const QByteArray bytes = f.readAll().trimmed();
                ++reads;
                if (!(bytes.endsWith("</html>") || (bytes.startsWith('{') && bytes.endsWith('}'))))
                    ++broken;
            }
        }
    });
    for (int i = 0; i < 40; ++i) {
        db.exec(QStringLiteral("UPDATE RANGPOS SET PUNKTE = ? WHERE KAT_NR = 3 AND RANGPOS_NR = 1"), {40 + i});
        site.publishLists({{3, 0}});
    }
    writing = false;
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(broken.load(), 0);
}
