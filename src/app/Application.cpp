#include "app/Application.h"

#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "capture/FormulaParser.h"
#include "capture/ListGeneration.h"
#include "capture/ParticipantData.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/SingleInstance.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "interchange/E2vExport.h"
#include "interchange/ImportRemoval.h"
#include "interchange/InterchangeImport.h"
#include "interchange/RankingListImport.h"
#include "interchange/TextTableImport.h"
#include "ranking/RankingListModels.h"
#include "reports/ResultsSite.h"
#include "tools/SqlBackup.h"
#include "windows/LateRegistrationDialog.h"
#include "windows/ParticipantSelection.h"
#include "windows/QueryEditorWindow.h"
#include "windows/RankingListEditor.h"
#include "windows/ResultEntryWindow.h"
#include "windows/SnapshotDialog.h"

#include <QDir>
#include <QScopeGuard>

namespace rq {
namespace {

// The commands that work on the database.
const Command kDataCommands[] = {
    Command::Backup,         Command::QueryEditor,      Command::ExportE2v,         Command::ImportV2e,
    Command::ImportE2v,      Command::RemoveImports,    Command::ImportRankingList, Command::ImportTextTable,
    Command::CaptureResults, Command::EditRankingLists, Command::LateRegistration,  Command::Snapshots,
    Command::PublishResults};

const QString kRestoreOffer =
    QStringLiteral("Die Datenbank wurde neu angelegt: eine Sicherung (RanBase.sql) kann jetzt in sie geladen werden.");

}  // namespace

Application::Application(const AppPaths &paths, IniFile &ini)
    : m_paths(paths)
    , m_ini(ini)
{
    m_mainWindow = std::make_unique<MainWindow>(ini);
    openDatabase();
    m_aboutBox = std::make_unique<AboutBox>(ini, m_mainWindow.get());
    m_mainWindow->setCommand(Command::About, [this] { m_aboutBox->exec(); });
    // Which database this station works on: the file, or the server's shared one.
    const QString inUse = m_database ? m_database->display() : QString();
    m_mainWindow->setDatabaseText(inUse.isEmpty() ? QString() : QStringLiteral("Datenbank: ") + inUse);
    m_aboutBox->setDatabase(inUse.isEmpty() ? QStringLiteral("keine") : inUse);
    if (m_database) {
        createWindows(*m_database);
        connectCommands(*m_database);
    } else {
        connectUnavailableDatabase();
    }
}

Application::~Application()
{
    // The windows go first; nothing they do on the way may reach the site's queue, which goes with them.
    if (m_database)
        m_database->setListListener({});
}

void Application::openDatabase()
{
    Operator &op = m_mainWindow->op();
    db::DatabaseSetup setup(op, *m_mainWindow);
    try {
        const QString dataDirectory =
            db::DatabaseSetup::locateDataDirectory(m_paths.aliasFile, m_paths.defaultDataDirectory());
        const db::ServerSettings server = db::DatabaseSetup::serverOf(m_ini);
        setup.useServer(server);
        // Two copies must not work on one database file, whichever user
        // directories they run with; on a server, several stations are the point.
        m_dataLock = std::make_unique<SingleInstance>(db::DatabaseSetup::lockFile(dataDirectory));
        switch (server.isSet() ? SingleInstance::Result::Acquired : m_dataLock->acquire()) {
        case SingleInstance::Result::Acquired:
            break;
        case SingleInstance::Result::HeldElsewhere:
            throw Error(db::DatabaseSetup::inUseMessage(dataDirectory));
        case SingleInstance::Result::Failed:
            throw Error(m_dataLock->failure());
        }
        m_database = setup.run(dataDirectory, m_mainWindow->rebuildId(), [&](db::Database &db) {
            // The offer of a restore comes over the program's window, which says why it comes.
            m_mainWindow->setSummary(kRestoreOffer);
            m_mainWindow->showStored();
            tools::SqlRestore(db, *m_mainWindow).run(op, m_paths.baseDirectory);
            if (m_mainWindow->summary() == kRestoreOffer)
                m_mainWindow->setSummary(QString());
        });
        if (!m_database)
            m_databaseFailure = setup.failure();

    } catch (const std::exception &e) {
        showGeneralError(op, e);
        m_databaseFailure = QString::fromUtf8(e.what());
    }
}

void Application::createWindows(db::Database &db)
{
    Operator &op = m_mainWindow->op();
    MainWindow *parent = m_mainWindow.get();
    m_rankingModels = std::make_unique<ranking::RankingListModels>(db, op);
    m_rankingEditor =
        std::make_unique<windows::RankingListEditor>(*m_rankingModels, op, m_ini, m_paths.baseDirectory, parent);
    m_queryEditor = std::make_unique<windows::QueryEditorWindow>(db, op, m_ini, parent);
    m_participantData = std::make_unique<capture::ParticipantData>(db);
    m_formulaParser = std::make_unique<capture::FormulaParser>(op);
    m_resultEntry = std::make_unique<windows::ResultEntryWindow>(db, op, m_ini, *m_formulaParser, parent);
    m_participantSelection =
        std::make_unique<windows::ParticipantSelection>(*m_participantData, *m_resultEntry, op, m_ini, parent);
    m_lateRegistration = std::make_unique<windows::LateRegistrationDialog>(db, op, m_ini, parent);
}

void Application::connectCommands(db::Database &db)
{
    Operator &op = m_mainWindow->op();
    MainWindow &main = *m_mainWindow;
    m_participantSelection->setConvertAction([this, &db, &op](int kat) {
        capture::ListGeneration generation(db, op);
        // Whatever happens once confirmed, the editor's category search proposes this category.
        const auto remember = qScopeGuard([&] {
            if (const auto category = generation.headerCategory())
                m_rankingEditor->setLastCategorySearch(*category);
        });
        QStringList titles;
        for (int n = 1; n <= 4; ++n)
            titles << m_participantSelection->detailTitle(n);
        generation.run(kat, m_rankingEditor->awardText(), titles);
    });
    main.setCommand(Command::CaptureResults, [this] { m_participantSelection->exec(); });
    main.setCommand(Command::LateRegistration, [this] { m_lateRegistration->exec(); });
    main.setCommand(Command::Backup, [this, &db, &op] { tools::SqlBackup::run(db, op, m_paths.baseDirectory); });
    main.setCommand(Command::ImportV2e,
                    [&db, &op, &main] { interchange::InterchangeImport(db, main).run(op, interchange::Format::V2E); });
    main.setCommand(Command::ImportE2v,
                    [&db, &op, &main] { interchange::InterchangeImport(db, main).run(op, interchange::Format::E2V); });
    main.setCommand(Command::ExportE2v, [&db, &op] { interchange::E2vExport::run(db, op); });
    main.setCommand(Command::RemoveImports, [&db, &op] { interchange::ImportRemoval::run(db, op); });
    main.setCommand(Command::ImportRankingList, [&db, &op] { interchange::RankingListImport(db, op).run(); });
    main.setCommand(Command::ImportTextTable, [&db, &op] { interchange::TextTableImport(db, op).run(); });
    main.setCommand(Command::EditRankingLists, [this] { m_rankingEditor->exec(); });
    main.setCommand(Command::Snapshots, [&db, &op, &main] { windows::SnapshotDialog(db, op, &main).exec(); });
    main.setCommand(Command::PublishResults, [this, &op] { publishResults(op); });
    connectResultsSite(db);
    connectOtherStations(db);
    main.setCommand(Command::QueryEditor, [this] {
        m_queryEditor->fillTables();
        m_queryEditor->exec();
    });
}

reports::ResultsSite Application::resultsSite(db::Database &db, const QString &directory) const
{
    reports::ResultsSite site(db, directory);
    site.setPdfDirectory(m_ini.readString(QStringLiteral("Options"), QStringLiteral("PDF-Path"),
                                          m_paths.baseDirectory + QStringLiteral("PDF-Temp/")));
    site.setAutoRefresh(reports::ResultsSite::autoRefreshSetting(m_ini));
    return site;
}

void Application::publishResults(Operator &op)
{
    const auto directory = op.askText(QStringLiteral("Ergebnisse veröffentlichen"),
                                      QStringLiteral("Verzeichnis der Ergebnisse (leer: keine Ergebnisse schreiben):"),
                                      reports::ResultsSite::directorySetting(m_ini));
    if (!directory)
        return;
    reports::ResultsSite::setDirectorySetting(m_ini, *directory);
    if (directory->trimmed().isEmpty()) {
        op.report(QStringLiteral("Es werden keine Ergebnisse mehr geschrieben"));
        return;
    }
    const auto wait = op.waitCursor();
    resultsSite(*m_database, directory->trimmed()).publishAll();
    op.report(QStringLiteral("Ergebnisse in %1 geschrieben; sie werden nach jeder Änderung einer Rangliste "
                             "nachgeführt")
                  .arg(QDir::toNativeSeparators(directory->trimmed())));
}

void Application::connectOtherStations(db::Database &db)
{
    // What other stations commit shows in the open windows; a burst of their
    // changes (an import) is shown once, shortly after it.
    m_othersTimer.setSingleShot(true);
    m_othersTimer.setInterval(500);
    QObject::connect(&m_othersTimer, &QTimer::timeout, [this] {
        if (m_participantSelection)
            m_participantSelection->showOthersChanges();
        if (m_rankingEditor)
            m_rankingEditor->showOthersChanges();
    });
    db.watchOtherStations([this] { m_othersTimer.start(); });
}

void Application::connectResultsSite(db::Database &db)
{
    // Changes are gathered and written shortly after the last of them, once the
    // operation that made them has committed and the window answers again.
    m_siteTimer.setSingleShot(true);
    m_siteTimer.setInterval(300);
    db.setListListener([this](int kat, int klasse) {
        if (!m_changedLists.contains(ranking::ListKey{kat, klasse}))
            m_changedLists.append({kat, klasse});
        m_siteTimer.start();
    });
    QObject::connect(&m_siteTimer, &QTimer::timeout, m_mainWindow.get(), [this, &db] {
        // A message box inside an operation still open (a refused statement) runs the event loop:
        // the site waits until the operation has ended, committed or rolled back.
        if (db.inTransaction()) {
            m_siteTimer.start();
            return;
        }
        const QList<ranking::ListKey> changed = std::exchange(m_changedLists, {});
        const QString directory = reports::ResultsSite::directorySetting(m_ini);
        if (directory.isEmpty() || changed.isEmpty())
            return;
        try {
            resultsSite(db, directory).publishLists(changed);
        } catch (const Error &e) {
            // Not worth a message box in the middle of the work: the status line says it, the next change retries.
            m_changedLists += changed;
            m_mainWindow->op().report(QStringLiteral("Ergebnisse konnten nicht geschrieben werden: ") + e.message());
        }
    });
}

void Application::connectUnavailableDatabase()
{
    for (const Command command : kDataCommands)
        m_mainWindow->setCommand(command, [this] { throw Error(m_databaseFailure); });
}

}  // namespace rq
