#include "reports/PreStageTextFile.h"

#include "common/CodePage1252.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"
#include "ranking/PrintPreStage.h"
#include "ranking/RankingList.h"
#include "reports/ReportRow.h"

#include <QHash>
#include <QSqlQuery>
#include <QSqlRecord>

namespace rq::reports {

std::optional<QStringList> PreStageTextFile::lines(const ranking::RankingList &rankingList)
{
    const ranking::ListKey key = rankingList.key();
    const QSqlRecord &list = rankingList.header();
    const QString layout = rankingList.layout();
    db::Database &db = rankingList.database();

    struct Shape
    {
        QStringList header;
        QStringList position;
        int blocks;
        std::function<QStringList(const ReportRow &)> block;
    };
    const auto texts = [](const ReportRow &b, int n) {
        QStringList out;
        for (int i = 1; i <= n; ++i)
            out << b.value(QStringLiteral("DETAILTEXT%1").arg(i));
        return out;
    };
    const QStringList common = {QStringLiteral("KAT_NR"),      QStringLiteral("SPARTE_D"),
                                QStringLiteral("SPARTE_F"),    QStringLiteral("KATEGORIE_D"),
                                QStringLiteral("KATEGORIE_F"), QStringLiteral("KLASSE_D"),
                                QStringLiteral("KLASSE_F"),    QStringLiteral("RANG_TITEL")};
    QStringList detailTitles;
    for (int i = 1; i <= 15; ++i)
        detailTitles << QStringLiteral("DETAIL%1_TITEL").arg(i);
    Shape shape;
    if (layout == QStringLiteral("TEAM")) {
        shape = {common + QStringList{QStringLiteral("VEREIN_TITEL"), QStringLiteral("KANTON_TITEL"),
                                      QStringLiteral("NAME1_TITEL"), QStringLiteral("NAME2_TITEL"),
                                      QStringLiteral("JAHRGANG_TITEL"), QStringLiteral("AUSZEICHNUNGS_TITEL"),
                                      QStringLiteral("PUNKTE_TITEL")},
                 {QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("VEREIN"),
                  QStringLiteral("KANTON"), QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"),
                  QStringLiteral("BEMERKUNGEN")},
                 6,
                 [&](const ReportRow &b) {
                     QStringList out = {(b.value(QStringLiteral("NAME1")) + u' ' + b.value(QStringLiteral("NAME2")))};
                     if (b.isEmpty())
                         out = {QString()};
                     out << b.value(QStringLiteral("JAHRGANG")) << b.value(QStringLiteral("PUNKTE"))
                         << b.value(QStringLiteral("BEMERKUNGEN"));
                     return out + texts(b, 6);
                 }};
    } else if (layout == QStringLiteral("GRUPPE")) {
        shape = {common +
                     QStringList{QStringLiteral("VEREIN_TITEL"), QStringLiteral("KANTON_TITEL"),
                                 QStringLiteral("PUNKTE_TITEL"), QStringLiteral("AUSZEICHNUNGS_TITEL")} +
                     detailTitles.mid(0, 4),
                 {QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("VEREIN"),
                  QStringLiteral("KANTON"), QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"),
                  QStringLiteral("BEMERKUNGEN")},
                 4,
                 [&](const ReportRow &b) { return texts(b, 6); }};
    } else if (layout == QStringLiteral("EINZEL") || layout == QStringLiteral("PAAR")) {
        const bool pair = layout == QStringLiteral("PAAR");
        QStringList header = common + QStringList{QStringLiteral("NAME1_TITEL")};
        if (!pair)
            header << QStringLiteral("JAHRGANG_TITEL");
        header << QStringLiteral("VEREIN_TITEL") << QStringLiteral("KANTON_TITEL") << QStringLiteral("PUNKTE_TITEL")
               << QStringLiteral("AUSZEICHNUNGS_TITEL") << QStringLiteral("NAME2_TITEL");
        shape = {
            header + detailTitles,
            pair ? QStringList{QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("NAME1"),
                               QStringLiteral("NAME2"), QStringLiteral("VEREIN"), QStringLiteral("KANTON"),
                               QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"), QStringLiteral("BEMERKUNGEN")}
                 : QStringList{QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("@NAME"),
                               QStringLiteral("JAHRGANG"), QStringLiteral("VEREIN"), QStringLiteral("KANTON"),
                               QStringLiteral("PUNKTE"), QStringLiteral("AUSZEICHNUNG"), QStringLiteral("BEMERKUNGEN")},
            4, [&](const ReportRow &b) { return QStringList{b.value(QStringLiteral("NAME1"))} + texts(b, 20); }};
    } else if (layout == QStringLiteral("SPIEL")) {
        shape = {common + QStringList{QStringLiteral("VEREIN_TITEL"), QStringLiteral("KANTON_TITEL"),
                                      QStringLiteral("PUNKTE_TITEL"), QStringLiteral("JAHRGANG_TITEL"),
                                      QStringLiteral("AUSZEICHNUNGS_TITEL")},
                 {QStringLiteral("RANGPOS_NR"), QStringLiteral("RANG"), QStringLiteral("VEREIN"),
                  QStringLiteral("KANTON"), QStringLiteral("PUNKTE"), QStringLiteral("JAHRGANG"),
                  QStringLiteral("AUSZEICHNUNG"), QStringLiteral("BEMERKUNGEN")},
                 0,
                 {}};
    } else {
        return std::nullopt;
    }

    QHash<QPair<int, int>, ReportRow> blocks;
    const QList<ReportRow> lines = ReportRow::readAll(
        db, QStringLiteral("SELECT * FROM DETAILLINE WHERE KAT_NR = ? AND KLASSE_NR = ?"), {key.kat, key.klasse});
    for (const ReportRow &line : lines)
        blocks.insert(
            {line.value(QStringLiteral("RANGPOS_NR")).toInt(), line.value(QStringLiteral("DETAILBLOCK_NR")).toInt()},
            line);
    const auto trimmedJoin = [](const QStringList &fields) { return trimControl(fields.join(u'\t')); };

    QStringList out;
    QSqlQuery positions =
        db.exec(QStringLiteral("SELECT * FROM RANGPOS WHERE KAT_NR = ? AND KLASSE_NR = ? ORDER BY RANGPOS_NR"),
                {key.kat, key.klasse});
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
            fields << (f == QStringLiteral("@NAME") ? p.value(QStringLiteral("NAME1")).toString() + u' ' +
                                                          p.value(QStringLiteral("NAME2")).toString()
                                                    : p.value(f).toString());
        for (int b = 1; b <= shape.blocks; ++b)
            fields += shape.block(blocks.value({p.value(QStringLiteral("RANGPOS_NR")).toInt(), b}));
        out << trimmedJoin(fields);
    }
    if (first)
        out << QString();  // a list without positions: one empty line
    return out;
}

void PreStageTextFile::save(const ranking::RankingList &list, bool rebuild, bool shortDetail,
                            const std::function<void(int, int)> &progress)
{
    if (rebuild)
        ranking::PrintPreStage::build(list, shortDetail, progress);
    Operator &op = list.op();
    FileDialogRequest request;
    request.title = QStringLiteral("Druckvorstufe exportieren");
    request.filter = QStringLiteral("Text Datei (*.txt)|*.txt");
    request.defaultSuffix = QStringLiteral("txt");
    request.fileName = QStringLiteral("%1-%2-%3.txt").arg(list.layout()).arg(list.key().kat).arg(list.key().klasse);
    request.promptOverwrite = true;
    const auto path = op.chooseSaveFile(request);
    if (!path)
        return;
    const auto wait = op.waitCursor();
    if (const auto text = lines(list))
        cp1252::writeLines(*path, *text);
}

}  // namespace rq::reports
