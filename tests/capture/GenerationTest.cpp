#include "capture/LateRegistration.h"
#include "capture/ListGeneration.h"
#include "capture/ParticipantData.h"
#include "common/Errors.h"
#include "db/Database.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QScopeGuard>
#include <QSqlQuery>
#include <QSqlQueryModel>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::capture;

TEST(ListGeneration, BlockRule)
{
    const auto places = [](QList<qint64> ids, int perLine) {
        QStringList out;
        for (const DetailPlace &p : placeDetails(ids, perLine))
            out << QStringLiteral("%1.%2%3")
                       .arg(p.block)
                       .arg(p.position)
                       .arg(p.opensBlock ? QStringLiteral("*") : QString());
        return out.join(u' ');
    };
    EXPECT_EQ(places({1, 2, 5}, 0), QStringLiteral("1.1* 1.2 1.5"));
    EXPECT_EQ(places({1, 2, 3, 4, 5}, 3), QStringLiteral("1.1* 1.2 1.3 2.1* 2.2"));
    EXPECT_EQ(places({1, 7}, 3), QStringLiteral("1.1* 2.4*"));
    EXPECT_EQ(places({1, 2, 3, 4}, 2), QStringLiteral("1.1* 1.2 2.1* 2.2"));
    EXPECT_EQ(places({0, 1}, 3), QStringLiteral("0.3 1.1*"));
    EXPECT_EQ(places({0}, 0), QStringLiteral("0.0"));
    EXPECT_EQ(places({}, 3), QString());
    EXPECT_EQ(blockPosition(123456), 1);
    EXPECT_EQ(blockPosition(300002), 3);
    EXPECT_EQ(blockPosition(99999), 99999);
}

namespace {

class GenerationTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, DETAILS_PRO_ZEILE) VALUES (12, 0, 'AUTO')"));
        db.exec(QStringLiteral(
            "INSERT INTO VEREIN (VEREIN_ID, PREFIX, ORT, KANTON, VERBAND_ID) VALUES (4, 'TV', 'Thun', 'BE', '77')"));
    }

    void person(int nr, const char *name, int status, const QVariant &total, const QVariant &rank = {},
                const QVariant &award = {})
    {
        db.exec(QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, NAME, PREFIX, ORT, STATUS_ID, ZUSATZ1, PKT_VAL, "
                               "RANG, AUSZEICHNUNG_ID, SPARTE, KATEGORIE, IMPORT_ID, ZEILENTYP_ID) VALUES "
                               "(12, ?, ?, ' TV', 'Bern ', ?, ?, ?, ?, ?, 'LA', 'Aktive', 1, 2)"),
                {nr, QString::fromUtf8(name), status, total.toString(), total, rank, award});
    }
    void discipline(int nr, qint64 disz, const char *performance, const char *extra, const char *points)
    {
        db.exec(
            QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, DISZIPLIN, "
                           "ZUSATZ1, ZUSATZ2, ZUSATZ3, IMPORT_ID, ZEILENTYP_ID) VALUES (12, ?, ?, 2, 1, 'Weitsprung', "
                           "?, ?, ?, 1, 1)"),
            {nr, disz, QString::fromLatin1(performance), QString::fromLatin1(extra), QString::fromLatin1(points)});
    }
    bool generate()
    {
        op.answer(Button::Ok);
        ListGeneration generation(db, op);
        const auto remember = qScopeGuard([&] { lastKatSearch = generation.headerCategory().value_or(QString()); });
        return generation.run(12, QStringLiteral("Kranz"), {QStringLiteral("T1"), QStringLiteral("T2")});
    }
    QStringList rows(const QString &sql)
    {
        QStringList out;
        QSqlQuery q = db.exec(sql, {});
        while (q.next())
            out << q.value(0).toString();
        return out;
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    QString lastKatSearch;  // what the editor's "Kategorie suchen" proposes afterwards
};

}  // namespace

TEST_F(GenerationTest, PositionsBlocksDetailsAndClubs)
{
    person(1, "Eins", 1, 50.0, 2, QStringLiteral("9"));
    person(2, "Zwei", 1, 50.0, 2, QStringLiteral("10"));
    person(3, "Drei", 1, 60.0, 1, QStringLiteral("0"));
    person(4, "Vier", 0, 99.0);  // not captured
    person(5, "Fünf", 1, 10.0);  // no discipline with a performance
    db.exec(QStringLiteral("INSERT INTO PERSVEREIN VALUES (12, 1, 4)"));
    discipline(1, 1, "5.50", "3", "512.00");
    discipline(1, 2, "6.00", "", "600.00");
    db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, NAME1) VALUES (12, 0, 9, 'Alt')"));

    EXPECT_TRUE(generate());
    EXPECT_EQ(rows(QStringLiteral("SELECT RANGPOS_NR || ':' || NAME1 || ':' || coalesce(RANG, '-') || ':' || "
                                  "coalesce(AUSZEICHNUNG, '-') FROM RANGPOS ORDER BY RANGPOS_NR")),
              QStringList({QStringLiteral("1:Drei:1:-"), QStringLiteral("2:Zwei:2:Kranz"),
                           QStringLiteral("3:Eins:2:Kranz"), QStringLiteral("4:Fünf:-:-")}));
    EXPECT_EQ(
        rows(QStringLiteral("SELECT VEREIN || '/' || coalesce(VEREIN_ID, '-') || '/' || coalesce(KANTON, '-') || "
                            "'/' || coalesce(VERBAND_NR, '-') FROM RANGPOS WHERE RANGPOS_NR IN (1, 3) ORDER BY 1")),
        QStringList({QStringLiteral("TV Bern/-/-/-"), QStringLiteral("TV Thun/4/BE/77")}));
    EXPECT_EQ(rows(QStringLiteral("SELECT DETAILBLOCK_NR || ':' || NAME1 FROM DETAILBLOCK")),
              QStringList{QStringLiteral("1:T1")});
    EXPECT_EQ(rows(QStringLiteral("SELECT DETAILPOS_NR || ':' || DETAILTEXT FROM DETAIL ORDER BY 1")),
              QStringList(
                  {QStringLiteral("1:Weitsprung: 5.50 [3] (512.00)"), QStringLiteral("2:Weitsprung: 6.00 (600.00)")}));
    EXPECT_EQ(lastKatSearch, QStringLiteral("12"));
}

TEST_F(GenerationTest, EmptyCategoryMissingHeaderAndAFailureKeepingTheOldList)
{
    db.exec(QStringLiteral("INSERT INTO RANGPOS (KAT_NR, KLASSE_NR, RANGPOS_NR, NAME1) VALUES (12, 0, 1, 'Alt')"));
    person(1, "Eins", 1, 50.0);
    discipline(1, 100001, "1", "", "1");
    discipline(1, 100002, "2", "", "2");
    EXPECT_THROW(generate(), EngineError);
    EXPECT_EQ(rows(QStringLiteral("SELECT NAME1 FROM RANGPOS")), QStringList{QStringLiteral("Alt")});
    EXPECT_EQ(lastKatSearch, QStringLiteral("12"));

    db.exec(QStringLiteral("DELETE FROM LEISTUNG"));
    db.exec(QStringLiteral("UPDATE PERSON SET STATUS_ID = 0"));
    EXPECT_TRUE(generate());
    EXPECT_EQ(rows(QStringLiteral("SELECT count(*) FROM RANGPOS")), QStringList{QStringLiteral("0")});

    db.exec(QStringLiteral("DELETE FROM RANGLISTE"));
    EXPECT_FALSE(generate());
    EXPECT_EQ(op.messages.last(),
              QStringLiteral("Ranquill: Keine Kopfdaten für Rangliste der Kategorie <12> mit Klasse <0> vorhanden"));
    EXPECT_EQ(lastKatSearch, QString());
}

TEST_F(GenerationTest, LateRegistration)
{
    person(1, "Eins", 1, 50.0);
    discipline(1, 1, "5.50", "", "5.50");
    discipline(1, 2, "6.00", "", "6.00");
    LateRegistration late(db, op);
    const auto attempt = [&](Registration r) {
        op.answer(Button::Yes);
        return late.registerParticipant(r);
    };
    Registration good{QStringLiteral("12"),   QStringLiteral("7"), QStringLiteral("O'Brien"),
                      QStringLiteral("Seán"), QString(),           4};
    const struct
    {
        Registration r;
        const char *message;
    } refused[] = {
        {{QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("X"), QString(), QStringLiteral("19x0"), 4},
         "Fehler: Ungültige Werte in Kategorie, Startnummer oder Jahrgang gefunden"},
        {{QStringLiteral("1a"), QStringLiteral("7"), QStringLiteral("X"), QString(), QString(), 4},
         "Fehler: Ungültige Werte in Kategorie, Startnummer oder Jahrgang gefunden"},
        {{QStringLiteral("12"), QStringLiteral("7"), QStringLiteral("X"), QString(), QString(), 0},
         "Fehler: Kein gültiger Verein ausgewählt"},
        {{QStringLiteral("99"), QStringLiteral("7"), QStringLiteral("X"), QString(), QString(), 4},
         "Fehler: In einer leeren Kategorie können keine Teilnehmer nachgemeldet werden"},
    };
    for (const auto &c : refused) {
        EXPECT_FALSE(attempt(c.r));
        EXPECT_EQ(op.messages.last(), QString::fromUtf8(c.message));
    }
    EXPECT_TRUE(attempt(good));
    EXPECT_EQ(rows(QStringLiteral("SELECT NAME || '|' || coalesce(JAHRGANG, '-') || '|' || ORT || '|' || STATUS_ID || "
                                  "'|' || IMPORT_ID FROM PERSON WHERE PERS_ID = 7")),
              QStringList{QStringLiteral("O'Brien|-|Thun|0|0")});
    EXPECT_EQ(rows(QStringLiteral("SELECT count(*) FROM LEISTUNG WHERE PERS_ID = 7 AND STATUS_ID = 0")),
              QStringList{QStringLiteral("2")});
    ParticipantData data(db);
    EXPECT_EQ(data.statusCount(12, QStringLiteral("LA Aktive")),
              QStringLiteral("12 LA Aktive\r\n\r\nUnbearbeitet: 1\r\nBearbeitet: 1"));
    generate();
    EXPECT_EQ(rows(QStringLiteral("SELECT count(*) FROM RANGPOS")), QStringList{QStringLiteral("1")});

    // The same start number again: the conflict messages, and no stray club link.
    db.exec(QStringLiteral("DELETE FROM PERSVEREIN"));
    op.messages.clear();
    EXPECT_THROW(attempt(good), EngineError);
    EXPECT_EQ(op.messages.at(1), QStringLiteral("Fehler: Konflikt mit anderer Person gefunden"));
    EXPECT_TRUE(op.messages.at(2).startsWith(QStringLiteral("Fehler: INSERT INTO PERSON")));
    EXPECT_EQ(rows(QStringLiteral("SELECT count(*) FROM PERSVEREIN")), QStringList{QStringLiteral("0")});
}

// The participant grid reads a large category in portions; a search still finds
// any participant, by start number or by the start of name, club or place (in
// that order of preference), and the grid has read the row it selects.
TEST(ParticipantData, SearchFindsParticipantsTheGridHasNotReadYet)
{
    test::TempDatabase temp;
    db::Database &db = *temp.db;
    db::Savepoint all(db);
    for (int nr = 1; nr <= 1200; ++nr)
        db.exec(
            QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, NAME, VORNAME, PREFIX, ORT, STATUS_ID, IMPORT_ID, "
                           "ZEILENTYP_ID) VALUES (4, ?, ?, 'Anna', 'TV', ?, 0, 1, 2)"),
            {nr * 2, QStringLiteral("Name%1").arg(nr), nr == 900 ? QStringLiteral("Zürich") : QStringLiteral("Bern")});
    all.release();
    ParticipantData data(db);
    data.showCategory(4);
    if (!test::onServer())  // the server's driver hands a result over whole
        ASSERT_LT(data.persons()->rowCount(), 1200);

    const struct
    {
        const char *text;
        int row;  // -1: not found
    } cases[] = {
        {"2000", 999},  // start number 2000 is participant 1000
        {"name1150", 1149},  // any case
        {"Name1 Anna", 0},  // name and first name as the grid shows them
        {"TV Zü", 899},  // club
        {"zür", 899},  // place
        {"1999", -1},  // no such start number
        {"Nobody", -1},
    };
    for (const auto &c : cases) {
        const int row = data.personRow(QString::fromUtf8(c.text));
        EXPECT_EQ(row, c.row) << c.text;
        if (row >= 0) {
            ASSERT_LT(row, data.persons()->rowCount()) << c.text;
            EXPECT_EQ(data.persons()->index(row, 1).data().toInt(), (row + 1) * 2) << c.text;
        }
    }
}
