#include "capture/FormulaParser.h"
#include "capture/ResultEntry.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "db/Database.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::capture;

namespace {

// One participant (12, 7) with a discipline in each unit; formulas for some.
class ResultEntryTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        db.exec(QStringLiteral("INSERT INTO PERSON (KAT_ID, PERS_ID, NAME, VORNAME, PREFIX, ORT, SPARTE, KATEGORIE, "
                               "STATUS_ID, ZUSATZ1, IMPORT_ID, ZEILENTYP_ID) VALUES (12, 7, 'Meier', 'Hans', 'TV', "
                               "'Bern', 'LA', 'Aktive', 0, '99', 1, 2)"));
        const struct
        {
            int disz;
            int unit;
            const char *name;
            const char *stored;
        } disciplines[] = {{1, 0, "Sprint", "12.25"}, {2, 2, "Weit", "5.5"}, {3, 4, "Lauf", "3.5"}, {4, 1, "Hoch", ""}};
        for (const auto &d : disciplines)
            db.exec(QStringLiteral("INSERT INTO LEISTUNG (KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, DISZIPLIN, "
                                   "ZUSATZ1, IMPORT_ID, ZEILENTYP_ID) VALUES (12, 7, ?, ?, 0, ?, ?, 1, 1)"),
                    {d.disz, d.unit, QString::fromLatin1(d.name), QString::fromLatin1(d.stored)});
        ini.writeString(QStringLiteral("Formulas"), QStringLiteral("2-Weit"), QStringLiteral("L 100 *"));
        ini.writeString(QStringLiteral("Formulas"), QStringLiteral("3-Lauf"), QStringLiteral("L"));
    }

    QString value(const QString &sql) { return db.scalar(sql).toString(); }

    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::ScriptedOperator op;
    IniFile ini{temp.dir.filePath(QStringLiteral("Ranquill.ini"))};
    FormulaParser parser{op};
    ResultEntry entry{db, op, ini, parser};
};

}  // namespace

TEST_F(ResultEntryTest, LoadBringsStoredTextsIntoCanonicalForm)
{
    ASSERT_TRUE(entry.load(12, 7, 1));
    ASSERT_EQ(entry.rows().size(), 4);
    QStringList rows;
    for (const DisciplineRow &r : entry.rows())
        rows << r.performance + u'|' + r.points;
    // 12.25 with one decimal ties to even; a time is minutes.secondshundredths, L in seconds.
    EXPECT_EQ(rows, QStringList({QStringLiteral("12.2|12.2"), QStringLiteral("5.50|550.0"),
                                 QStringLiteral("3.5000|230.0"), QStringLiteral("|0")}));
    EXPECT_EQ(entry.lastTotal(), QStringLiteral("99"));
    EXPECT_EQ(entry.verein(), QStringLiteral("TV Bern"));
    EXPECT_EQ(entry.person().name, QStringLiteral("Meier"));
    EXPECT_TRUE(op.messages.isEmpty()) << op.messages.join(u'\n').toStdString();
    EXPECT_EQ(entry.total(false, 1), QStringLiteral("792.2"));
    EXPECT_EQ(entry.total(true, 2), QStringLiteral("198.05"));  // the average counts the row without a performance

    EXPECT_FALSE(entry.load(12, 8, 0));
}

TEST_F(ResultEntryTest, ValidationOfARow)
{
    entry.load(12, 7, 0);
    const struct
    {
        int row;
        const char *performance;
        const char *additional;
        const char *message;  // empty: the row may be left
    } cases[] = {
        {0, "-3", "", ""},  // points may be negative
        {1, "-3", "", "Negative Leistung nicht erlaubt"},
        {1, "abc", "", "Keine gültige Leistung"},
        {1, "5", "x", "Kein gültiger Zusatzwert"},
        {2, "3.75", "", "Zeit in [Minuten.SekundenHundertstel] eingeben"},
        {2, "3.6", "", "Zeit in [Minuten.SekundenHundertstel] eingeben"},
        {2, "3.59", "", ""},
        {3, "5.5", "", "Keine gültige Leistung"},
        {3, "512", "2", ""},
    };
    for (const auto &c : cases) {
        entry.setPerformance(c.row, QString::fromLatin1(c.performance));
        entry.setAdditional(c.row, QString::fromLatin1(c.additional));
        EXPECT_EQ(entry.validate(c.row).value_or(QString()), QString::fromUtf8(c.message)) << c.performance;
    }
}

TEST_F(ResultEntryTest, SavedStatusTotalAndWarnings)
{
    const struct
    {
        int status;
        const char *total;
        const char *stored;  // ZUSATZ1/PKT_VAL in tenths/STATUS_ID
        const char *warning;
    } cases[] = {
        {0, "12.50", "12.50/125/1", ""},
        {2, "12.50", "12.50/125/2", ""},
        {1, "-3", "0/0/1", "Ungültiger Wert in Punktetotal wird als O gespeichert"},
        {3, "", "-/0/0", "Datensatz gilt als unbearbeitet wegen fehlendem Punktetotal, "},
        {1, "x", "-/0/0", "Datensatz gilt als unbearbeitet wegen ungültigem Wert in Punktetotal, "},
    };
    for (const auto &c : cases) {
        op.messages.clear();
        entry.load(12, 7, 2);
        PersonFields fields = entry.person();
        fields.status = c.status;
        EXPECT_EQ(entry.save(fields, QString::fromLatin1(c.total)), ResultEntry::Saved::Yes);
        EXPECT_EQ(
            value(QStringLiteral("SELECT coalesce(ZUSATZ1, '-') || '/' || CAST(PKT_VAL * 10 AS INTEGER) || '/' || "
                                 "STATUS_ID FROM PERSON")),
            QString::fromLatin1(c.stored))
            << c.total;
        EXPECT_EQ(op.messages.join(u'\n'),
                  c.warning[0] ? QStringLiteral("Warnung: ") + QString::fromUtf8(c.warning) : QString());
    }
    EXPECT_EQ(value(QStringLiteral("SELECT group_concat(STATUS_ID || ':' || coalesce(ZUSATZ3, '-'), ' ') FROM "
                                   "(SELECT * FROM LEISTUNG ORDER BY DISZ_ID) l")),
              QStringLiteral("1:12.25 1:550.00 1:230.00 0:0"));

    // A row without a performance but with an additional value stores nothing.
    entry.load(12, 7, 2);
    db.exec(QStringLiteral("UPDATE LEISTUNG SET ZUSATZ1 = NULL"));
    entry.setAdditional(3, QStringLiteral("5"));
    EXPECT_EQ(entry.save(entry.person(), QStringLiteral("5")), ResultEntry::Saved::Inconsistent);
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM LEISTUNG WHERE ZUSATZ1 IS NOT NULL")), QStringLiteral("0"));
}

TEST_F(ResultEntryTest, ARefusedParticipantUpdateIsShownWithItsValues)
{
    entry.load(12, 7, 0);
    test::refuseUpdates(db, QStringLiteral("PERSON"), QStringLiteral("TRUE"));
    PersonFields fields = entry.person();
    fields.name = QStringLiteral("O'Neil");
    EXPECT_THROW(entry.save(fields, QStringLiteral("12")), EngineError);
    ASSERT_EQ(op.messages.size(), 1);
    EXPECT_EQ(op.messages.first(),
              QStringLiteral("Fehler: UPDATE PERSON SET \nZUSATZ1 = '12'\n,STATUS_ID = 1\n,AUSZEICHNUNG_ID = NULL\n"
                             ",RANG = NULL\n,PKT_VAL = 12\n,NAME = 'O''Neil'\n,JAHRGANG = NULL\n,VORNAME = 'Hans'\n"
                             ",BEMERKUNG = NULL\nWHERE\nKAT_ID = 12 AND \nPERS_ID = 7"));
    // The rows of the participant were not stored either.
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM LEISTUNG WHERE STATUS_ID = 1")), QStringLiteral("0"));
}

// Two stations on one participant: the second save of the same results is
// refused with the first station's values, and stores nothing; once the
// operator has seen them he may keep his own. Other participants, and a second
// save from the same window, are no conflict.
TEST_F(ResultEntryTest, AResultSavedMeanwhileAtAnotherStationIsNeverOverwrittenUnseen)
{
    const auto other = temp.connect();
    test::ScriptedOperator otherOp;
    ResultEntry there{*other, otherOp, ini, parser};

    ASSERT_TRUE(entry.load(12, 7, 2));
    ASSERT_TRUE(there.load(12, 7, 2));
    there.setPerformance(1, QStringLiteral("6.10"));
    there.recalculate(1, 2);
    ASSERT_EQ(there.save(there.person(), there.total(false, 2)), ResultEntry::Saved::Yes);

    entry.setPerformance(1, QStringLiteral("4.90"));
    entry.recalculate(1, 2);
    EXPECT_EQ(entry.save(entry.person(), entry.total(false, 2)), ResultEntry::Saved::Conflict);
    EXPECT_TRUE(entry.conflictMessage().contains(QStringLiteral("Weit: Leistung 6.10")))
        << entry.conflictMessage().toStdString();
    EXPECT_EQ(value(QStringLiteral("SELECT ZUSATZ1 FROM LEISTUNG WHERE DISZ_ID = 2")), QStringLiteral("6.10"));

    entry.overwriteSeen();
    EXPECT_EQ(entry.save(entry.person(), entry.total(false, 2)), ResultEntry::Saved::Yes);
    EXPECT_EQ(entry.save(entry.person(), entry.total(false, 2)), ResultEntry::Saved::Yes);
    EXPECT_EQ(value(QStringLiteral("SELECT ZUSATZ1 FROM LEISTUNG WHERE DISZ_ID = 2")), QStringLiteral("4.90"));

    // The other station's window still holds 6.10: its next save is refused in turn.
    EXPECT_EQ(there.save(there.person(), there.total(false, 2)), ResultEntry::Saved::Conflict);
}
