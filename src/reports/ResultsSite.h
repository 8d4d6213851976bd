#pragma once

#include "ranking/RankingList.h"

#include <QDateTime>
#include <QList>
#include <QString>

#include <functional>

namespace rq {
class IniFile;
}

namespace rq::db {
class Database;
}

namespace rq::reports {

// The results site: every ranking list as a static HTML page and as JSON, with
// an index grouped by Sparte and Kategorie, for a web server, a shared folder
// or the browser of a results screen; no server of its own. A page is drawn
// from the same rows and bands as the printed list of its layout (ranks,
// awards, details), only as HTML. Every file is written beside its target and
// renamed over it, so a browser never reads half a page.
class ResultsSite
{
public:
    ResultsSite(db::Database &db, QString directory);

    // Where the printed lists' PDFs are ("PDF-Path"): a page links to its
    // list's PDF (Kat<KAT>-<KLASSE>.pdf) when one is there; the site keeps a copy.
    void setPdfDirectory(const QString &directory) { m_pdfDirectory = directory; }
    // Whether pages reload themselves every 60 seconds (on unless switched off).
    void setAutoRefresh(bool on) { m_autoRefresh = on; }
    // The time written as a list's last change (tests set a clock of their own).
    void setClock(std::function<QDateTime()> now) { m_now = std::move(now); }

    // The whole site: every list's page and JSON, lists.json, index.html and
    // the stylesheet; the files of lists that are gone are removed.
    void publishAll();
    // The pages of these lists (their files removed when a list is gone) and of
    // lists that have none yet, then lists.json and index.html.
    void publishLists(const QList<ranking::ListKey> &keys);

    const QString &directory() const { return m_directory; }

    static QString pageName(const ranking::ListKey &key);
    static QString jsonName(const ranking::ListKey &key);

    // The settings: section "Options", "Ergebnisse-Pfad" (empty: no site) and
    // "Ergebnisse-Neuladen" (0: pages do not reload themselves).
    static QString directorySetting(const IniFile &ini);
    static void setDirectorySetting(IniFile &ini, const QString &directory);
    static bool autoRefreshSetting(const IniFile &ini);

private:
    struct ListEntry;
    QList<ListEntry> lists() const;
    void writePage(ListEntry &entry);
    void removePage(const ranking::ListKey &key);
    void writeIndex(QList<ListEntry> entries);
    void writeStylesheet();
    QString copiedPdf(const ranking::ListKey &key);

    db::Database &m_db;
    QString m_directory;
    QString m_pdfDirectory;
    bool m_autoRefresh = true;
    std::function<QDateTime()> m_now;
};

}  // namespace rq::reports
