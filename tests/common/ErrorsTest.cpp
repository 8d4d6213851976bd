#include "common/Errors.h"
#include "support/ScriptedOperator.h"

#include <gtest/gtest.h>

using namespace rq;

TEST(Errors, FullStopRule)
{
    const struct
    {
        const char *message;
        const char *shown;
    } cases[] = {{"Keine gültige Leistung", "Keine gültige Leistung."},
                 {"Wert 12", "Wert 12."},
                 {"Fertig.", "Fertig."},
                 {"Achtung!", "Achtung!"},
                 {"Klammer (x)", "Klammer (x)"},
                 {"Strich-", "Strich-"},
                 {"Schluss/", "Schluss/."},
                 {"", ""}};
    for (const auto &c : cases)
        EXPECT_EQ(withFullStop(QString::fromUtf8(c.message)), QString::fromUtf8(c.shown)) << c.message;
}

TEST(Errors, GeneralErrorDisplayEndsTheHandler)
{
    test::ScriptedOperator op;
    bool after = false;
    EXPECT_FALSE(runGuarded(op, [&] {
        throw EngineError(QStringLiteral("UNIQUE constraint failed: PERSON.KAT_ID"), QStringLiteral("INSERT ..."));
        after = true;
    }));
    EXPECT_FALSE(after);
    EXPECT_FALSE(runGuarded(op, [] { throw SilentAbort(); }));
    EXPECT_TRUE(runGuarded(op, [] {}));
    EXPECT_EQ(op.messages, QStringList{QStringLiteral("Ranquill: UNIQUE constraint failed: PERSON.KAT_ID.")});
}
