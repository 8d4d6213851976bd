#include "capture/FormulaParser.h"
#include "capture/Units.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QTemporaryDir>

#include <cmath>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::capture;

TEST(FormulaParser, Examples)
{
    test::ScriptedOperator op;
    FormulaParser parser(op);
    const struct
    {
        const char *formula;
        double result;
    } cases[] = {
        {"L", 3},
        {"Z", 7},
        {"L 10 *", 30},
        {"L 2 3 * +", 9},
        {"Z L -", 4},
        {"1000 L /", 1000.0 / 3},
        {"4 0.5 ^", 2},
        {"L 2", 2},
        {"L -", -3},
        {"5 -", -5},
        {"+", 0},
        {"1 2 3 4 5 6 7 + + + + + +", 28},
        {"1 2 3 4 5 6 7 8 + + + + + + +", 35},
        {"1 2 3 4 5 6 7 8 9 + + + + + + + +", 42},
        {"  L    10   *  ", 30},
        {"-3 L *", -9},
    };
    for (const auto &c : cases) {
        ASSERT_TRUE(parser.prepare(QString::fromLatin1(c.formula))) << c.formula;
        const auto v = parser.evaluate(3, 7);
        ASSERT_TRUE(v.has_value()) << c.formula;
        EXPECT_NEAR(*v, c.result, 1e-9) << c.formula;
    }
    EXPECT_TRUE(op.messages.isEmpty());
}

TEST(FormulaParser, Faults)
{
    const struct
    {
        const char *formula;
        bool prepared;
        QStringList messages;
    } cases[] = {
        {"l", false, {QStringLiteral("Bestätigung: Ungültiges Zeichen in Formel:l")}},
        {"L 2,5 *",
         false,
         {QStringLiteral("Bestätigung: Ungültiges Zeichen in Formel:,"),
          QStringLiteral("Bestätigung: 2,5 ist keine gültige Konstante")}},
        {"-L", false, {QStringLiteral("Bestätigung: -L ist keine gültige Konstante")}},
        {"L .", false, {QStringLiteral("Bestätigung: . ist keine gültige Konstante")}},
        {"   ", false, {}},
        {"L 0 /", true, {}},
        {"0 2 ^", true, {}},
        {"-2 2 ^", true, {}},
    };
    for (const auto &c : cases) {
        test::ScriptedOperator op;
        for (qsizetype i = 0; i < c.messages.size(); ++i)
            op.answer(Button::Ok);
        FormulaParser parser(op);
        EXPECT_EQ(parser.prepare(QString::fromLatin1(c.formula)), c.prepared) << c.formula;
        EXPECT_EQ(op.messages, c.messages) << c.formula;
        if (c.prepared) {
            EXPECT_FALSE(parser.evaluate(3, 7).has_value()) << c.formula;
        }
    }
}

TEST(FormulaParser, DefaultFormulaIsWrittenAndReadAfresh)
{
    QTemporaryDir dir;
    IniFile ini(dir.filePath(QStringLiteral("Ranquill.ini")));
    test::ScriptedOperator op;
    FormulaParser parser(op);
    EXPECT_EQ(parser.computePoints(ini, 7, QStringLiteral("Kugelstoßen"), 0, 12.5, 3), 12.5);
    EXPECT_EQ(ini.readString(QStringLiteral("Formulas"), QStringLiteral("7-Kugelstoßen")), QStringLiteral("L"));
    EXPECT_EQ(parser.computePoints(ini, 8, QStringLiteral("Weitsprung"), 2, 5.5, 0), 0);
    EXPECT_EQ(ini.readString(QStringLiteral("Formulas"), QStringLiteral("8-Weitsprung")), QStringLiteral("Z"));
    ini.writeString(QStringLiteral("Formulas"), QStringLiteral("8-Weitsprung"), QStringLiteral("L 100 *"));
    EXPECT_EQ(parser.computePoints(ini, 8, QStringLiteral("Weitsprung"), 2, 5.5, 0), 550);
}

TEST(Units, Normalisation)
{
    const struct
    {
        const char *text;
        int unit;
        int decimals;
        const char *canonical;
        double value;
    } cases[] = {
        {"512", 1, 0, "512", 512},        {"5.5", 2, 0, "5.50", 5.5},
        {"12.25", 0, 1, "12.2", 12.2},    {"12.75", 0, 1, "12.8", 12.8},
        {"3.5", 4, 0, "3.5000", 230},     {"3.4512", 4, 0, "3.4512", 225.12},
        {"3.59999", 4, 0, "4.0000", 240}, {"10.125", 3, 0, "10.12", 10.12},
        {"-3", 5, 0, "-3", -3},           {"7", 9, 0, "", 0},
    };
    for (const auto &c : cases) {
        const Performance p = normalizePerformance(QString::fromLatin1(c.text), c.unit, c.decimals);
        EXPECT_EQ(p.text, QString::fromLatin1(c.canonical)) << c.text;
        EXPECT_NEAR(p.value, c.value, 1e-9) << c.text;
    }
    EXPECT_THROW(normalizePerformance(QStringLiteral("2.5"), 5, 0), Error);
}

TEST(Units, Validation)
{
    const struct
    {
        const char *performance;
        const char *additional;
        int unit;
        const char *message;
    } cases[] = {
        {"3.75", "", 4, "Zeit in [Minuten.SekundenHundertstel] eingeben"},
        {"3.7", "", 4, "Zeit in [Minuten.SekundenHundertstel] eingeben"},
        {"3.5", "", 4, ""},
        {"-1", "", 2, "Negative Leistung nicht erlaubt"},
        {"-1", "", 0, ""},
        {"12.5", "", 1, "Keine gültige Leistung"},
        {"12", "x", 1, "Kein gültiger Zusatzwert"},
        {"", "", 3, ""},
    };
    for (const auto &c : cases) {
        const auto m = validateRow(QString::fromLatin1(c.performance), QString::fromLatin1(c.additional), c.unit);
        EXPECT_EQ(m.value_or(QString()), QString::fromUtf8(c.message)) << c.performance;
    }
    EXPECT_TRUE(acceptableEntry(QStringLiteral("-")));
    EXPECT_TRUE(acceptableEntry(QStringLiteral("12.")));
    EXPECT_FALSE(acceptableEntry(QStringLiteral("12a")));
}
