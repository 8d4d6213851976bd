#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "db/Database.h"
#include "interchange/E2vExport.h"
#include "interchange/ImportRemoval.h"
#include "interchange/InterchangeImport.h"
#include "support/ScriptedOperator.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlQuery>
#include <QSqlRecord>

#include <gtest/gtest.h>

using namespace rq;
using namespace rq::interchange;

namespace {

// A participant line of the central product: category 12, start number 7.
QStringList participant()
{
    return {QStringLiteral("2"),
            QStringLiteral("12"),
            QStringLiteral("7"),
            QString(),
            QStringLiteral("Bem"),
            QStringLiteral("1"),
            QString(),
            QString(),
            QString(),
            QString(),
            QStringLiteral("Meier"),
            QStringLiteral("Hans"),
            QStringLiteral("1990"),
            QStringLiteral("TV"),
            QStringLiteral("Bern"),
            QStringLiteral("Leichtathletik"),
            QStringLiteral("Aktive")};
}

QStringList performance(int disz = 1)
{
    return {QStringLiteral("1"),
            QStringLiteral("12"),
            QStringLiteral("7"),
            QString::number(disz),
            QStringLiteral("2"),
            QStringLiteral("0"),
            QString(),
            QString(),
            QStringLiteral("Meter"),
            QStringLiteral("Weitsprung"),
            QStringLiteral("Meier"),
            QStringLiteral("Hans"),
            QStringLiteral("1990"),
            QStringLiteral("TV"),
            QStringLiteral("Bern"),
            QStringLiteral("Leichtathletik"),
            QStringLiteral("Aktive")};
}

QStringList with(QStringList fields, int number, const QString &value)
{
    fields[number - 1] = value;
    return fields;
}

QString line(const QStringList &fields)
{
    return fields.join(u'\t');
}

class InterchangeTest : public ::testing::Test
{
protected:
    test::TempDatabase temp;
    db::Database &db = *temp.db;
    test::RecordingErrorList errors;

    QString file(const QStringList &lines, const QString &name = QStringLiteral("in.v2e"))
    {
        const QString path = temp.dir.filePath(name);
        cp1252::writeLines(path, lines);
        return path;
    }
    void import(const QString &path, Format format = Format::V2E)
    {
        InterchangeImport(db, errors).importFile(path, format);
    }
    int count(const QString &table) { return db.scalar(QStringLiteral("SELECT count(*) FROM ") + table).toInt(); }
    QVariant value(const QString &sql) { return db.scalar(sql); }
};

}  // namespace

TEST(InterchangeLines, FieldChecks)
{
    const QString name41(41, u'x');
    const struct
    {
        QString line;
        bool participantLine;
        Format format;
        const char *reason;
    } cases[] = {
        {line(participant()), true, Format::V2E, ""},
        {line(with(participant(), 6, QStringLiteral("4"))), true, Format::V2E, ": Status ID ungültig"},
        {line(with(participant(), 7, QStringLiteral("12.5"))), true, Format::V2E, ": Punkte ungültig"},
        {line(with(participant(), 7, QStringLiteral("12.50"))), true, Format::V2E, ": Punkte ungültig"},
        {line(with(participant(), 7, QStringLiteral("12.50000"))), true, Format::V2E, ""},
        {line(with(participant(), 7, QStringLiteral("100000"))), true, Format::V2E, ": Punkte ungültig"},
        {line(with(participant(), 7, QStringLiteral("12,5"))), true, Format::V2E, ": Punkte ungültig"},
        {line(with(participant(), 7, QStringLiteral("12.5"))), true, Format::E2V, ""},
        {line(with(participant(), 8, QStringLiteral("2.9"))), true, Format::V2E, ": Auszeichnung ID ungültig"},
        {line(with(participant(), 8, QStringLiteral("2.9"))), true, Format::E2V, ""},
        {line(with(participant(), 8, QStringLiteral("100000.5"))), true, Format::E2V, ": Auszeichnung ID ungültig"},
        {line(with(participant(), 11, name41)), true, Format::V2E, ": Name/Name1 + Vorname1 ungültig"},
        {line(with(participant(), 17, name41)), true, Format::V2E, ""},
        {line(with(participant(), 13, QStringLiteral("abc"))), true, Format::E2V, ": Jahrgang ungültig"},
        {line(with(participant(), 4, QStringLiteral("-1"))), true, Format::V2E, ": Rang ungültig"},
        {QStringLiteral("2\t5\t7"), true, Format::V2E, ": Status ID ungültig"},
        {line(performance()), false, Format::V2E, ""},
        {line(with(performance(), 5, QString())), false, Format::V2E, ": Einheit ID ungültig"},
        {line(with(performance(), 5, QStringLiteral("6"))), false, Format::V2E, ": Einheit ID ungültig"},
        {line(with(performance(), 4, QStringLiteral("10000000"))), false, Format::V2E, ": Disziplin ID ungültig"},
        {line(with(performance(), 8, QStringLiteral("5.5"))), false, Format::V2E, ": Leistung ungültig"},
        {line(with(performance(), 8, QStringLiteral("5.5"))), false, Format::E2V, ""},
        {line(with(performance(), 13, QStringLiteral("abc"))), false, Format::V2E, ": Jahrgang ungültig"},
        {line(with(performance(), 13, QStringLiteral("abc"))), false, Format::E2V, ""},
    };
    for (const auto &c : cases) {
        const CheckedLine checked =
            c.participantLine ? checkParticipantLine(c.line, c.format) : checkPerformanceLine(c.line, c.format);
        EXPECT_EQ(checked.reason, QString::fromUtf8(c.reason)) << c.line.toStdString();
    }
}

TEST_F(InterchangeTest, StoresValuesAsTheyStandAndReportsLineNumbers)
{
    import(file({line(with(with(participant(), 7, QStringLiteral("12.50000")), 17, QString(41, u'K'))),
                 QStringLiteral("x\tfoo"), QStringLiteral("3\t1\t2"), QString(),
                 line(with(participant(), 6, QStringLiteral("4"))), line(performance())}));
    EXPECT_EQ(errors.lines, QStringList({QStringLiteral("Fehler in Zeile 2: Zeilentyp ID ungültig"),
                                         QStringLiteral("Fehler in Zeile 4: Zeilentyp ID ungültig"),
                                         QStringLiteral("Fehler in Zeile 5: Status ID ungültig")}));
    EXPECT_TRUE(errors.visible);
    QSqlQuery q = db.exec(QStringLiteral("SELECT PUNKTE, KATEGORIE, RANG IS NULL, AUSZEICHNUNG_ID IS NULL, IMPORT_ID, "
                                         "ZEILENTYP_ID, ZUSATZ1 IS NULL, PKT_VAL IS NULL FROM PERSON"),
                          {});
    ASSERT_TRUE(q.next());
    EXPECT_EQ(q.value(0).toString(), QStringLiteral("12.50000"));
    EXPECT_EQ(q.value(1).toString(), QString(40, u'K'));
    for (int i : {2, 3, 6, 7})
        EXPECT_TRUE(q.value(i).toBool()) << i;
    EXPECT_EQ(q.value(4).toInt(), 1);
    EXPECT_EQ(q.value(5).toInt(), 2);
    EXPECT_EQ(count(QStringLiteral("LEISTUNG")), 1);
    EXPECT_EQ(value(QStringLiteral("SELECT STATUS FROM IMPORT")).toString(), QStringLiteral("IMPORTIERT"));
}

TEST_F(InterchangeTest, PerformancesBeforeParticipantsAndDuplicates)
{
    const QStringList second = with(participant(), 3, QStringLiteral("8"));
    import(file({line(performance(1)), line(with(performance(2), 3, QStringLiteral("8"))), line(performance(3)),
                 line(participant()), line(second)}));
    EXPECT_TRUE(errors.lines.isEmpty()) << errors.lines.join(u'\n').toStdString();
    EXPECT_EQ(count(QStringLiteral("PERSON")), 2);
    EXPECT_EQ(count(QStringLiteral("LEISTUNG")), 3);

    // The same file again: every line refused, nothing changed, a second IMPORT row.
    import(temp.dir.filePath(QStringLiteral("in.v2e")));
    ASSERT_EQ(errors.lines.size(), 5);
    // The German text, then the engine's own in brackets.
    EXPECT_TRUE(errors.lines.at(0).startsWith(
        QStringLiteral("Fehler in Zeile 4: Ein Datensatz mit diesem Schlüssel ist schon vorhanden (")));
    EXPECT_TRUE(errors.lines.at(2).startsWith(
        QStringLiteral("Fehler in Zeile 1: Ein Datensatz mit diesem Schlüssel ist schon vorhanden (")));
    EXPECT_EQ(count(QStringLiteral("PERSON")), 2);
    EXPECT_EQ(count(QStringLiteral("IMPORT")), 2);

    // A duplicate inside one file: that line alone is refused.
    import(file({line(with(participant(), 2, QStringLiteral("13"))), line(with(participant(), 2, QStringLiteral("13"))),
                 line(with(with(participant(), 2, QStringLiteral("13")), 3, QStringLiteral("9")))},
                QStringLiteral("dup.v2e")));
    ASSERT_EQ(errors.lines.size(), 1);
    EXPECT_TRUE(errors.lines.first().startsWith(QStringLiteral("Fehler in Zeile 2: ")));
    EXPECT_EQ(value(QStringLiteral("SELECT count(*) FROM PERSON WHERE KAT_ID = 13")).toInt(), 2);
}

TEST_F(InterchangeTest, OnlyPerformanceLinesAndEmptyFile)
{
    import(file({line(performance(1)), line(performance(2))}));
    ASSERT_EQ(errors.lines.size(), 2);
    EXPECT_TRUE(errors.lines.at(1).startsWith(
        QStringLiteral("Fehler in Zeile 2: Der Datensatz verweist auf einen fehlenden Datensatz oder wird von einem "
                       "anderen noch gebraucht (")));
    EXPECT_EQ(count(QStringLiteral("LEISTUNG")), 0);

    import(file({}, QStringLiteral("leer.v2e")));
    EXPECT_TRUE(errors.lines.isEmpty());
    EXPECT_FALSE(errors.visible);
    EXPECT_EQ(count(QStringLiteral("IMPORT")), 2);
}

TEST_F(InterchangeTest, BadInputNeverCrashes)
{
    QByteArray garbage;
    for (int i = 0; i < 200000; ++i)
        garbage.append(char((i * 7919) % 256));
    garbage += "\n2\t1\t1\t\t\t0\x00\tx\n";
    garbage += QByteArray(100000, 'a') + "\n";
    garbage += line(participant()).toLatin1() + "\n";
    const QString path = temp.dir.filePath(QStringLiteral("garbage.v2e"));
    test::writeBytes(path, garbage);
    import(path);
    EXPECT_FALSE(errors.lines.isEmpty());
    EXPECT_EQ(count(QStringLiteral("PERSON")), 1);

    EXPECT_THROW(import(temp.dir.path()), FileError);
    EXPECT_THROW(import(temp.dir.filePath(QStringLiteral("fehlt.v2e"))), FileError);
}

TEST_F(InterchangeTest, E2vRoundTripKeepsTheCapturedResults)
{
    import(file({line(participant()), line(with(participant(), 3, QStringLiteral("8"))), line(performance(9)),
                 line(performance(10))}));
    db.exec(QStringLiteral("UPDATE PERSON SET ZUSATZ1 = '12.50', PKT_VAL = 12.5, STATUS_ID = 1, RANG = 2, "
                           "AUSZEICHNUNG_ID = '3', BEMERKUNG = 'A \"B\"' WHERE PERS_ID = 7"));
    db.exec(QStringLiteral("UPDATE LEISTUNG SET ZUSATZ1 = '5.50', ZUSATZ2 = '1', ZUSATZ3 = '512.00', STATUS_ID = 1 "
                           "WHERE DISZ_ID = 10"));
    const QStringList lines = E2vExport::lines(db);
    ASSERT_EQ(lines.size(), 4);
    EXPECT_EQ(lines.at(0), QStringLiteral("2\t12\t7\t2\tA \"B\"\t1\t12.50\t3\t\t\tMeier\tHans\t1990\tTV\tBern\t"
                                          "Leichtathletik\tAktive"));
    EXPECT_TRUE(lines.at(1).startsWith(QStringLiteral("2\t12\t8\t\tBem\t1\t\t")));  // no rank: empty field 4
    EXPECT_TRUE(lines.at(2).startsWith(QStringLiteral("1\t12\t7\t10\t2\t1\t512.00\t5.50\tMeter")));
    EXPECT_TRUE(lines.at(3).startsWith(QStringLiteral("1\t12\t7\t9\t")));
    for (const QString &l : lines)
        EXPECT_EQ(l.count(u'\t'), 16);

    const QString exported = temp.dir.filePath(QStringLiteral("Export.e2v"));
    E2vExport::writeFile(db, exported);
    EXPECT_TRUE(test::readBytes(exported).endsWith("Aktive\r\n"));

    test::TempDatabase other;
    InterchangeImport(*other.db, errors).importFile(exported, Format::E2V);
    EXPECT_TRUE(errors.lines.isEmpty()) << errors.lines.join(u'\n').toStdString();
    const QString people = QStringLiteral("SELECT KAT_ID, PERS_ID, RANG, BEMERKUNG, STATUS_ID, AUSZEICHNUNG_ID, NAME, "
                                          "VORNAME, JAHRGANG, ZUSATZ1, PKT_VAL FROM PERSON ORDER BY 1, 2");
    const QString results = QStringLiteral("SELECT KAT_ID, PERS_ID, DISZ_ID, EINHEIT_ID, STATUS_ID, ZUSATZ1, ZUSATZ3, "
                                           "DISZIPLIN FROM LEISTUNG ORDER BY 1, 2, 3");
    for (const QString &sql : {people, results}) {
        QSqlQuery a = db.exec(sql, {});
        QSqlQuery b = other.db->exec(sql, {});
        int rows = 0;
        while (a.next()) {
            ASSERT_TRUE(b.next());
            ++rows;
            for (int i = 0; i < a.record().count(); ++i)
                EXPECT_EQ(a.value(i), b.value(i)) << sql.toStdString() << " column " << i;
        }
        EXPECT_FALSE(b.next());
        EXPECT_GT(rows, 1);
    }
    EXPECT_TRUE(other.db
                    ->scalar(QStringLiteral("SELECT PUNKTE IS NULL AND LEISTUNG IS NULL AND ZUSATZ2 IS NULL "
                                            "FROM LEISTUNG WHERE DISZ_ID = 10"))
                    .toBool());

    // Into the database it came from: every line a duplicate.
    InterchangeImport(db, errors).importFile(exported, Format::E2V);
    EXPECT_EQ(errors.lines.size(), 4);
}

TEST_F(InterchangeTest, E2vAwardIsCutToItsWholePart)
{
    import(file({line(with(with(participant(), 8, QStringLiteral("2.9")), 7, QStringLiteral("17.25"))),
                 line(with(performance(), 13, QStringLiteral("abc")))},
                QStringLiteral("a.e2v")),
           Format::E2V);
    EXPECT_TRUE(errors.lines.isEmpty());
    EXPECT_EQ(
        value(QStringLiteral("SELECT AUSZEICHNUNG_ID || '/' || ZUSATZ1 || '/' || PKT_VAL FROM PERSON")).toString(),
        QStringLiteral("2/17.25/17.25"));
    EXPECT_EQ(value(QStringLiteral("SELECT JAHRGANG FROM LEISTUNG")).toString(), QStringLiteral("abc"));
}

TEST_F(InterchangeTest, RemovingImportsKeepsClubsAndLists)
{
    import(file({line(participant()), line(performance())}));
    db.exec(QStringLiteral("INSERT INTO PERSVEREIN VALUES (12, 7, 1)"));
    db.exec(QStringLiteral("INSERT INTO RANGLISTE (KAT_NR, KLASSE_NR) VALUES (12, 0)"));
    test::ScriptedOperator op;
    op.answer(Button::No);
    ImportRemoval::run(db, op);
    EXPECT_EQ(count(QStringLiteral("PERSON")), 1);
    op.answer(Button::Yes);
    ImportRemoval::run(db, op);
    EXPECT_EQ(op.messages.last(),
              QStringLiteral("Bestätigung: Wollen Sie wirklich alle importierten E2V und V2E Daten löschen?"));
    for (const char *t : {"LEISTUNG", "PERSON", "IMPORT"})
        EXPECT_EQ(count(QString::fromLatin1(t)), 0) << t;
    EXPECT_EQ(count(QStringLiteral("PERSVEREIN")), 1);
    EXPECT_EQ(count(QStringLiteral("RANGLISTE")), 1);
    import(temp.dir.filePath(QStringLiteral("in.v2e")));
    EXPECT_EQ(value(QStringLiteral("SELECT IMPORT_ID FROM IMPORT")).toInt(), 1);
}

TEST_F(InterchangeTest, AFirstFieldTooLongIsNoLineTypeAndThePathIsStoredInFull)
{
    // 41 characters, even when they read as a number, make no line type.
    const QString longType = QString(40, u'0') + u'2';
    QDir::setCurrent(temp.dir.path());
    file({line(with(participant(), 1, longType)), line(participant())}, QStringLiteral("rel.v2e"));
    import(QStringLiteral("rel.v2e"));
    EXPECT_EQ(errors.lines, QStringList{QStringLiteral("Fehler in Zeile 1: Zeilentyp ID ungültig")});
    EXPECT_EQ(count(QStringLiteral("PERSON")), 1);
    const QString full = QFileInfo(temp.dir.filePath(QStringLiteral("rel.v2e"))).absoluteFilePath();
    EXPECT_EQ(value(QStringLiteral("SELECT PFAD || '|' || FILENAME FROM IMPORT")).toString(), full + u'|' + full);
}
