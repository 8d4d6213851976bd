#include "ranking/PrintPreStage.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"
#include "ranking/KonfigDataModule.h"

#include <QHash>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::ranking {

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

PrintPreStage::PrintPreStage(KonfigDataModule &module, Operator &op)
    : m_module(module)
    , m_op(op)
{
}

void PrintPreStage::buildDetailLines(bool shortDetail, const std::function<void(int, int)> &progress)
{
    const auto key = m_module.currentKey();
    if (!key)
        throw Error(QStringLiteral("Keine Rangliste gewählt"));
    const QSqlRecord list = m_module.currentList();
    const QString layout = list.value(QStringLiteral("LAYOUT")).toString();
    const bool flex = list.value(QStringLiteral("DETAILS_PRO_ZEILE")).toString() == QStringLiteral("FLEX");
    db::Database &db = m_module.database();
    const auto wait = m_op.waitCursor();

    db::Savepoint transaction(db, QStringLiteral("detail_lines"));
    m_module.runStatement({QStringLiteral("delete from  DETAILLINE"),
                           QStringLiteral("WHERE KLASSE_NR = ") + QString::number(key->klasse),
                           QStringLiteral("AND KAT_NR = ") + QString::number(key->kat)});
    QSqlQuery details = db.exec(QStringLiteral(
        "SELECT db.KAT_NR, db.KLASSE_NR, db.RANGPOS_NR, db.DETAILBLOCK_NR, db.NAME1, db.NAME2, db.JAHRGANG, "
        "db.BEMERKUNGEN, db.PUNKTE as PUNKTE_BLK, d.DETAILPOS_NR, d.DISZIPLIN, d.LEISTUNG, d.ZUSATZWERT, d.ANZAHL, "
        "d.PUNKTE, d.DETAILTEXT FROM DETAIL d, DETAILBLOCK db WHERE d.KAT_NR = db.KAT_NR AND d.KLASSE_NR = "
        "db.KLASSE_NR AND d.RANGPOS_NR = db.RANGPOS_NR AND d.DETAILBLOCK_NR = db.DETAILBLOCK_NR AND db.KAT_NR = ? AND "
        "db.KLASSE_NR = ? ORDER BY db.RANGPOS_NR, db.DETAILBLOCK_NR, d.DETAILPOS_NR"),
        {key->kat, key->klasse});
    QList<QSqlRecord> rows;
    while (details.next())
        rows << details.record();
    details.finish();

    // One row per block: the block's fields, then the 20 groups of six fields.
    QVariantList line;
    const auto post = [&] {
        if (line.isEmpty())
            return;
        QStringList marks(line.size(), QStringLiteral("?"));
        QStringList columns = {QStringLiteral("KAT_NR"), QStringLiteral("KLASSE_NR"), QStringLiteral("RANGPOS_NR"),
                               QStringLiteral("DETAILBLOCK_NR"), QStringLiteral("NAME1"), QStringLiteral("NAME2"),
                               QStringLiteral("JAHRGANG"), QStringLiteral("PUNKTE"), QStringLiteral("BEMERKUNGEN")};
        for (int i = 1; i <= 20; ++i) {
            for (const char *part : {"DISZIPLIN", "LEISTUNG", "ZUSATZWERT", "ANZAHL", "PUNKTE", "DETAILTEXT"})
                columns << QLatin1String(part) + QString::number(i);
        }
        db.execute(QStringLiteral("INSERT INTO DETAILLINE (%1) VALUES (%2)").arg(columns.join(u','), marks.join(u',')), line);
        line.clear();
    };
    int currentPos = -1;
    int currentBlock = -1;
    int count = 1;
    for (int r = 0; r < rows.size(); ++r) {
        const QSqlRecord &d = rows.at(r);
        const int pos = d.value(QStringLiteral("RANGPOS_NR")).toInt();
        const int blk = d.value(QStringLiteral("DETAILBLOCK_NR")).toInt();
        if (pos != currentPos || blk != currentBlock) {
            post();
            line = {d.value(QStringLiteral("KAT_NR")), d.value(QStringLiteral("KLASSE_NR")), pos, blk,
                    d.value(QStringLiteral("NAME1")), d.value(QStringLiteral("NAME2")), d.value(QStringLiteral("JAHRGANG")),
                    d.value(QStringLiteral("PUNKTE_BLK")), d.value(QStringLiteral("BEMERKUNGEN"))};
            for (int i = 0; i < 120; ++i)
                line << QVariant();
            currentPos = pos;
            currentBlock = blk;
            count = 1;
        }
        const QString leistung = d.value(QStringLiteral("LEISTUNG")).toString();
        QString text = detailDisplayText(layout, leistung, d.value(QStringLiteral("ZUSATZWERT")).toString(),
                                         d.value(QStringLiteral("PUNKTE")).toString(),
                                         d.value(QStringLiteral("DETAILTEXT")).toString(), shortDetail);
        const int group = flex ? count : d.value(QStringLiteral("DETAILPOS_NR")).toInt();
        if (flex && (layout == QStringLiteral("PAAR") || layout == QStringLiteral("EINZEL")))
            text = d.value(QStringLiteral("DISZIPLIN")).toString() + QStringLiteral(": ") + text;
        if (progress)
            progress(r + 1, int(rows.size()));
        if (flex && (leistung.isEmpty() || text.isEmpty() || leistung == QStringLiteral("*")))
            continue;
        if (group < 1 || group > 20) {
            m_op.warn(QStringLiteral("Detail Nr. %1 kann nicht in Druckvorstufe übernommen werden").arg(group));
            continue;
        }
        const int base = 9 + (group - 1) * 6;
        line[base] = d.value(QStringLiteral("DISZIPLIN"));
        line[base + 1] = leistung;
        line[base + 2] = d.value(QStringLiteral("ZUSATZWERT"));
        line[base + 3] = d.value(QStringLiteral("ANZAHL"));
        line[base + 4] = d.value(QStringLiteral("PUNKTE"));
        line[base + 5] = text;
        ++count;
    }
    post();
    transaction.release();
    if (progress)
        progress(0, 0);
}

std::optional<QStringList> PrintPreStage::textLines()
{
    const auto key = m_module.currentKey();
    if (!key)
        return std::nullopt;
    const QSqlRecord list = m_module.currentList();
    const QString layout = list.value(QStringLiteral("LAYOUT")).toString();
    db::Database &db = m_module.database();

    struct Shape
    {
        QStringList header;
        QStringList position;
        int blocks;
        std::function<QStringList(const QSqlRecord &)> block;
    };
    const auto texts = [](const QSqlRecord &b, int n) {
        QStringList out;
        for (int i = 1; i <= n; ++i)
            out << b.value(QStringLiteral("DETAILTEXT%1").arg(i)).toString();
        return out;
    };
    const QStringList common = {QStringLiteral("KAT_NR"), QStringLiteral("SPARTE_D"), QStringLiteral("SPARTE_F"),
                                QStringLiteral("KATEGORIE_D"), QStringLiteral("KATEGORIE_F"), QStringLiteral("KLASSE_D"),
                                QStringLiteral("KLASSE_F"), QStringLiteral("RANG_TITEL")};
    QStringList detailTitles;
    for (int i = 1; i <= 15; ++i)
        detailTitles << QStringLiteral("DETAIL%1_TITEL").arg(i);
    Shape shape;
    if (layout == QStringLiteral("TEAM")) {
        shape = {common + QStringList{QStringLiteral("VEREIN_TITEL"), QStringLiteral("KANTON_TITEL"),
                                      QStringLiteral("NAME1_TITEL"), QStringLiteral("NAME2_TITEL"),
                                      QStringLiteral("JAHRGANG_TITEL"), QStringLiteral("AUSZEICHNUNGS_TITEL"),
                                      QStringLiteral("PUNKTE_TITEL")},
                 {QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("VEREIN"), QStringLiteral("KANTON"),
                  QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"), QStringLiteral("BEMERKUNGEN")},
                 6, [&](const QSqlRecord &b) {
                     QStringList out = {(b.value(QStringLiteral("NAME1")).toString() + u' ' +
                                         b.value(QStringLiteral("NAME2")).toString())};
                     if (b.isEmpty())
                         out = {QString()};
                     out << b.value(QStringLiteral("JAHRGANG")).toString() << b.value(QStringLiteral("PUNKTE")).toString()
                         << b.value(QStringLiteral("BEMERKUNGEN")).toString();
                     return out + texts(b, 6);
                 }};
    } else if (layout == QStringLiteral("GRUPPE")) {
        shape = {common + QStringList{QStringLiteral("VEREIN_TITEL"), QStringLiteral("KANTON_TITEL"),
                                      QStringLiteral("PUNKTE_TITEL"), QStringLiteral("AUSZEICHNUNGS_TITEL")} +
                     detailTitles.mid(0, 4),
                 {QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("VEREIN"), QStringLiteral("KANTON"),
                  QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"), QStringLiteral("BEMERKUNGEN")},
                 4, [&](const QSqlRecord &b) { return texts(b, 6); }};
    } else if (layout == QStringLiteral("EINZEL") || layout == QStringLiteral("PAAR")) {
        const bool pair = layout == QStringLiteral("PAAR");
        QStringList header = common + QStringList{QStringLiteral("NAME1_TITEL")};
        if (!pair)
            header << QStringLiteral("JAHRGANG_TITEL");
        header << QStringLiteral("VEREIN_TITEL") << QStringLiteral("KANTON_TITEL") << QStringLiteral("PUNKTE_TITEL")
               << QStringLiteral("AUSZEICHNUNGS_TITEL") << QStringLiteral("NAME2_TITEL");
        shape = {header + detailTitles,
                 pair ? QStringList{QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("NAME1"),
                                    QStringLiteral("NAME2"), QStringLiteral("VEREIN"), QStringLiteral("KANTON"),
                                    QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"), QStringLiteral("BEMERKUNGEN")}
                      : QStringList{QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("@NAME"),
                                    QStringLiteral("JAHRGANG"), QStringLiteral("VEREIN"), QStringLiteral("KANTON"),
                                    QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"), QStringLiteral("BEMERKUNGEN")},
                 4, [&](const QSqlRecord &b) { return QStringList{b.value(QStringLiteral("NAME1")).toString()} + texts(b, 20); }};
    } else if (layout == QStringLiteral("SPIEL")) {
        shape = {common + QStringList{QStringLiteral("VEREIN_TITEL"), QStringLiteral("KANTON_TITEL"),
                                      QStringLiteral("PUNKTE_TITEL"), QStringLiteral("JAHRGANG_TITEL"),
                                      QStringLiteral("AUSZEICHNUNGS_TITEL")},
                 {QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("VEREIN"), QStringLiteral("KANTON"),
                  QStringLiteral("PUNKTE"), QStringLiteral("JAHRGANG"), QStringLiteral("AUSZEICHNUNG"),
                  QStringLiteral("BEMERKUNGEN")},
                 0, {}};
    } else {
        return std::nullopt;
    }

    QHash<QPair<int, int>, QSqlRecord> blocks;
    QSqlQuery lines = db.exec(QStringLiteral("SELECT * FROM DETAILLINE WHERE KAT_NR = ? AND KLASSE_NR = ?"),
                              {key->kat, key->klasse});
    while (lines.next())
        blocks.insert({lines.value(QStringLiteral("RANGPOS_NR")).toInt(), lines.value(QStringLiteral("DETAILBLOCK_NR")).toInt()},
                      lines.record());
    const auto trimmedJoin = [](const QStringList &fields) { return trimControl(fields.join(u'\t')); };

    QStringList out;
    QSqlQuery positions = db.exec(QStringLiteral("SELECT * FROM RANGPOS WHERE KAT_NR = ? AND KLASSE_NR = ? ORDER BY RANGPOS_NR"),
                                  {key->kat, key->klasse});
    QStringList header;
    for (const QString &f : shape.header)
        header << list.value(f).toString();
    bool first = true;
    while (positions.next()) {
        if (first)
            out << trimmedJoin(header);
        first = false;
        const QSqlRecord p = positions.record();
        QStringList fields;
        for (const QString &f : shape.position)
            fields << (f == QStringLiteral("@NAME")
                           ? p.value(QStringLiteral("NAME1")).toString() + u' ' + p.value(QStringLiteral("NAME2")).toString()
                           : p.value(f).toString());
        for (int b = 1; b <= shape.blocks; ++b)
            fields += shape.block(blocks.value({p.value(QStringLiteral("RANGPOS_NR")).toInt(), b}));
        out << trimmedJoin(fields);
    }
    if (first)
        out << QString();  // a list without positions: one empty line
    return out;
}

void PrintPreStage::saveTextFile(bool rebuild, bool shortDetail, const std::function<void(int, int)> &progress)
{
    if (rebuild)
        buildDetailLines(shortDetail, progress);
    const QSqlRecord list = m_module.currentList();
    if (list.isEmpty())
        return;
    FileDialogRequest request;
    request.title = QStringLiteral("Druckvorstufe exportieren");
    request.filter = QStringLiteral("Text Datei (*.txt)|*.txt");
    request.defaultSuffix = QStringLiteral("txt");
    request.fileName = QStringLiteral("%1-%2-%3.txt")
                           .arg(list.value(QStringLiteral("LAYOUT")).toString(), list.value(QStringLiteral("KAT_NR")).toString(),
                                list.value(QStringLiteral("KLASSE_NR")).toString());
    request.promptOverwrite = true;
    const auto path = m_op.chooseSaveFile(request);
    if (!path)
        return;
    const auto wait = m_op.waitCursor();
    if (const auto lines = textLines())
        cp1252::writeLines(*path, *lines);
}

} // namespace rq::ranking
