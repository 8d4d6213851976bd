#include "ranking/PrintPreStage.h"

#include "common/Errors.h"
#include "common/Operator.h"
#include "common/Text.h"
#include "db/Database.h"

#include <QSqlError>
#include <QSqlQuery>

namespace rq::ranking {
namespace {

const char *const kFieldNames[kDetailFields] = {"DISZIPLIN", "LEISTUNG", "ZUSATZWERT",
                                                "ANZAHL",    "PUNKTE",   "DETAILTEXT"};

// The columns of DETAILLINE the pre-stage writes, in the order of DetailLine.
QStringList insertColumns()
{
    QStringList columns = {
        QStringLiteral("KAT_NR"),         QStringLiteral("KLASSE_NR"), QStringLiteral("RANGPOS_NR"),
        QStringLiteral("DETAILBLOCK_NR"), QStringLiteral("NAME1"),     QStringLiteral("NAME2"),
        QStringLiteral("JAHRGANG"),       QStringLiteral("PUNKTE"),    QStringLiteral("BEMERKUNGEN")};
    for (int group = 1; group <= kDetailGroups; ++group) {
        for (int f = 0; f < kDetailFields; ++f)
            columns << detailLineColumn(DetailField(f), group);
    }
    return columns;
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

PreStageBuilder::PreStageBuilder(const QString &layout, const QString &detailsPerLine, bool shortDetail,
                                 std::function<void(const DetailLine &)> lineDone)
    : m_flex(detailsPerLine == QStringLiteral("FLEX"))
    , m_individual(layout == QStringLiteral("PAAR") || layout == QStringLiteral("EINZEL"))
    , m_layout(layout)
    , m_shortDetail(shortDetail)
    , m_lineDone(std::move(lineDone))
{
}

void PreStageBuilder::add(const DetailEntry &d)
{
    if (!m_line || m_line->position != d.position || m_line->block != d.block) {
        finish();
        m_line.emplace();
        m_line->position = d.position;
        m_line->block = d.block;
        m_line->name1 = d.blockName1;
        m_line->name2 = d.blockName2;
        m_line->jahrgang = d.blockJahrgang;
        m_line->points = d.blockPoints;
        m_line->remarks = d.blockRemarks;
        m_count = 1;
    }
    QString text = detailDisplayText(m_layout, d.leistung, d.zusatzwert, d.punkte, d.detailText, m_shortDetail);
    if (m_flex && m_individual)
        text = d.disziplin + QStringLiteral(": ") + text;
    if (m_flex && (d.leistung.isEmpty() || text.isEmpty() || d.leistung == QStringLiteral("*")))
        return;
    const int group = m_flex ? m_count : d.detailNr;
    if (group < 1 || group > kDetailGroups) {
        m_unplaced.append(group);
        return;
    }
    m_line->groups[group - 1] = {d.disziplin, d.leistung, d.zusatzwert, d.anzahl, d.punkte, text};
    ++m_count;
}

void PreStageBuilder::finish()
{
    if (m_line)
        m_lineDone(*m_line);
    m_line.reset();
}

PreStage buildPreStage(const QList<DetailEntry> &details, const QString &layout, const QString &detailsPerLine,
                       bool shortDetail)
{
    PreStage stage;
    PreStageBuilder builder(layout, detailsPerLine, shortDetail,
                            [&stage](const DetailLine &line) { stage.lines.append(line); });
    for (const DetailEntry &d : details)
        builder.add(d);
    builder.finish();
    stage.unplaced = builder.unplaced();
    return stage;
}

namespace {

// Hands every detail of `list` with its block to `add`, in pre-stage order.
void forEachDetail(const RankingList &list, const std::function<void(const DetailEntry &)> &add)
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
    DetailEntry d;
    bool first = true;
    list.database().forEachRow(
        QStringLiteral("SELECT db.RANGPOS_NR, db.DETAILBLOCK_NR, db.NAME1, db.NAME2, db.JAHRGANG, db.BEMERKUNGEN, "
                       "db.PUNKTE as PUNKTE_BLK, d.DETAILPOS_NR, d.DISZIPLIN, d.LEISTUNG, d.ZUSATZWERT, d.ANZAHL, "
                       "d.PUNKTE, d.DETAILTEXT FROM DETAIL d, DETAILBLOCK db WHERE d.KAT_NR = db.KAT_NR AND "
                       "d.KLASSE_NR = db.KLASSE_NR AND d.RANGPOS_NR = db.RANGPOS_NR AND d.DETAILBLOCK_NR = "
                       "db.DETAILBLOCK_NR AND db.KAT_NR = ? AND db.KLASSE_NR = ? ORDER BY db.RANGPOS_NR, "
                       "db.DETAILBLOCK_NR, d.DETAILPOS_NR"),
        {list.key().kat, list.key().klasse}, [&](const db::PreparedStatement::Row &q) {
            const int position = q.text(Position).toInt();
            const int block = q.text(Block).toInt();
            // The block's own fields repeat on each of its details.
            if (first || position != d.position || block != d.block) {
                d.position = position;
                d.block = block;
                d.blockName1 = q.text(Name1);
                d.blockName2 = q.text(Name2);
                d.blockJahrgang = q.text(Jahrgang);
                d.blockRemarks = q.text(Remarks);
                d.blockPoints = q.text(BlockPoints);
                first = false;
            }
            d.detailNr = q.text(DetailNr).toInt();
            d.disziplin = q.text(Disziplin);
            d.leistung = q.text(Leistung);
            d.zusatzwert = q.text(Zusatzwert);
            d.anzahl = q.text(Anzahl);
            d.punkte = q.text(Punkte);
            d.detailText = q.text(DetailText);
            add(d);
        });
}

constexpr int kLineFields = 5 + kDetailGroups * kDetailFields;

// The text fields of a line in the order of the columns after the key.
std::array<const QString *, kLineFields> lineFields(const DetailLine &line)
{
    std::array<const QString *, kLineFields> fields{&line.name1, &line.name2, &line.jahrgang, &line.points,
                                                    &line.remarks};
    int i = 5;
    for (const auto &group : line.groups) {
        for (const QString &field : group)
            fields[i++] = &field;
    }
    return fields;
}

// A line as the table has it, its texts in UTF-8 one after the other: compact
// enough to hold every line of the largest list.
struct StoredLine
{
    QByteArray texts;
    std::array<int, kLineFields> ends{};

    bool operator==(const std::array<const QString *, kLineFields> &fields) const
    {
        int start = 0;
        for (int i = 0; i < kLineFields; ++i) {
            const QUtf8StringView stored(texts.constData() + start, ends[i] - start);
            if (!QAnyStringView::equal(stored, *fields[i]))
                return false;
            start = ends[i];
        }
        return true;
    }
};

quint64 lineKey(int position, int block)
{
    return (quint64(quint32(position)) << 32) | quint32(block);
}

}  // namespace

void PrintPreStage::build(const RankingList &list, bool shortDetail, const std::function<void(int, int)> &progress)
{
    Operator &op = list.op();
    const auto wait = op.waitCursor();
    db::Database &db = list.database();
    db::Savepoint transaction(db, QStringLiteral("detail_lines"));
    static const QStringList columns = insertColumns();
    const QVariantList listKey = {list.key().kat, list.key().klasse};

    // The lines the list has now. Most changes of a list (ranks, awards, totals,
    // a hand edit) leave most of its lines as they are; only lines that differ
    // are written, which spares the write and the rules of the table for the rest.
    QHash<quint64, StoredLine> stored;
    db.forEachRow(
        QStringLiteral("SELECT %1 FROM DETAILLINE WHERE KAT_NR = ? AND KLASSE_NR = ?").arg(columns.mid(2).join(u',')),
        listKey, [&stored](const db::PreparedStatement::Row &row) {
            StoredLine &line = stored[lineKey(row.text(0).toInt(), row.text(1).toInt())];
            for (int i = 0; i < kLineFields; ++i) {
                row.appendUtf8(i + 2, line.texts);
                line.ends[i] = int(line.texts.size());
            }
        });

    const QString deleteLine = QStringLiteral("DELETE FROM DETAILLINE WHERE KAT_NR = ? AND KLASSE_NR = ? AND "
                                              "RANGPOS_NR = ? AND DETAILBLOCK_NR = ?");
    const QString insertLine =
        QStringLiteral("INSERT INTO DETAILLINE (%1) VALUES (%2)")
            .arg(columns.join(u','), QStringList(columns.size(), QStringLiteral("?")).join(u','));
    // Progress counts the blocks.
    const int total =
        db.scalar(QStringLiteral("SELECT count(*) FROM DETAILBLOCK WHERE KAT_NR = ? AND KLASSE_NR = ?"), listKey)
            .toInt();
    int written = 0;
    QVariantList values;
    PreStageBuilder builder(list.layout(), list.detailsPerLine(), shortDetail, [&](const DetailLine &line) {
        const auto fields = lineFields(line);
        const auto existing = stored.find(lineKey(line.position, line.block));
        const bool unchanged = existing != stored.end() && *existing == fields;
        if (existing != stored.end()) {
            if (!unchanged)
                db.execute(deleteLine, {list.key().kat, list.key().klasse, line.position, line.block});
            stored.erase(existing);
        }
        if (!unchanged) {
            values = {list.key().kat, list.key().klasse, line.position, line.block};
            for (const QString *field : fields)
                values << textOrNull(*field);
            db.execute(insertLine, values);
        }
        if (progress)
            progress(++written, std::max(total, written));
    });
    forEachDetail(list, [&builder](const DetailEntry &d) { builder.add(d); });
    builder.finish();
    for (auto it = stored.cbegin(); it != stored.cend(); ++it)
        db.execute(deleteLine, {list.key().kat, list.key().klasse, int(it.key() >> 32), int(quint32(it.key()))});
    for (const int group : builder.unplaced())
        op.warn(QStringLiteral("Detail Nr. %1 kann nicht in Druckvorstufe übernommen werden").arg(group));
    transaction.release();
    if (progress)
        progress(0, 0);
}

}  // namespace rq::ranking
