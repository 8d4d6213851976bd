#include "interchange/RankingListExport.h"

#include "common/Numbers.h"
#include "common/Operator.h"
#include "interchange/TextTable.h"

#include <QDir>
#include <QFileInfo>

#include <limits>

namespace rq::interchange {
namespace {

const QString kListColumns = QStringLiteral(
    "KAT_NR, KLASSE_NR, SPARTE_D, SPARTE_F, KATEGORIE_D, KATEGORIE_F, KLASSE_D, KLASSE_F, RANG_TITEL, NAME1_TITEL, "
    "NAME2_TITEL, JAHRGANG_TITEL, VEREIN_TITEL, KANTON_TITEL, PUNKTE_TITEL, AUSZEICHNUNGS_TITEL, DETAIL1_TITEL, "
    "DETAIL2_TITEL, DETAIL3_TITEL, DETAIL4_TITEL, DETAIL5_TITEL, DETAIL6_TITEL, DETAIL7_TITEL, DETAIL8_TITEL, "
    "DETAIL9_TITEL, DETAIL10_TITEL, DETAIL11_TITEL, DETAIL12_TITEL, DETAIL13_TITEL, DETAIL14_TITEL, DETAIL15_TITEL, "
    "DETAILS_PRO_ZEILE, LAYOUT, HERKUNFT, ");

QString listQuery(ExportKind kind)
{
    // A development copy shows version 0 in its list file.
    const QString version =
        kind == ExportKind::Release ? QStringLiteral("VERSION, ") : QStringLiteral("' 0' as VERSION, ");
    return QStringLiteral("select ") + kListColumns + version +
           QStringLiteral("DATUM from RANGLISTE WHERE KAT_NR = ? AND KLASSE_NR = ? ORDER BY 1,2");
}

const QString kPositionQuery = QStringLiteral(
    "SELECT RANGPOS.KAT_NR, RANGPOS.KLASSE_NR, RANGPOS.RANGPOS_NR, RANGPOS.RANG, RANGPOS.NAME1, RANGPOS.NAME2, "
    "RANGPOS.JAHRGANG, RANGPOS.VEREIN, RANGPOS.KANTON, RANGPOS.PUNKTE, RANGPOS.AUSZEICHNUNG, RANGPOS.BEMERKUNGEN, "
    "RANGPOS.VEREIN_ID, RANGPOS.VERBAND_NR, RANGPOS.PREFIX, RANGPOS.ORT, RANGPOS.ZUSATZ FROM RANGPOS "
    "WHERE RANGPOS.KAT_NR = ? AND RANGPOS.KLASSE_NR = ? ORDER BY 1,2,3");

const QString kBlockQuery = QStringLiteral(
    "select DETAILBLOCK.KAT_NR, DETAILBLOCK.KLASSE_NR, DETAILBLOCK.RANGPOS_NR, DETAILBLOCK.DETAILBLOCK_NR, "
    "DETAILBLOCK.NAME1, DETAILBLOCK.NAME2, DETAILBLOCK.JAHRGANG, DETAILBLOCK.PUNKTE, DETAILBLOCK.BEMERKUNGEN "
    "from DETAILBLOCK WHERE KAT_NR = ? AND KLASSE_NR = ? ORDER BY 1,2,3,4");

const QString kDetailQuery = QStringLiteral(
    "SELECT DETAIL.KAT_NR, DETAIL.KLASSE_NR, DETAIL.RANGPOS_NR, DETAIL.DETAILBLOCK_NR, DETAIL.DETAILPOS_NR, "
    "DETAIL.DISZIPLIN, DETAIL.LEISTUNG, DETAIL.ZUSATZWERT, DETAIL.ANZAHL, DETAIL.PUNKTE, DETAIL.DETAILTEXT "
    "FROM DETAIL WHERE DETAIL.KAT_NR = ? AND DETAIL.KLASSE_NR = ? ORDER BY 1,2,3,4,5");

}  // namespace

int RankingListExport::nextVersion(const QString &stored)
{
    const auto number = num::parseInteger(stored);
    if (!number || *number >= std::numeric_limits<int>::max() || *number < std::numeric_limits<int>::min())
        return 1;
    return int(*number) + 1;
}

QString RankingListExport::suggestedName(ranking::ListKey key, int version, ExportKind kind)
{
    return QStringLiteral("%1_%2_Vers%3%4.txt")
        .arg(key.kat)
        .arg(key.klasse)
        .arg(version)
        .arg(kind == ExportKind::Development ? QStringLiteral("_dev") : QString());
}

QStringList RankingListExport::filesFor(const QString &basePath)
{
    const QFileInfo base(basePath);
    const QDir dir = base.absoluteDir();
    QStringList files;
    for (const char *prefix : {"LST_", "POS_", "BLK_", "DET_"})
        files << dir.filePath(QString::fromLatin1(prefix) + base.fileName());
    return files;
}

QString RankingListExport::stampText(const QDateTime &time)
{
    return time.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss"));
}

RankingListExport::RankingListExport(ranking::RankingList list)
    : m_list(std::move(list))
{
}

void RankingListExport::write(const QString &basePath, ExportKind kind, int version, const QDateTime &time,
                              const std::function<void()> &stamped)
{
    const ranking::ListKey key = m_list.key();
    m_list.runner().run({QStringLiteral("UPDATE RANGLISTE SET VERSION = ?,"), QStringLiteral("DATUM  = ?"),
                         QStringLiteral("WHERE KLASSE_NR = ?"), QStringLiteral("AND KAT_NR = ?")},
                        {QString::number(version), stampText(time), key.klasse, key.kat});
    m_list.reload();
    if (stamped)
        stamped();
    const QStringList files = filesFor(basePath);
    const QString queries[] = {listQuery(kind), kPositionQuery, kBlockQuery, kDetailQuery};
    for (int i = 0; i < 4; ++i)
        writeQueryAsTextTable(m_list.database(), queries[i], {key.kat, key.klasse}, files.at(i));
}

bool RankingListExport::run(ExportKind kind, const std::function<void()> &stamped)
{
    const int version = nextVersion(m_list.text(QStringLiteral("VERSION")));
    FileDialogRequest request;
    request.title = QStringLiteral("Druckvorstufe exportieren");
    request.fileName = suggestedName(m_list.key(), version, kind);
    request.filter = QStringLiteral("Text Datei|*.txt");
    request.defaultSuffix = QStringLiteral("txt");
    const auto path = m_list.op().chooseSaveFile(request);
    if (!path)
        return false;
    const auto wait = m_list.op().waitCursor();
    write(*path, kind, version, QDateTime::currentDateTime(), stamped);
    return true;
}

}  // namespace rq::interchange
