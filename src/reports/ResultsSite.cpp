#include "reports/ResultsSite.h"

#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/QuietOperator.h"
#include "common/SafeFile.h"
#include "db/Database.h"
#include "reports/ReportDispatch.h"
#include "reports/ReportParts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSqlQuery>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace rq::reports {
namespace {

const QString kOptions = QStringLiteral("Options");
const QString kDirectoryKey = QStringLiteral("Ergebnisse-Pfad");
const QString kRefreshKey = QStringLiteral("Ergebnisse-Neuladen");
const QString kIndex = QStringLiteral("index.html");
const QString kListsJson = QStringLiteral("lists.json");
const QString kStylesheet = QStringLiteral("ranquill.css");
constexpr double kPrintWidth = 698 * kListUnit;  // mm: the width the ranking lists are drawn in

// The site is written alongside other work with a QuietOperator: it asks
// nothing and shows nothing. What a report would say (an unknown layout, a list
// without positions) the page says itself.

QString html(const QString &text)
{
    return text.toHtmlEscaped();
}

// `text` as a JSON string.
void appendJsonString(QString &out, QStringView text)
{
    out += u'"';
    qsizetype from = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        if (c >= 0x20 && c != u'"' && c != u'\\')
            continue;
        out += text.sliced(from, i - from);
        from = i + 1;
        switch (c) {
        case u'"':
        case u'\\':
            out += u'\\';
            out += QChar(c);
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        default:
            out += QStringLiteral("\\u%1").arg(int(c), 4, 16, QChar(u'0'));
        }
    }
    out += text.sliced(from);
    out += u'"';
}

// `"name":"value"` of an object, after a comma unless it is the object's first.
void appendJsonMember(QString &out, bool &first, const QString &name, QStringView value)
{
    if (!first)
        out += u',';
    first = false;
    appendJsonString(out, name);
    out += u':';
    appendJsonString(out, value);
}

// A German text with its French one after it, as the printed lists show both.
QString bilingual(const QString &german, const QString &french)
{
    QString out = html(german);
    if (!french.isEmpty() && french != german)
        out += QStringLiteral(" <span class=\"fr\" lang=\"fr\">") + html(french) + QStringLiteral("</span>");
    return out;
}

QString shownTime(const QDateTime &time)
{
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm"));
}

QString keyText(const ranking::ListKey &key)
{
    return QStringLiteral("%1-%2").arg(key.kat).arg(key.klasse);
}

// The site's copy of a list's PDF, relative to the site: the name the PDF directory gives it.
QString pdfName(const ranking::ListKey &key)
{
    return QStringLiteral("pdf/Kat%1.pdf").arg(keyText(key));
}

QString pageHead(const QString &title, bool refresh)
{
    QString out = QStringLiteral("<!DOCTYPE html>\n<html lang=\"de\">\n<head>\n<meta charset=\"utf-8\">\n"
                                 "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n");
    if (refresh)
        out += QStringLiteral("<meta http-equiv=\"refresh\" content=\"60\">\n");
    out += QStringLiteral("<title>") + html(title) + QStringLiteral("</title>\n<link rel=\"stylesheet\" href=\"") +
           kStylesheet + QStringLiteral("\">\n");
    return out;
}

// The texts of a band by line: the items of equal height, in the order the layout placed them.
QList<QList<const ReportItem *>> textLines(const QList<ReportItem> &items)
{
    QVarLengthArray<std::pair<qint64, const ReportItem *>, 32> texts;
    for (const ReportItem &item : items) {
        if (item.kind == ReportItem::Kind::Text)
            texts.append({std::llround(item.box.top() * 100), &item});
    }
    std::stable_sort(texts.begin(), texts.end(), [](const auto &a, const auto &b) { return a.first < b.first; });
    QList<QList<const ReportItem *>> lines;
    for (qsizetype i = 0; i < texts.size(); ++i) {
        if (i == 0 || texts.at(i).first != texts.at(i - 1).first)
            lines.emplaceBack();
        lines.last().append(texts.at(i).second);
    }
    return lines;
}

// The table a ranking list's bands make: the main line of every band under the
// titles of the column header's first line; the band's further lines (members,
// detail blocks) below it, each text in the column the print places it in.
class ListTable
{
public:
    explicit ListTable(const ReportBands &laid)
    {
        const QList<QList<const ReportItem *>> header = textLines(laid.frame.columnHeader.items);
        if (!header.isEmpty())
            m_titles = header.first();
        for (qsizetype i = 1; i < header.size(); ++i)
            m_subTitles += header.at(i);
        for (const ReportItem *item : std::as_const(m_subTitles))
            addEdge(item->box.left());
        for (const Band &band : laid.bands) {
            m_lines.append(textLines(band.items));
            const QList<QList<const ReportItem *>> &lines = m_lines.last();
            for (qsizetype i = 1; i < lines.size(); ++i) {
                for (const ReportItem *item : lines.at(i))
                    addEdge(item->box.left());
            }
        }
    }

    // The page's own rules: the columns of the lines below the main lines, as wide as in print.
    QString style() const
    {
        if (m_edges.isEmpty())
            return {};
        QStringList widths;
        for (qsizetype i = 0; i < m_edges.size(); ++i) {
            const double end = i + 1 < m_edges.size() ? m_edges.at(i + 1) : std::max(kPrintWidth, m_edges.at(i) + 10);
            const double start = i == 0 ? 0.0 : m_edges.at(i);
            widths << QString::number(std::max(1.0, end - start), 'f', 1) + QStringLiteral("fr");
        }
        QString out = QStringLiteral("<style>\n@media (min-width: 40.01em) { .line { grid-template-columns: ") +
                      widths.join(u' ') + QStringLiteral("; } }\n");
        for (qsizetype i = 0; i < m_edges.size(); ++i)
            out += QStringLiteral(".c%1 { grid-column: %1; }\n").arg(i + 1);
        return out + QStringLiteral("</style>\n");
    }

    // The main columns as wide as in print (a text longer than its column wraps in it).
    QString columns() const
    {
        // The last column may run on into the right margin, as its text does in print.
        const double width = kPrintWidth + kRankingListMargins.right();
        QString out = QStringLiteral("<colgroup>");
        for (qsizetype i = 0; i < m_titles.size(); ++i) {
            const double start = i == 0 ? 0.0 : m_titles.at(i)->box.left();
            const double end = i + 1 < m_titles.size() ? m_titles.at(i + 1)->box.left() : width;
            out += QStringLiteral("<col style=\"width:%1%\">")
                       .arg(QString::number(std::max(1.0, 100 * (end - start) / width), 'f', 1));
        }
        return out + QStringLiteral("</colgroup>\n");
    }

    QString head() const
    {
        QString out = columns() + QStringLiteral("<thead>\n<tr class=\"titles\">");
        for (qsizetype i = 0; i < m_titles.size(); ++i)
            appendCell(out, QStringLiteral("th"), *m_titles.at(i), i, QString());
        out += QStringLiteral("</tr>\n");
        const bool anySubTitle = std::any_of(m_subTitles.cbegin(), m_subTitles.cend(),
                                             [](const ReportItem *item) { return !item->text.isEmpty(); });
        if (anySubTitle) {
            out += QStringLiteral("<tr class=\"subtitles\"><td colspan=\"%1\">").arg(m_titles.size());
            appendLine(out, m_subTitles, false);
            out += QStringLiteral("</td></tr>\n");
        }
        return out + QStringLiteral("</thead>\n");
    }

    // The rows of the `index`th band of those the table was made of.
    void appendBand(QString &out, const Band &band, qsizetype index) const
    {
        const bool opensRank = std::any_of(band.items.cbegin(), band.items.cend(),
                                           [](const ReportItem &item) { return item.kind == ReportItem::Kind::Line; });
        out += opensRank ? QStringLiteral("<tbody class=\"rank\">\n") : QStringLiteral("<tbody>\n");
        const QList<QList<const ReportItem *>> &lines = m_lines.at(index);
        if (!lines.isEmpty()) {
            out += QStringLiteral("<tr class=\"main\">");
            const QList<const ReportItem *> &main = lines.first();
            for (qsizetype i = 0; i < main.size(); ++i)
                appendCell(out, QStringLiteral("td"), *main.at(i), i,
                           i < m_titles.size() ? m_titles.at(i)->text : QString());
            out += QStringLiteral("</tr>\n");
        }
        for (qsizetype i = 1; i < lines.size(); ++i) {
            out += QStringLiteral("<tr class=\"sub\"><td colspan=\"");
            out += QString::number(std::max<qsizetype>(1, m_titles.size()));
            out += QStringLiteral("\">");
            appendLine(out, lines.at(i), true);
            out += QStringLiteral("</td></tr>\n");
        }
        out += QStringLiteral("</tbody>\n");
    }

private:
    void addEdge(double left)
    {
        const auto near = [left](double edge) { return std::abs(edge - left) < 0.05; };
        if (std::none_of(m_edges.cbegin(), m_edges.cend(), near))
            m_edges.insert(std::lower_bound(m_edges.begin(), m_edges.end(), left), left);
    }

    static void appendCell(QString &out, const QString &tag, const ReportItem &item, qsizetype column,
                           const QString &label)
    {
        out += u'<' + tag + QStringLiteral(" class=\"");
        if (column == 0)
            out += QStringLiteral("rank");
        else if (column == 1)
            out += QStringLiteral("name");
        if (item.alignment & Qt::AlignRight)
            out += column <= 1 ? QStringLiteral(" r") : QStringLiteral("r");
        out += u'"';
        if (!label.isEmpty() && !item.text.isEmpty())
            out += QStringLiteral(" data-label=\"") + html(label) + u'"';
        out += u'>' + html(item.text) + QStringLiteral("</") + tag + u'>';
    }

    qsizetype columnOf(const ReportItem &item) const
    {
        for (qsizetype i = m_edges.size() - 1; i >= 0; --i) {
            if (item.box.left() >= m_edges.at(i) - 0.05)
                return i + 1;
        }
        return 1;
    }

    // The title over a text's column, when the text is of the title's kind (set
    // in the same size): a team's member lines have titles, its detail lines not.
    QString labelOf(const ReportItem &item) const
    {
        const qsizetype column = columnOf(item);
        for (const ReportItem *title : m_subTitles) {
            if (columnOf(*title) == column && std::abs(title->pointSize - item.pointSize) < 0.01)
                return title->text;
        }
        return {};
    }

    void appendLine(QString &out, const QList<const ReportItem *> &items, bool labelled) const
    {
        out += QStringLiteral("<div class=\"line\">");
        for (const ReportItem *item : items) {
            if (item->text.isEmpty())
                continue;
            out += QStringLiteral("<span class=\"c");
            out += QString::number(columnOf(*item));
            if (item->alignment & Qt::AlignRight)
                out += QStringLiteral(" r");
            out += u'"';
            const QString label = labelled ? labelOf(*item) : QString();
            if (!label.isEmpty() && label != item->text)
                out += QStringLiteral(" data-label=\"") + html(label) + u'"';
            out += u'>' + html(item->text) + QStringLiteral("</span>");
        }
        out += QStringLiteral("</div>");
    }

    QList<const ReportItem *> m_titles;
    QList<const ReportItem *> m_subTitles;
    QList<double> m_edges;  // mm: where the columns of the further lines begin, in order
    QList<QList<QList<const ReportItem *>>> m_lines;  // each band's texts by line
};

const char *const kStyle = R"css(/* Ranquill: results site */
:root { --ink: #1b1f24; --muted: #5b6470; --rule: #c9ced6; --band: #f3f5f8; --accent: #0b5cad; }
* { box-sizing: border-box; }
body { margin: 0; font: 16px/1.4 "Liberation Sans", Arial, Helvetica, sans-serif; color: var(--ink); background: #fff; }
header, main, footer { max-width: 75rem; margin: 0 auto; padding: 0 1rem; }
header { padding-top: 1rem; border-bottom: 2px solid var(--ink); }
h1 { font-size: 1.5rem; margin: .2rem 0; }
h2 { font-size: 1.25rem; margin: 1.5rem 0 .3rem; border-bottom: 2px solid var(--ink); }
h3 { font-size: 1.05rem; margin: 1rem 0 .3rem; }
.fr { display: block; font-weight: normal; color: var(--muted); font-size: .85em; }
.sparte, .klasse, .meta, .back { margin: .2rem 0; color: var(--muted); }
.meta { font-size: .9rem; }
a { color: var(--accent); }
footer { color: var(--muted); font-size: .8rem; padding: 1rem; }
ul.lists { list-style: none; margin: 0; padding: 0; }
ul.lists li { border-top: 1px solid var(--rule); }
ul.lists a { display: flex; flex-wrap: wrap; gap: .2rem 1rem; padding: .5rem .2rem; text-decoration: none; color: var(--ink); }
ul.lists a:hover { background: var(--band); }
ul.lists .klasse { flex: 1 1 14rem; color: var(--accent); font-weight: bold; margin: 0; }
ul.lists .count, ul.lists .time { color: var(--muted); font-size: .9rem; }
table.list { width: 100%; border-collapse: collapse; margin: .5rem 0 1rem; table-layout: fixed; }
table.list th { text-align: left; font-size: .9rem; padding: .3rem .4rem; border-bottom: 2px solid var(--ink); vertical-align: bottom; }
table.list td { padding: .25rem .4rem; vertical-align: top; overflow-wrap: anywhere; }
table.list .r { text-align: right; }
table.list tr.main td { font-weight: bold; }
table.list tbody.rank { border-top: 1px solid var(--rule); }
table.list tbody:nth-of-type(even) { background: var(--band); }
table.list tr.subtitles td { padding: 0 .4rem .3rem; font-size: .75rem; color: var(--muted); border-bottom: 1px solid var(--ink); }
table.list tr.sub td { padding-top: 0; font-size: .8rem; }
.line { display: grid; column-gap: .3rem; }
.line span { min-width: 0; overflow-wrap: anywhere; }
.line span.r { text-align: right; }
p.empty { color: var(--muted); }
@media (max-width: 40em) {
  body { font-size: 15px; }
  table.list, table.list tbody, table.list tr, table.list td { display: block; }
  table.list thead { display: none; }
  table.list tbody { padding: .4rem 0; }
  table.list tr.main { display: flex; flex-wrap: wrap; column-gap: .6rem; }
  table.list tr.main td { padding: 0; }
  table.list tr.main td:empty { display: none; }
  table.list tr.main td.rank { min-width: 2.2rem; }
  table.list tr.main td.name { flex: 1 1 60%; }
  table.list tr.main td.r { text-align: left; }
  table.list tr.main td:not(.rank):not(.name) { font-weight: normal; }
  table.list td[data-label]:not(.rank):not(.name)::before,
  .line span[data-label]::before { content: attr(data-label) " "; color: var(--muted); font-weight: normal; }
  table.list tr.sub td { padding: .1rem 0 0 2.8rem; }
  .line { display: flex; flex-wrap: wrap; gap: 0 .8rem; }
  .line span.r { text-align: left; }
}
@media print {
  body { font-size: 10pt; }
  header, main, footer { max-width: none; }
  .back, footer { display: none; }
  table.list tbody { break-inside: avoid; background: none !important; }
}
)css";

}  // namespace

struct ResultsSite::ListEntry
{
    ranking::ListKey key;
    QString sparteD, sparteF, kategorieD, kategorieF, klasseD, klasseF, layout;
    int positions = 0;
    QDateTime changed;
    QString pdf;  // relative to the site; empty without
};

ResultsSite::ResultsSite(db::Database &db, QString directory)
    : m_db(db)
    , m_directory(std::move(directory))
    , m_now([] { return QDateTime::currentDateTime(); })
{
}

QString ResultsSite::pageName(const ranking::ListKey &key)
{
    return QStringLiteral("liste-%1.html").arg(keyText(key));
}

QString ResultsSite::jsonName(const ranking::ListKey &key)
{
    return QStringLiteral("liste-%1.json").arg(keyText(key));
}

QString ResultsSite::directorySetting(const IniFile &ini)
{
    return ini.readString(kOptions, kDirectoryKey).trimmed();
}

void ResultsSite::setDirectorySetting(IniFile &ini, const QString &directory)
{
    ini.writeString(kOptions, kDirectoryKey, directory.trimmed());
}

bool ResultsSite::autoRefreshSetting(const IniFile &ini)
{
    return ini.readInt(kOptions, kRefreshKey, 1) != 0;
}

QList<ResultsSite::ListEntry> ResultsSite::lists() const
{
    QSqlQuery q =
        m_db.exec(QStringLiteral(
                      "SELECT l.KAT_NR, l.KLASSE_NR, l.SPARTE_D, l.SPARTE_F, l.KATEGORIE_D, l.KATEGORIE_F, l.KLASSE_D, "
                      "l.KLASSE_F, l.LAYOUT, (SELECT count(*) FROM RANGPOS p WHERE p.KAT_NR = l.KAT_NR AND "
                      "p.KLASSE_NR = l.KLASSE_NR) FROM RANGLISTE l ORDER BY l.KAT_NR, l.KLASSE_NR"),
                  {});
    QList<ListEntry> entries;
    while (q.next()) {
        ListEntry e;
        e.key = {q.value(0).toInt(), q.value(1).toInt()};
        e.sparteD = q.value(2).toString();
        e.sparteF = q.value(3).toString();
        e.kategorieD = q.value(4).toString();
        e.kategorieF = q.value(5).toString();
        e.klasseD = q.value(6).toString();
        e.klasseF = q.value(7).toString();
        e.layout = q.value(8).toString();
        e.positions = q.value(9).toInt();
        entries << e;
    }
    return entries;
}

void ResultsSite::publishAll()
{
    QList<ranking::ListKey> keys;
    for (const ListEntry &e : lists())
        keys << e.key;
    if (QDir().mkpath(m_directory))
        writeStylesheet();
    publishLists(keys);
}

void ResultsSite::publishLists(const QList<ranking::ListKey> &keys)
{
    if (!QDir().mkpath(m_directory))
        throw FileError(QStringLiteral("Das Verzeichnis %1 kann nicht angelegt werden").arg(m_directory));
    if (!QFileInfo::exists(m_directory + u'/' + kStylesheet))
        writeStylesheet();
    // The time of every list's last change, as the site last said it.
    QHash<QString, QDateTime> changed;
    QFile previous(m_directory + u'/' + kListsJson);
    if (previous.open(QIODevice::ReadOnly)) {
        for (const QJsonValue &v : QJsonDocument::fromJson(previous.readAll()).array()) {
            const QJsonObject o = v.toObject();
            changed.insert(QStringLiteral("%1-%2")
                               .arg(o.value(QStringLiteral("kat")).toInt())
                               .arg(o.value(QStringLiteral("klasse")).toInt()),
                           QDateTime::fromString(o.value(QStringLiteral("changed")).toString(), Qt::ISODate));
        }
    }
    QList<ListEntry> entries = lists();
    const QDateTime now = m_now();
    for (ListEntry &e : entries) {
        const bool named = keys.contains(e.key);
        const bool missing = !QFileInfo::exists(m_directory + u'/' + pageName(e.key));
        e.changed = changed.value(keyText(e.key));
        if (named || missing || !e.changed.isValid())
            e.changed = now;
        if (named || missing)
            writePage(e);
        else
            e.pdf = QFileInfo::exists(m_directory + u'/' + pdfName(e.key)) ? pdfName(e.key) : QString();
    }
    for (const ranking::ListKey &key : keys) {
        if (std::none_of(entries.cbegin(), entries.cend(), [&key](const ListEntry &e) { return e.key == key; }))
            removePage(key);
    }
    writeIndex(entries);
}

QString ResultsSite::copiedPdf(const ranking::ListKey &key)
{
    if (m_pdfDirectory.isEmpty())
        return {};
    // The file "Druckvorlage erstellen" writes.
    const QFileInfo source(ReportDispatch::templateFile(m_pdfDirectory, key));
    const QString target = m_directory + u'/' + pdfName(key);
    if (!source.isFile()) {
        QFile::remove(target);
        return {};
    }
    const QFileInfo copy(target);
    if (!copy.exists() || copy.size() != source.size() || copy.lastModified() < source.lastModified()) {
        QFile in(source.filePath());
        if (!in.open(QIODevice::ReadOnly))
            return {};
        QDir().mkpath(copy.absolutePath());
        files::writeAll(target, in.readAll());
    }
    return pdfName(key);
}

void ResultsSite::removePage(const ranking::ListKey &key)
{
    QFile::remove(m_directory + u'/' + pageName(key));
    QFile::remove(m_directory + u'/' + jsonName(key));
    QFile::remove(m_directory + u'/' + pdfName(key));
}

void ResultsSite::writePage(ListEntry &entry)
{
    entry.pdf = copiedPdf(entry.key);
    QuietOperator quiet;
    std::optional<ReportDispatch::Prepared> prepared;
    try {
        prepared =
            ReportDispatch::prepare(ranking::RankingList::load(m_db, quiet, entry.key), ReportOptions(), {}, false);
    } catch (const Error &) {
        prepared.reset();  // the list went away meanwhile; its page says it has no positions
    }

    const QString title =
        entry.kategorieD + (entry.klasseD.isEmpty() ? QString() : QStringLiteral(" - ") + entry.klasseD);
    QString page = pageHead(title, m_autoRefresh);
    std::optional<ReportBands> laid;
    if (prepared)
        laid = prepared->layout->lay(prepared->rows, prepared->options);
    std::optional<ListTable> table;
    if (laid)
        table.emplace(*laid);
    if (table)
        page += table->style();
    page +=
        QStringLiteral("</head>\n<body>\n<header>\n<p class=\"back\"><a href=\"index.html\">Alle Ranglisten</a></p>\n");
    if (!entry.sparteD.isEmpty() || !entry.sparteF.isEmpty())
        page +=
            QStringLiteral("<p class=\"sparte\">") + bilingual(entry.sparteD, entry.sparteF) + QStringLiteral("</p>\n");
    page += QStringLiteral("<h1>") + bilingual(entry.kategorieD, entry.kategorieF) + QStringLiteral("</h1>\n");
    if (!entry.klasseD.isEmpty() || !entry.klasseF.isEmpty())
        page +=
            QStringLiteral("<p class=\"klasse\">") + bilingual(entry.klasseD, entry.klasseF) + QStringLiteral("</p>\n");
    page += QStringLiteral("<p class=\"meta\">Rangliste %1 · %2 · Stand %3")
                .arg(keyText(entry.key),
                     entry.positions == 1 ? QStringLiteral("1 Position")
                                          : QStringLiteral("%1 Positionen").arg(entry.positions),
                     shownTime(entry.changed));
    if (!entry.pdf.isEmpty())
        page += QStringLiteral(" · <a href=\"") + entry.pdf + QStringLiteral("\">PDF</a>");
    page += QStringLiteral("</p>\n</header>\n<main>\n");
    if (table) {
        page += QStringLiteral("<table class=\"list\">\n") + table->head();
        for (qsizetype i = 0; i < laid->bands.size(); ++i)
            table->appendBand(page, laid->bands.at(i), i);
        page += QStringLiteral("</table>\n");
    } else if (entry.positions == 0) {
        page += QStringLiteral("<p class=\"empty\">Diese Rangliste hat noch keine Positionen.</p>\n");
    } else {
        page += QStringLiteral("<p class=\"empty\">Für den Layouttyp %1 gibt es keine Darstellung.</p>\n")
                    .arg(html(entry.layout));
    }
    page += QStringLiteral("</main>\n<footer>Ranquill · Stand %1</footer>\n</body>\n</html>\n")
                .arg(shownTime(entry.changed));

    QString json = QStringLiteral("{\"kat\":%1,\"klasse\":%2,\"layout\":").arg(entry.key.kat).arg(entry.key.klasse);
    appendJsonString(json, entry.layout);
    json += QStringLiteral(",\"changed\":");
    appendJsonString(json, entry.changed.toString(Qt::ISODate));
    // The rows as the report reads them: what is the same in every row (the
    // list's titles) once under "list", the rest per row; empty fields left out.
    json += QStringLiteral(",\"list\":{");
    QString rows = QStringLiteral(",\"rows\":[");
    if (prepared) {
        const QList<ReportRow> &all = prepared->rows;
        const QStringList names = all.isEmpty() ? QStringList() : all.first().names();
        QList<qsizetype> varying;
        bool firstField = true;
        for (qsizetype i = 0; i < names.size(); ++i) {
            const QStringView first = all.first().viewAt(i);
            if (std::any_of(all.cbegin() + 1, all.cend(), [&](const ReportRow &row) { return row.viewAt(i) != first; }))
                varying << i;
            else if (!first.isEmpty())
                appendJsonMember(json, firstField, names.at(i), first);
        }
        for (const ReportRow &row : all) {
            rows += &row == &all.first() ? QStringLiteral("{") : QStringLiteral(",{");
            firstField = true;
            for (const qsizetype i : std::as_const(varying)) {
                const QStringView v = row.viewAt(i);
                if (!v.isEmpty())
                    appendJsonMember(rows, firstField, names.at(i), v);
            }
            rows += u'}';
        }
    }
    json += u'}' + rows + QStringLiteral("]}");
    files::writeAll(m_directory + u'/' + jsonName(entry.key), json.toUtf8());
    files::writeAll(m_directory + u'/' + pageName(entry.key), page.toUtf8());
}

void ResultsSite::writeIndex(QList<ListEntry> entries)
{
    std::stable_sort(entries.begin(), entries.end(), [](const ListEntry &a, const ListEntry &b) {
        return a.sparteD.localeAwareCompare(b.sparteD) < 0;
    });
    QJsonArray all;
    QString page = pageHead(QStringLiteral("Ranglisten"), m_autoRefresh);
    page += QStringLiteral(
                "</head>\n<body>\n<header>\n<h1>Ranglisten <span class=\"fr\" lang=\"fr\">Classements</span></h1>\n"
                "<p class=\"meta\">Stand %1</p>\n</header>\n<main>\n")
                .arg(shownTime(m_now()));
    QString sparte;
    int kat = -1;
    bool first = true;
    for (const ListEntry &e : std::as_const(entries)) {
        if (first || e.sparteD != sparte) {
            if (!first)
                page += QStringLiteral("</ul>\n</section>\n");
            page += QStringLiteral("<section>\n<h2>") +
                    (e.sparteD.isEmpty() && e.sparteF.isEmpty() ? QStringLiteral("Ohne Sparte")
                                                                : bilingual(e.sparteD, e.sparteF)) +
                    QStringLiteral("</h2>\n");
            sparte = e.sparteD;
            kat = -1;
        } else if (e.key.kat != kat) {
            page += QStringLiteral("</ul>\n");
        }
        if (first || e.key.kat != kat) {
            page += QStringLiteral("<h3>") +
                    bilingual(e.kategorieD.isEmpty() ? QStringLiteral("Kategorie %1").arg(e.key.kat) : e.kategorieD,
                              e.kategorieF) +
                    QStringLiteral("</h3>\n<ul class=\"lists\">\n");
            kat = e.key.kat;
        }
        first = false;
        const QString klasse = e.klasseD.isEmpty() && e.klasseF.isEmpty()
                                   ? QStringLiteral("Klasse %1").arg(e.key.klasse)
                                   : bilingual(e.klasseD, e.klasseF);
        page +=
            QStringLiteral("<li><a href=\"%1\"><span class=\"klasse\">%2</span><span class=\"count\">%3</span>"
                           "<span class=\"time\">geändert %4</span></a></li>\n")
                .arg(pageName(e.key), klasse,
                     e.positions == 1 ? QStringLiteral("1 Position") : QStringLiteral("%1 Positionen").arg(e.positions),
                     shownTime(e.changed));
        all.append(QJsonObject{{QStringLiteral("kat"), e.key.kat},
                               {QStringLiteral("klasse"), e.key.klasse},
                               {QStringLiteral("sparte_d"), e.sparteD},
                               {QStringLiteral("sparte_f"), e.sparteF},
                               {QStringLiteral("kategorie_d"), e.kategorieD},
                               {QStringLiteral("kategorie_f"), e.kategorieF},
                               {QStringLiteral("klasse_d"), e.klasseD},
                               {QStringLiteral("klasse_f"), e.klasseF},
                               {QStringLiteral("layout"), e.layout},
                               {QStringLiteral("positions"), e.positions},
                               {QStringLiteral("changed"), e.changed.toString(Qt::ISODate)},
                               {QStringLiteral("page"), pageName(e.key)},
                               {QStringLiteral("json"), jsonName(e.key)},
                               {QStringLiteral("pdf"), e.pdf}});
    }
    if (first)
        page += QStringLiteral("<p class=\"empty\">Noch keine Ranglisten.</p>\n");
    else
        page += QStringLiteral("</ul>\n</section>\n");
    page += QStringLiteral("</main>\n<footer>Ranquill</footer>\n</body>\n</html>\n");
    files::writeAll(m_directory + u'/' + kListsJson, QJsonDocument(all).toJson(QJsonDocument::Indented));
    files::writeAll(m_directory + u'/' + kIndex, page.toUtf8());
}

void ResultsSite::writeStylesheet()
{
    files::writeAll(m_directory + u'/' + kStylesheet, QByteArray(kStyle));
}

}  // namespace rq::reports
