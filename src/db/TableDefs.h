#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace rq::db {

enum class FieldType { Integer, Text, Float, AutoInc };

struct FieldDef
{
    QString name;
    FieldType type = FieldType::Text;
    int width = 0;  // characters, for Text only
    bool required = false;
};

struct IndexDef
{
    QString name;
    QStringList fields;
    bool unique = false;
};

// A referential rule: `table`'s `fields` refer to `masterTable`'s `masterFields`.
struct ConstraintDef
{
    QString name;
    QString table;
    QString masterTable;
    QStringList fields;
    QStringList masterFields;
    bool cascadeOnUpdate = false;  // else restrict
    bool cascadeOnDelete = false;  // else restrict
};

struct TableDef
{
    QString name;  // "PERSON"
    QString fileName;  // "PERSON.db": the name older SQL uses for the same table
    QList<FieldDef> fields;
    IndexDef primaryKey;
    QList<IndexDef> indexes;

    // Position of a field counted from 0, or -1; the name in any letter case.
    int fieldIndex(const QString &fieldName) const;
    const FieldDef *field(const QString &fieldName) const;
    QStringList fieldNames() const;
};

// The ten tables in the order the setup checks them: PERSON, LEISTUNG, IMPORT,
// DETAILBLOCK, RANGLISTE, RANGPOS, DETAIL, DETAILLINE, PERSVEREIN, VEREIN.
const QList<TableDef> &tableDefs();

// The table named by its bare name or its file name ("RANGPOS.DB"), in any
// letter case; nullptr for any other name.
const TableDef *findTable(const QString &name);

// The referential rules; LEISTUNG_PERSON is the only one.
const QList<ConstraintDef> &constraintDefs();

// SQL that creates a table with its keys, indexes and the rules that every
// write path keeps: texts cut to their width, empty text stored as NULL, whole
// numbers only in integer fields (a quoted number is converted) and within 32
// bits, required fields not NULL, and the table's referential rules.
QStringList createTableSql(const TableDef &table);

// The triggers that keep a table's text rules (part of createTableSql): texts
// cut to their width and empty text as NULL.
struct TriggerDef
{
    QString name;
    QString sql;
};
QList<TriggerDef> ruleTriggers(const TableDef &table);

// The same table on PostgreSQL, from the same definition: integer columns
// (32 bits by their type), an identity column for the automatic number, the
// same keys, indexes and referential rules, and one trigger function that cuts
// the texts and stores empty text as NULL before a row is written.
QStringList createTableSqlPostgres(const TableDef &table);
// The trigger function and trigger of createTableSqlPostgres, replacing those there are.
QStringList ruleTriggerSqlPostgres(const TableDef &table);
// The channel on which the server tells every station that another one
// changed data, and the statement trigger of createTableSqlPostgres that does
// it (once per statement; the server sends at commit, once per table).
inline constexpr const char *kChangeChannel = "ranquill_changed";
QStringList changeNoticeSqlPostgres(const TableDef &table);
// The type the server reports for a field (information_schema.columns.data_type).
QString postgresType(FieldType type);

// The name of the check that keeps a whole-number field within 32 bits:
// "PERSON_KAT_ID_32BIT", the name the engine's refusal gives.
QString wholeNumberRule(const TableDef &table, const FieldDef &field);

}  // namespace rq::db
