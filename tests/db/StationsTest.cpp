#include "db/Database.h"
#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <gtest/gtest.h>

using namespace rq;

// A station learns that another one committed a change: on the server it is
// told (through the event loop), on a database file it asks when its window
// comes back to the front. Its own changes are no news.
TEST(Stations, AChangeOfAnotherStationIsNoticed)
{
    int argc = 0;
    std::unique_ptr<QCoreApplication> app;
    if (!QCoreApplication::instance())
        app = std::make_unique<QCoreApplication>(argc, nullptr);
    test::TempDatabase temp;
    db::Database &here = *temp.db;
    const auto there = temp.connect();
    int told = 0;
    const bool serverTells = here.watchOtherStations([&told] { ++told; });
    EXPECT_EQ(serverTells, test::onServer());
    EXPECT_FALSE(here.othersCommitted());

    const auto waitForNews = [&](int ms) {
        for (QDeadlineTimer deadline(serverTells ? ms : 0); told == 0 && !deadline.hasExpired();)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    };
    here.exec(QStringLiteral("INSERT INTO VEREIN (VEREIN_ID, ORT) VALUES (1, 'Bern')"));
    waitForNews(500);
    EXPECT_EQ(told, 0);
    EXPECT_FALSE(here.othersCommitted());

    there->exec(QStringLiteral("INSERT INTO VEREIN (VEREIN_ID, ORT) VALUES (2, 'Biel')"));
    waitForNews(5000);
    if (serverTells) {
        EXPECT_GE(told, 1);
    } else {
        EXPECT_TRUE(here.othersCommitted());
        EXPECT_FALSE(here.othersCommitted());  // told once
    }
}
