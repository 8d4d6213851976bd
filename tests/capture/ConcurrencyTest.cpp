#include "capture/FormulaParser.h"
#include "capture/ListGeneration.h"
#include "capture/ResultEntry.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "db/Database.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QSqlQuery>

#include <atomic>
#include <barrier>
#include <functional>
#include <thread>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::capture;

namespace {

constexpr int kStations = 4;
constexpr int kParticipants = 40;

// Category 12 with 40 participants of two disciplines; every station is a
// thread with a connection of its own, as a capture desk has.
class ConcurrencyTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db::Savepoint all(db);
        db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR, KATEGORIE_D, LAYOUT) VALUES (12, 0, "
                               "'Aktive', 'EINZEL')"));
        for (int nr = 1; nr <= kParticipants; ++nr) {
            db.exec(QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, NAME, STATUS_ID, IMPORT_ID, ZEILENTYP_ID) "
                                   "VALUES (12, ?, ?, 0, 1, 2)"),
                    {nr, QStringLiteral("Name%1").arg(nr)});
            for (int disz = 1; disz <= 2; ++disz)
                db.exec(QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, "
                                       "DISZIPLIN, IMPORT_ID, ZEILENTYP_ID) VALUES (12, ?, ?, 0, 0, ?, 1, 1)"),
                        {nr, disz, QStringLiteral("Disziplin %1").arg(disz)});
        }
        all.release();
    }

    // Runs `work` on `count` stations at once, each with its own connection;
    // the first failure of a station is returned.
    QStringList atStations(int count, const std::function<void(int station, db::Database &)> &work)
    {
        QStringList failures(count);
        std::vector<std::thread> threads;
        for (int station = 0; station < count; ++station) {
            threads.emplace_back([&, station] {
                try {
                    const auto connection = temp.connect();
                    work(station, *connection);
                } catch (const std::exception &e) {
                    failures[station] = QString::fromUtf8(e.what());
                }
            });
        }
        for (std::thread &t : threads)
            t.join();
        failures.removeAll(QString());
        return failures;
    }

    // Captures participant `nr` with `performance` in both disciplines.
    static ResultEntry::Saved capture(db::Database &connection, int nr, const QString &performance,
                                      const std::function<void()> &beforeSaving = {})
    {
        test::ScriptedOperator op;
        IniFile ini(QStringLiteral("/nonexistent/Ranquill.ini"));
        FormulaParser parser(op);
        ResultEntry entry(connection, op, ini, parser);
        if (!entry.load(12, nr, 2))
            throw Error(QStringLiteral("Teilnehmer %1 nicht gefunden").arg(nr));
        for (int row = 0; row < entry.rows().size(); ++row) {
            entry.setPerformance(row, performance);
            entry.recalculate(row, 2);
        }
        if (beforeSaving)
            beforeSaving();
        return entry.save(entry.person(), entry.total(false, 2));
    }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
};

}  // namespace

TEST_F(ConcurrencyTest, FourStationsCaptureOneCategoryAndEveryResultIsStored)
{
    const QStringList failures = atStations(kStations, [](int station, db::Database &connection) {
        for (int nr = station + 1; nr <= kParticipants; nr += kStations) {
            if (capture(connection, nr, QString::number(nr)) != ResultEntry::Saved::Yes)
                throw Error(QStringLiteral("Teilnehmer %1 nicht gespeichert").arg(nr));
        }
    });
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(*) FROM PERSON WHERE STATUS_ID = 1")).toInt(), kParticipants);
    // Each participant's own performance, in both disciplines.
    QSqlQuery q = db.exec(QStringLiteral("SELECT PERS_ID, ZUSATZ1 FROM LEISTUNG WHERE STATUS_ID = 1"), {});
    int right = 0;
    while (q.next())
        right += q.value(1).toString().toDouble() == q.value(0).toDouble() ? 1 : 0;
    EXPECT_EQ(right, 2 * kParticipants);
}

// Two stations that loaded the same participant save at the same moment:
// exactly one is stored, the other is refused and stores nothing.
TEST_F(ConcurrencyTest, TwoStationsSavingOneParticipantGiveExactlyOneRefusal)
{
    std::barrier bothLoaded(2);
    std::atomic<int> stored = 0;
    std::atomic<int> refused = 0;
    const QStringList failures = atStations(2, [&](int station, db::Database &connection) {
        const ResultEntry::Saved saved =
            capture(connection, 7, station == 0 ? QStringLiteral("11") : QStringLiteral("22"),
                    [&] { bothLoaded.arrive_and_wait(); });
        if (saved == ResultEntry::Saved::Yes)
            ++stored;
        else if (saved == ResultEntry::Saved::Conflict)
            ++refused;
    });
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    EXPECT_EQ(stored, 1);
    EXPECT_EQ(refused, 1);
    // The one stored is whole: both disciplines of the same station.
    EXPECT_EQ(db.scalar(QStringLiteral("SELECT count(DISTINCT ZUSATZ1) FROM LEISTUNG WHERE PERS_ID = 7")).toInt(), 1);
}

// A list generated while stations capture shows one state of the participants:
// every position's total is the sum of its details' points.
TEST_F(ConcurrencyTest, AListGeneratedDuringCaptureShowsOneConsistentState)
{
    ASSERT_TRUE(atStations(kStations, [](int station, db::Database &connection) {
                    for (int nr = station + 1; nr <= kParticipants; nr += kStations)
                        capture(connection, nr, QStringLiteral("1"));
                }).isEmpty());
    std::atomic<bool> generating = true;
    const QStringList failures = atStations(kStations, [&](int station, db::Database &connection) {
        if (station == 0) {
            test::ScriptedOperator op;
            for (int run = 0; run < 3; ++run) {
                op.answer(Button::Ok);
                ListGeneration(connection, op).run(12, QString(), {QString(), QString(), QString(), QString()});
            }
            generating = false;
            return;
        }
        for (int round = 2; generating; ++round) {
            for (int nr = station; nr <= kParticipants && generating; nr += kStations - 1)
                capture(connection, nr, QString::number(round));
        }
    });
    EXPECT_TRUE(failures.isEmpty()) << failures.join(u'\n').toStdString();
    QSqlQuery q = db.exec(QStringLiteral("SELECT p.RANGPOS_NR, p.PUNKTE, d.PUNKTE FROM RANGPOS p, DETAIL d WHERE "
                                         "d.KAT_NR = p.KAT_NR AND d.KLASSE_NR = p.KLASSE_NR AND d.RANGPOS_NR = "
                                         "p.RANGPOS_NR AND p.KAT_NR = 12 ORDER BY p.RANGPOS_NR"),
                          {});
    QMap<int, std::pair<double, double>> sums;  // position: total, sum of details
    while (q.next()) {
        auto &[total, details] = sums[q.value(0).toInt()];
        total = q.value(1).toString().toDouble();
        details += q.value(2).toString().toDouble();
    }
    EXPECT_EQ(sums.size(), kParticipants);
    for (auto it = sums.cbegin(); it != sums.cend(); ++it)
        EXPECT_DOUBLE_EQ(it->first, it->second) << "Position " << it.key();
}
