#include "ranking/PrintPreStage.h"

#include "common/Errors.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"

#include <QSqlQuery>

namespace rq::ranking {
namespace {

const char *const kFieldNames[kDetailFields] = {"DISZIPLIN", "LEISTUNG", "ZUSATZWERT",
                                                "ANZAHL",    "PUNKTE",   "DETAILTEXT"};

QString insertSql()
{
    QStringList columns = {
        QStringLiteral("KAT_NR"),         QStringLiteral("KLASSE_NR"), QStringLiteral("RANGPOS_NR"),
        QStringLiteral("DETAILBLOCK_NR"), QStringLiteral("NAME1"),     QStringLiteral("NAME2"),
        QStringLiteral("JAHRGANG"),       QStringLiteral("PUNKTE"),    QStringLiteral("BEMERKUNGEN")};
    for (int group = 1; group <= kDetailGroups; ++group) {
        for (int f = 0; f < kDetailFields; ++f)
            columns << detailLineColumn(DetailField(f), group);
    }
    const QStringList marks(columns.size(), QStringLiteral("?"));
    return QStringLiteral("INSERT INTO DETAILLINE (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u','));
}

QVariant textOrNull(const QString &text)
{
    return text.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(text);
}

}  // namespace

QString detailLineColumn(DetailField field, int group)
{
    return QString::fromLatin1(kFieldNames[int(field)]) + QString::number(group);
}

QString detailDisplayText(const QString &layout, const QString &leistung, const QString &zusatzwert,
                          const QString &punkte, const QString &detailText, bool shortDetail)
{
    const bool einzel = layout == QStringLiteral("EINZEL");
    if (!einzel && layout != QStringLiteral("PAAR"))
        return trimControl(detailText);
    QString text = leistung;
    if (!leistung.isEmpty() && !zusatzwert.isEmpty())
        text += einzel ? QStringLiteral(" [") + zusatzwert + u']' : QStringLiteral(" + ") + zusatzwert;
    if (!punkte.isEmpty() && !shortDetail)
        text += QStringLiteral(" (") + punkte + u')';
    return trimControl(text);
}

PreStage buildPreStage(const QList<DetailEntry> &details, const QString &layout, const QString &detailsPerLine,
                       bool shortDetail)
{
    const bool flex = detailsPerLine == QStringLiteral("FLEX");
    const bool individual = layout == QStringLiteral("PAAR") || layout == QStringLiteral("EINZEL");
    PreStage stage;
    int count = 1;
    for (const DetailEntry &d : details) {
        if (stage.lines.isEmpty() || stage.lines.last().position != d.position || stage.lines.last().block != d.block) {
            DetailLine line;
            line.position = d.position;
            line.block = d.block;
            line.name1 = d.blockName1;
            line.name2 = d.blockName2;
            line.jahrgang = d.blockJahrgang;
            line.points = d.blockPoints;
            line.remarks = d.blockRemarks;
            stage.lines.append(line);
            count = 1;
        }
        QString text = detailDisplayText(layout, d.leistung, d.zusatzwert, d.punkte, d.detailText, shortDetail);
        if (flex && individual)
            text = d.disziplin + QStringLiteral(": ") + text;
        if (flex && (d.leistung.isEmpty() || text.isEmpty() || d.leistung == QStringLiteral("*")))
            continue;
        const int group = flex ? count : d.detailNr;
        if (group < 1 || group > kDetailGroups) {
            stage.unplaced.append(group);
            continue;
        }
        stage.lines.last().groups[group - 1] = {d.disziplin, d.leistung, d.zusatzwert, d.anzahl, d.punkte, text};
        ++count;
    }
    return stage;
}

QList<DetailEntry> PrintPreStage::readDetails(const RankingList &list)
{
    enum Column {
        Position,
        Block,
        Name1,
        Name2,
        Jahrgang,
        Remarks,
        BlockPoints,
        DetailNr,
        Disziplin,
        Leistung,
        Zusatzwert,
        Anzahl,
        Punkte,
        DetailText
    };
    QSqlQuery q = list.database().exec(
        QStringLiteral("SELECT db.RANGPOS_NR, db.DETAILBLOCK_NR, db.NAME1, db.NAME2, db.JAHRGANG, db.BEMERKUNGEN, "
                       "db.PUNKTE as PUNKTE_BLK, d.DETAILPOS_NR, d.DISZIPLIN, d.LEISTUNG, d.ZUSATZWERT, d.ANZAHL, "
                       "d.PUNKTE, d.DETAILTEXT FROM DETAIL d, DETAILBLOCK db WHERE d.KAT_NR = db.KAT_NR AND "
                       "d.KLASSE_NR = db.KLASSE_NR AND d.RANGPOS_NR = db.RANGPOS_NR AND d.DETAILBLOCK_NR = "
                       "db.DETAILBLOCK_NR AND db.KAT_NR = ? AND db.KLASSE_NR = ? ORDER BY db.RANGPOS_NR, "
                       "db.DETAILBLOCK_NR, d.DETAILPOS_NR"),
        {list.key().kat, list.key().klasse});
    QList<DetailEntry> details;
    while (q.next()) {
        DetailEntry d;
        d.position = q.value(Position).toInt();
        d.block = q.value(Block).toInt();
        d.blockName1 = q.value(Name1).toString();
        d.blockName2 = q.value(Name2).toString();
        d.blockJahrgang = q.value(Jahrgang).toString();
        d.blockRemarks = q.value(Remarks).toString();
        d.blockPoints = q.value(BlockPoints).toString();
        d.detailNr = q.value(DetailNr).toInt();
        d.disziplin = q.value(Disziplin).toString();
        d.leistung = q.value(Leistung).toString();
        d.zusatzwert = q.value(Zusatzwert).toString();
        d.anzahl = q.value(Anzahl).toString();
        d.punkte = q.value(Punkte).toString();
        d.detailText = q.value(DetailText).toString();
        details.append(d);
    }
    return details;
}

void PrintPreStage::build(const RankingList &list, bool shortDetail, const std::function<void(int, int)> &progress)
{
    Operator &op = list.op();
    const auto wait = op.waitCursor();
    db::Database &db = list.database();
    db::Savepoint transaction(db, QStringLiteral("detail_lines"));
    list.runner().run({QStringLiteral("delete from  DETAILLINE"), QStringLiteral("WHERE KLASSE_NR = ?"),
                       QStringLiteral("AND KAT_NR = ?")},
                      {list.key().klasse, list.key().kat});
    const PreStage stage = buildPreStage(readDetails(list), list.layout(), list.detailsPerLine(), shortDetail);
    for (const int group : stage.unplaced)
        op.warn(QStringLiteral("Detail Nr. %1 kann nicht in Druckvorstufe übernommen werden").arg(group));
    const QString sql = insertSql();
    for (qsizetype i = 0; i < stage.lines.size(); ++i) {
        const DetailLine &line = stage.lines.at(i);
        QVariantList values = {list.key().kat,
                               list.key().klasse,
                               line.position,
                               line.block,
                               textOrNull(line.name1),
                               textOrNull(line.name2),
                               textOrNull(line.jahrgang),
                               textOrNull(line.points),
                               textOrNull(line.remarks)};
        for (const auto &group : line.groups) {
            for (const QString &field : group)
                values << textOrNull(field);
        }
        db.execute(sql, values);
        if (progress)
            progress(int(i + 1), int(stage.lines.size()));
    }
    transaction.release();
    if (progress)
        progress(0, 0);
}

}  // namespace rq::ranking
