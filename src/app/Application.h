#pragma once

#include "common/AppPaths.h"
#include "ranking/RankingList.h"

#include <QList>
#include <QString>
#include <QTimer>

#include <memory>

namespace rq {

class AboutBox;
class IniFile;
class MainWindow;
class SingleInstance;

namespace capture {
class FormulaParser;
class ParticipantData;
}  // namespace capture

namespace db {
class Database;
}

namespace ranking {
class RankingListModels;
}

namespace reports {
class ResultsSite;
}

class Operator;

namespace windows {
class LateRegistrationDialog;
class ParticipantSelection;
class QueryEditorWindow;
class RankingListEditor;
class ResultEntryWindow;
}  // namespace windows

// The program's windows and modules, created once in start-up order, living
// until the process ends, and the menu commands wired to them. When the
// database cannot be opened, every command that needs it shows why.
class Application
{
public:
    Application(const AppPaths &paths, IniFile &ini);
    ~Application();

    MainWindow &mainWindow() const { return *m_mainWindow; }
    // Empty when the database is open; else the message of the failure.
    const QString &databaseFailure() const { return m_databaseFailure; }

private:
    void openDatabase();
    void createWindows(db::Database &db);
    void connectCommands(db::Database &db);
    void connectUnavailableDatabase();
    // "Ergebnisse veröffentlichen...": the directory setting, then the whole site.
    void publishResults(Operator &op);
    // Rewrites the pages of changed lists when the directory setting names one.
    void connectResultsSite(db::Database &db);
    void connectOtherStations(db::Database &db);
    reports::ResultsSite resultsSite(db::Database &db, const QString &directory) const;

    AppPaths m_paths;
    IniFile &m_ini;
    std::unique_ptr<MainWindow> m_mainWindow;
    std::unique_ptr<SingleInstance> m_dataLock;
    std::unique_ptr<db::Database> m_database;
    QString m_databaseFailure;
    std::unique_ptr<AboutBox> m_aboutBox;
    std::unique_ptr<ranking::RankingListModels> m_rankingModels;
    std::unique_ptr<windows::RankingListEditor> m_rankingEditor;
    QTimer m_othersTimer;  // shows other stations' changes
    std::unique_ptr<windows::QueryEditorWindow> m_queryEditor;
    std::unique_ptr<capture::ParticipantData> m_participantData;
    std::unique_ptr<capture::FormulaParser> m_formulaParser;
    std::unique_ptr<windows::ResultEntryWindow> m_resultEntry;
    std::unique_ptr<windows::ParticipantSelection> m_participantSelection;
    std::unique_ptr<windows::LateRegistrationDialog> m_lateRegistration;
    QTimer m_siteTimer;
    QList<ranking::ListKey> m_changedLists;
};

}  // namespace rq
