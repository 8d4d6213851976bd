#include "db/TableDefs.h"

#include <QHash>

#include <functional>

namespace rq::db {
namespace {

FieldDef integer(const char *name, bool required = false)
{
    return {QString::fromLatin1(name), FieldType::Integer, 0, required};
}

FieldDef text(const char *name, int width)
{
    return {QString::fromLatin1(name), FieldType::Text, width, false};
}

QList<FieldDef> texts(std::initializer_list<const char *> names, int width)
{
    QList<FieldDef> fields;
    for (const char *name : names)
        fields.append(text(name, width));
    return fields;
}

QStringList keys(std::initializer_list<const char *> names)
{
    QStringList list;
    for (const char *name : names)
        list.append(QString::fromLatin1(name));
    return list;
}

TableDef person()
{
    TableDef t{QStringLiteral("PERSON"), QStringLiteral("PERSON.db"), {}, {}, {}};
    t.fields = {integer("KAT_ID", true), integer("PERS_ID", true), integer("RANG"), text("BEMERKUNG", 40),
                integer("STATUS_ID", true)};
    t.fields += texts({"PUNKTE", "AUSZEICHNUNG_ID", "TEAM_ID", "TEAM", "NAME", "VORNAME", "JAHRGANG", "PREFIX", "ORT",
                       "SPARTE", "KATEGORIE", "ZUSATZ1", "ZUSATZ2", "ZUSATZ3", "ZUSATZ4"},
                      40);
    t.fields += {integer("IMPORT_ID", true),
                 integer("ZEILENTYP_ID", true),
                 {QStringLiteral("PKT_VAL"), FieldType::Float, 0, false}};
    t.primaryKey = {QStringLiteral("PersonTableIndex1"), keys({"KAT_ID", "PERS_ID"}), true};
    t.indexes = {{QStringLiteral("PersonName"), keys({"NAME", "VORNAME"}), false},
                 {QStringLiteral("PersonVerein"), keys({"ORT", "PREFIX"}), false}};
    return t;
}

TableDef leistung()
{
    TableDef t{QStringLiteral("LEISTUNG"), QStringLiteral("LEISTUNG.db"), {}, {}, {}};
    t.fields = {integer("KAT_ID", true), integer("PERS_ID", true), integer("DISZ_ID", true), integer("EINHEIT_ID"),
                integer("STATUS_ID", true)};
    t.fields += texts({"PUNKTE", "LEISTUNG", "EINHEIT", "DISZIPLIN", "NAME", "VORNAME", "JAHRGANG", "PREFIX", "ORT",
                       "SPARTE", "KATEGORIE", "ZUSATZ1", "ZUSATZ2", "ZUSATZ3", "ZUSATZ4"},
                      40);
    t.fields += {integer("IMPORT_ID", true), integer("ZEILENTYP_ID", true)};
    t.primaryKey = {QStringLiteral("LeistungTableIndex1"), keys({"KAT_ID", "PERS_ID", "DISZ_ID"}), true};
    t.indexes = {{QStringLiteral("DISZ_ORDER"), keys({"ZUSATZ1", "DISZIPLIN"}), false}};
    return t;
}

TableDef import()
{
    TableDef t{QStringLiteral("IMPORT"), QStringLiteral("IMPORT.db"), {}, {}, {}};
    t.fields = {{QStringLiteral("IMPORT_ID"), FieldType::AutoInc, 0, true},
                text("QUELLE", 40),
                text("PFAD", 255),
                text("FILENAME", 255),
                text("STATUS", 40)};
    t.primaryKey = {QStringLiteral("ImportTableIndex1"), keys({"IMPORT_ID"}), true};
    return t;
}

TableDef detailBlock()
{
    TableDef t{QStringLiteral("DETAILBLOCK"), QStringLiteral("DETAILBLOCK.DB"), {}, {}, {}};
    t.fields = {integer("KAT_NR", true),     integer("KLASSE_NR", true),
                integer("RANGPOS_NR", true), integer("DETAILBLOCK_NR", true),
                text("NAME1", 40),           text("NAME2", 40),
                text("JAHRGANG", 20),        text("PUNKTE", 40),
                text("BEMERKUNGEN", 40)};
    t.primaryKey = {QStringLiteral("DetailBlockTableIndex1"),
                    keys({"KAT_NR", "KLASSE_NR", "RANGPOS_NR", "DETAILBLOCK_NR"}), true};
    return t;
}

TableDef rangliste()
{
    TableDef t{QStringLiteral("RANGLISTE"), QStringLiteral("RANGLISTE.DB"), {}, {}, {}};
    t.fields = {integer("KAT_NR", true), integer("KLASSE_NR", true)};
    t.fields += texts({"SPARTE_D", "SPARTE_F", "KATEGORIE_D", "KATEGORIE_F", "KLASSE_D", "KLASSE_F"}, 70);
    t.fields += texts({"RANG_TITEL", "NAME1_TITEL", "NAME2_TITEL", "JAHRGANG_TITEL", "VEREIN_TITEL", "KANTON_TITEL",
                       "PUNKTE_TITEL", "AUSZEICHNUNGS_TITEL"},
                      40);
    for (int i = 1; i <= 15; ++i)
        t.fields.append({QStringLiteral("DETAIL%1_TITEL").arg(i), FieldType::Text, 40, false});
    t.fields += {text("DETAILS_PRO_ZEILE", 20), text("LAYOUT", 20), text("HERKUNFT", 70), text("VERSION", 20),
                 text("DATUM", 20)};
    t.primaryKey = {QStringLiteral("RanglisteTableIndex1"), keys({"KAT_NR", "KLASSE_NR"}), true};
    return t;
}

TableDef rangpos()
{
    TableDef t{QStringLiteral("RANGPOS"), QStringLiteral("RANGPOS.DB"), {}, {}, {}};
    t.fields = {integer("KAT_NR", true), integer("KLASSE_NR", true), integer("RANGPOS_NR", true),
                text("RANG", 40),        text("NAME1", 40),          text("NAME2", 40),
                text("JAHRGANG", 20),    text("VEREIN", 70),         text("KANTON", 40),
                text("PUNKTE", 40),      text("AUSZEICHNUNG", 20),   text("BEMERKUNGEN", 40),
                text("VEREIN_ID", 40),   text("VERBAND_NR", 20),     text("PREFIX", 40),
                text("ORT", 40),         text("ZUSATZ", 40)};
    t.primaryKey = {QStringLiteral("RangPosTableIndex1"), keys({"KAT_NR", "KLASSE_NR", "RANGPOS_NR"}), true};
    return t;
}

TableDef detail()
{
    TableDef t{QStringLiteral("DETAIL"), QStringLiteral("DETAIL.DB"), {}, {}, {}};
    t.fields = {integer("KAT_NR", true), integer("KLASSE_NR", true), integer("RANGPOS_NR", true),
                integer("DETAILBLOCK_NR", true), integer("DETAILPOS_NR", true)};
    t.fields += texts({"DISZIPLIN", "LEISTUNG", "ZUSATZWERT", "ANZAHL", "PUNKTE", "DETAILTEXT"}, 40);
    t.primaryKey = {QStringLiteral("DetailTableIndex1"),
                    keys({"KAT_NR", "KLASSE_NR", "RANGPOS_NR", "DETAILBLOCK_NR", "DETAILPOS_NR"}), true};
    return t;
}

TableDef detailLine()
{
    TableDef t{QStringLiteral("DETAILLINE"), QStringLiteral("DETAILLINE.DB"), {}, {}, {}};
    t.fields = {integer("KAT_NR", true),     integer("KLASSE_NR", true),
                integer("RANGPOS_NR", true), integer("DETAILBLOCK_NR", true),
                text("NAME1", 40),           text("NAME2", 40),
                text("JAHRGANG", 20),        text("PUNKTE", 40),
                text("BEMERKUNGEN", 40)};
    for (int n = 1; n <= 20; ++n) {
        for (const char *part : {"DISZIPLIN", "LEISTUNG", "ZUSATZWERT", "ANZAHL", "PUNKTE", "DETAILTEXT"})
            t.fields.append({QString::fromLatin1(part) + QString::number(n), FieldType::Text, 40, false});
    }
    t.primaryKey = {QStringLiteral("DetailLineTableIndex1"),
                    keys({"KAT_NR", "KLASSE_NR", "RANGPOS_NR", "DETAILBLOCK_NR"}), true};
    return t;
}

TableDef persVerein()
{
    TableDef t{QStringLiteral("PERSVEREIN"), QStringLiteral("PERSVEREIN.db"), {}, {}, {}};
    t.fields = {integer("KAT_ID", true), integer("PERS_ID", true), integer("VEREIN_ID")};
    t.primaryKey = {QStringLiteral("PersVEREINTIndex1"), keys({"KAT_ID", "PERS_ID"}), true};
    return t;
}

TableDef verein()
{
    TableDef t{QStringLiteral("VEREIN"), QStringLiteral("VEREIN.db"), {}, {}, {}};
    t.fields = {integer("VEREIN_ID", true), text("PREFIX", 40),  text("ORT", 40),
                text("KANTON", 40),         text("VERBAND", 80), text("VERBAND_ID", 20)};
    t.primaryKey = {QStringLiteral("VereinIndex1"), keys({"VEREIN_ID"}), true};
    return t;
}

// A field's type on SQLite, or as the server names it.
QString typeSql(FieldType type, bool server = false)
{
    switch (type) {
    case FieldType::Integer:
    case FieldType::AutoInc:
        return server ? QStringLiteral("integer") : QStringLiteral("INTEGER");
    case FieldType::Float:
        return server ? QStringLiteral("double precision") : QStringLiteral("REAL");
    case FieldType::Text:
        return server ? QStringLiteral("text") : QStringLiteral("TEXT");
    }
    return {};
}

// The table's key (unless its automatic number is the key) and referential
// rules as clauses of its CREATE TABLE.
QStringList keyClauses(const TableDef &table)
{
    QStringList clauses;
    if (table.fields.first().type != FieldType::AutoInc)
        clauses << QStringLiteral("CONSTRAINT %1 PRIMARY KEY (%2)")
                       .arg(table.primaryKey.name, table.primaryKey.fields.join(u','));
    for (const ConstraintDef &c : constraintDefs()) {
        if (c.table != table.name)
            continue;
        clauses << QStringLiteral("CONSTRAINT %1 FOREIGN KEY (%2) REFERENCES %3 (%4) ON UPDATE %5 ON DELETE %6")
                       .arg(c.name, c.fields.join(u','), c.masterTable, c.masterFields.join(u','),
                            c.cascadeOnUpdate ? QStringLiteral("CASCADE") : QStringLiteral("RESTRICT"),
                            c.cascadeOnDelete ? QStringLiteral("CASCADE") : QStringLiteral("RESTRICT"));
    }
    return clauses;
}

QStringList indexSql(const TableDef &table)
{
    QStringList sql;
    for (const IndexDef &index : table.indexes) {
        sql << QStringLiteral("CREATE %1INDEX %2 ON %3 (%4)")
                   .arg(index.unique ? QStringLiteral("UNIQUE ") : QString(), index.name, table.name,
                        index.fields.join(u','));
    }
    return sql;
}

QString triggerCondition(const TableDef &table)
{
    QStringList tests;
    for (const FieldDef &f : table.fields) {
        if (f.type == FieldType::Text)
            tests << QStringLiteral("length(NEW.%1) > %2 OR NEW.%1 = ''").arg(f.name).arg(f.width);
    }
    return tests.join(QStringLiteral(" OR "));
}

QString triggerAssignments(const TableDef &table)
{
    QStringList sets;
    for (const FieldDef &f : table.fields) {
        if (f.type == FieldType::Text)
            sets << QStringLiteral("%1 = NULLIF(substr(%1, 1, %2), '')").arg(f.name).arg(f.width);
    }
    return sets.join(QStringLiteral(", "));
}

}  // namespace

int TableDef::fieldIndex(const QString &fieldName) const
{
    // Looked up for every column of every restored row: for the program's
    // ten tables by a table of the names in capitals, made once.
    const QList<TableDef> &own = tableDefs();
    const std::less<const TableDef *> before;
    if (!before(this, own.constData()) && before(this, own.constData() + own.size())) {
        static QList<QHash<QString, int>> byName(own.size());
        QHash<QString, int> &names = byName[this - own.constData()];
        if (names.isEmpty()) {
            for (int i = 0; i < fields.size(); ++i)
                names.insert(fields.at(i).name.toUpper(), i);
        }
        return names.value(fieldName.toUpper(), -1);
    }
    for (int i = 0; i < fields.size(); ++i) {
        if (fields.at(i).name.compare(fieldName, Qt::CaseInsensitive) == 0)
            return i;
    }
    return -1;
}

const FieldDef *TableDef::field(const QString &fieldName) const
{
    const int i = fieldIndex(fieldName);
    return i < 0 ? nullptr : &fields.at(i);
}

QStringList TableDef::fieldNames() const
{
    QStringList names;
    for (const FieldDef &f : fields)
        names.append(f.name);
    return names;
}

const QList<TableDef> &tableDefs()
{
    static const QList<TableDef> tables = {person(),  leistung(), import(),     detailBlock(), rangliste(),
                                           rangpos(), detail(),   detailLine(), persVerein(),  verein()};
    return tables;
}

const TableDef *findTable(const QString &name)
{
    for (const TableDef &t : tableDefs()) {
        if (t.name.compare(name, Qt::CaseInsensitive) == 0 || t.fileName.compare(name, Qt::CaseInsensitive) == 0)
            return &t;
    }
    return nullptr;
}

const QList<ConstraintDef> &constraintDefs()
{
    static const QList<ConstraintDef> constraints = {{QStringLiteral("LEISTUNG_PERSON"), QStringLiteral("LEISTUNG"),
                                                      QStringLiteral("PERSON"), keys({"KAT_ID", "PERS_ID"}),
                                                      keys({"KAT_ID", "PERS_ID"}), true, false}};
    return constraints;
}

QString wholeNumberRule(const TableDef &table, const FieldDef &field)
{
    return table.name + u'_' + field.name + QStringLiteral("_32BIT");
}

QList<TriggerDef> ruleTriggers(const TableDef &table)
{
    QList<TriggerDef> triggers;
    const QString condition = triggerCondition(table);
    if (!condition.isEmpty()) {
        // One trigger for inserts; one per column for updates, so that an UPDATE
        // statement carries only the rules of the columns it sets.
        triggers.append({table.name + QStringLiteral("_TEXT_INSERT"),
                         QStringLiteral("CREATE TRIGGER %1_TEXT_INSERT AFTER INSERT ON %1 WHEN %2 BEGIN "
                                        "UPDATE %1 SET %3 WHERE rowid = NEW.rowid; END")
                             .arg(table.name, condition, triggerAssignments(table))});
        for (const FieldDef &f : table.fields) {
            if (f.type != FieldType::Text)
                continue;
            triggers.append({table.name + QStringLiteral("_TEXT_") + f.name,
                             QStringLiteral("CREATE TRIGGER %1_TEXT_%2 AFTER UPDATE OF %2 ON %1 WHEN length(NEW.%2) > "
                                            "%3 OR NEW.%2 = '' BEGIN UPDATE %1 SET %2 = NULLIF(substr(%2, 1, %3), '') "
                                            "WHERE rowid = NEW.rowid; END")
                                 .arg(table.name, f.name)
                                 .arg(f.width)});
        }
    }
    return triggers;
}

QStringList createTableSql(const TableDef &table)
{
    QStringList columns;
    for (const FieldDef &f : table.fields) {
        QString column = f.name + u' ' + typeSql(f.type);
        if (f.type == FieldType::AutoInc)
            column += QStringLiteral(" CONSTRAINT %1 PRIMARY KEY AUTOINCREMENT").arg(table.primaryKey.name);
        else if (f.required)
            column += QStringLiteral(" NOT NULL");
        // Whole numbers are 32-bit on every write path; the check also sees
        // the number an automatic key is given.
        if (f.type == FieldType::Integer || f.type == FieldType::AutoInc)
            column += QStringLiteral(" CONSTRAINT %1 CHECK (%2 BETWEEN -2147483648 AND 2147483647)")
                          .arg(wholeNumberRule(table, f), f.name);
        columns << column;
    }
    columns += keyClauses(table);
    QStringList sql;
    sql << QStringLiteral("CREATE TABLE %1 (\n  %2\n) STRICT").arg(table.name, columns.join(QStringLiteral(",\n  ")));
    sql += indexSql(table);
    for (const TriggerDef &trigger : ruleTriggers(table))
        sql << trigger.sql;
    return sql;
}

QString postgresType(FieldType type)
{
    return typeSql(type, true);
}

QStringList ruleTriggerSqlPostgres(const TableDef &table)
{
    QStringList cuts;
    for (const FieldDef &f : table.fields) {
        if (f.type == FieldType::Text)
            cuts << QStringLiteral("NEW.%1 := NULLIF(substr(NEW.%1, 1, %2), '');").arg(f.name).arg(f.width);
    }
    if (cuts.isEmpty())
        return {};
    const QString name = table.name + QStringLiteral("_TEXT_RULES");
    return {QStringLiteral("CREATE OR REPLACE FUNCTION %1() RETURNS trigger LANGUAGE plpgsql AS $$\nBEGIN\n  %2\n  "
                           "RETURN NEW;\nEND\n$$")
                .arg(name, cuts.join(QStringLiteral("\n  "))),
            QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, table.name),
            QStringLiteral("CREATE TRIGGER %1 BEFORE INSERT OR UPDATE ON %2 FOR EACH ROW EXECUTE FUNCTION %1()")
                .arg(name, table.name)};
}

QStringList createTableSqlPostgres(const TableDef &table)
{
    QStringList columns;
    for (const FieldDef &f : table.fields) {
        QString column = f.name + u' ' + typeSql(f.type, true);
        if (f.type == FieldType::AutoInc)
            column += QStringLiteral(" GENERATED BY DEFAULT AS IDENTITY CONSTRAINT %1 PRIMARY KEY")
                          .arg(table.primaryKey.name);
        else if (f.required)
            column += QStringLiteral(" NOT NULL");
        columns << column;
    }
    columns += keyClauses(table);
    QStringList sql;
    sql << QStringLiteral("CREATE TABLE %1 (\n  %2\n)").arg(table.name, columns.join(QStringLiteral(",\n  ")));
    sql += indexSql(table);
    return sql + ruleTriggerSqlPostgres(table) + changeNoticeSqlPostgres(table);
}

QStringList changeNoticeSqlPostgres(const TableDef &table)
{
    const QString name = table.name + QStringLiteral("_NOTICE");
    return {QStringLiteral("CREATE OR REPLACE FUNCTION RANQUILL_NOTICE() RETURNS trigger LANGUAGE plpgsql AS $$\n"
                           "BEGIN\n  PERFORM pg_notify('%1', TG_TABLE_NAME);\n  RETURN NULL;\nEND\n$$")
                .arg(kChangeChannel),
            QStringLiteral("DROP TRIGGER IF EXISTS %1 ON %2").arg(name, table.name),
            QStringLiteral("CREATE TRIGGER %1 AFTER INSERT OR UPDATE OR DELETE ON %2 FOR EACH STATEMENT EXECUTE "
                           "FUNCTION RANQUILL_NOTICE()")
                .arg(name, table.name)};
}

}  // namespace rq::db
