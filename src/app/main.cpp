#include "app/AboutBox.h"
#include "app/MainWindow.h"
#include "capture/FormulaParser.h"
#include "capture/ListGeneration.h"
#include "capture/ParticipantData.h"
#include "common/AppPaths.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/SingleInstance.h"
#include "db/Database.h"
#include "db/DatabaseSetup.h"
#include "interchange/E2vExport.h"
#include "interchange/ImportRemoval.h"
#include "interchange/InterchangeImport.h"
#include "ranking/RankingListModels.h"
#include "tools/SqlBackup.h"
#include "windows/LateRegistrationDialog.h"
#include "windows/ParticipantSelection.h"
#include "windows/QueryEditorWindow.h"
#include "windows/RankingListEditor.h"
#include "windows/ResultEntryWindow.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProxyStyle>
#include <QScopeGuard>
#include <QTranslator>

namespace {

// Tooltips show after half a second and follow each other within 100 ms.
class RanquillStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 100;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

int main(int argc, char *argv[])
{
    rq::SingleInstance instance;
    QApplication app(argc, argv);
    if (!instance.tryAcquire()) {
        QMessageBox::information(nullptr, QStringLiteral("Ranquill"), rq::SingleInstance::alreadyRunningMessage());
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("Ranquill"));
    QApplication::setStyle(new RanquillStyle);
    // Qt's own dialogs (file dialogs, input boxes) speak German as the program does.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    // Numbers in widgets follow the program's fixed formats, not the system's.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    QLocale::setDefault(c);

    const rq::AppPaths paths = rq::AppPaths::detect();
    rq::IniFile ini(paths.settingsFile);

    // Created once, in this order; they live until the process ends.
    rq::MainWindow mainWindow(ini);
    rq::Operator &op = mainWindow.op();

    std::unique_ptr<rq::db::Database> database;
    rq::db::DatabaseSetup setup(op, mainWindow);
    rq::runGuarded(op, [&] {
        const QString dataDirectory =
            rq::db::DatabaseSetup::locateDataDirectory(paths.aliasFile, paths.defaultDataDirectory());
        database = setup.run(dataDirectory, mainWindow.rebuildId(), [&](rq::db::Database &db) {
            rq::tools::SqlRestore(db, mainWindow).run(op, paths.baseDirectory);
        });
    });

    rq::AboutBox aboutBox(ini, &mainWindow);
    mainWindow.setCommand(rq::Command::About, [&] { aboutBox.exec(); });

    // Commands that need the database are wired only when it could be opened.
    std::unique_ptr<rq::ranking::RankingListModels> rankingModels;
    std::unique_ptr<rq::windows::RankingListEditor> rankingEditor;
    std::unique_ptr<rq::windows::QueryEditorWindow> queryEditor;
    std::unique_ptr<rq::capture::ParticipantData> participantData;
    std::unique_ptr<rq::capture::FormulaParser> formulaParser;
    std::unique_ptr<rq::windows::ResultEntryWindow> resultEntry;
    std::unique_ptr<rq::windows::ParticipantSelection> participantSelection;
    std::unique_ptr<rq::windows::LateRegistrationDialog> lateRegistration;
    if (database) {
        rq::db::Database &db = *database;
        rankingModels = std::make_unique<rq::ranking::RankingListModels>(db, op);
        rankingEditor =
            std::make_unique<rq::windows::RankingListEditor>(*rankingModels, op, ini, paths.baseDirectory, &mainWindow);
        queryEditor = std::make_unique<rq::windows::QueryEditorWindow>(db, op, ini, &mainWindow);
        participantData = std::make_unique<rq::capture::ParticipantData>(db);
        formulaParser = std::make_unique<rq::capture::FormulaParser>(op);
        resultEntry = std::make_unique<rq::windows::ResultEntryWindow>(db, op, ini, *formulaParser, &mainWindow);
        participantSelection =
            std::make_unique<rq::windows::ParticipantSelection>(*participantData, *resultEntry, op, ini, &mainWindow);
        lateRegistration = std::make_unique<rq::windows::LateRegistrationDialog>(db, op, ini, &mainWindow);
        participantSelection->setConvertAction([&](int kat) {
            rq::capture::ListGeneration generation(db, op);
            // Whatever happens once confirmed, the editor's category search proposes this category.
            const auto remember = qScopeGuard([&] {
                if (const auto category = generation.headerCategory())
                    rankingEditor->setLastCategorySearch(*category);
            });
            QStringList titles;
            for (int n = 1; n <= 4; ++n)
                titles << participantSelection->detailTitle(n);
            generation.run(kat, rankingEditor->awardText(), titles);
        });
        mainWindow.setCommand(rq::Command::CaptureResults, [&] { participantSelection->exec(); });
        mainWindow.setCommand(rq::Command::LateRegistration, [&] { lateRegistration->exec(); });
        mainWindow.setCommand(rq::Command::Backup, [&] { rq::tools::SqlBackup::run(db, op, paths.baseDirectory); });
        mainWindow.setCommand(rq::Command::ImportV2e, [&] {
            rq::interchange::InterchangeImport(db, mainWindow).run(op, rq::interchange::Format::V2E);
        });
        mainWindow.setCommand(rq::Command::ImportE2v, [&] {
            rq::interchange::InterchangeImport(db, mainWindow).run(op, rq::interchange::Format::E2V);
        });
        mainWindow.setCommand(rq::Command::ExportE2v, [&] { rq::interchange::E2vExport::run(db, op); });
        mainWindow.setCommand(rq::Command::RemoveImports, [&] { rq::interchange::ImportRemoval::run(db, op); });
        mainWindow.setCommand(rq::Command::EditRankingLists, [&] { rankingEditor->exec(); });
        mainWindow.setCommand(rq::Command::QueryEditor, [&] {
            queryEditor->fillTables();
            queryEditor->exec();
        });
    }

    mainWindow.showStored();
    mainWindow.activateWindow();
    return app.exec();
}
