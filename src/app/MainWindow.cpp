#include "app/MainWindow.h"

#include "app/Logo.h"
#include "common/Errors.h"
#include "common/FloodFill.h"
#include "common/IniFile.h"
#include "widgets/GeometryKeeper.h"
#include "widgets/WidgetOperator.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QStyle>

#include <optional>

namespace rq {
namespace {

const QString kWindowName = QStringLiteral("MainForm");
const QString kDbSection = QStringLiteral("DB");
const QString kRebuildKey = QStringLiteral("RebuildId");

struct MenuItem
{
    QString path;  // submenu captions joined by "/"
    Command command;
    QString caption;
    QString hint;  // "short|long" or one text for both
    bool isDefault;
    QStyle::StandardPixmap icon;
};

struct Submenu
{
    QString path;
    QString caption;
    QString hint;
    std::optional<QStyle::StandardPixmap> icon;  // the submenus of "&Datei" carry one, as every item does
};

// The submenus in the order they appear, with their hints.
const QList<Submenu> &submenus()
{
    static const QList<Submenu> list = {
        {QStringLiteral("Datei"), QStringLiteral("&Datei"), QStringLiteral("Datei"), std::nullopt},
        {QStringLiteral("Datei/Exportieren"), QStringLiteral("&Exportieren"), QStringLiteral("Datenexport"),
         QStyle::SP_DriveFDIcon},
        {QStringLiteral("Datei/Importieren"), QStringLiteral("Importieren"), QStringLiteral("Daten Import"),
         QStyle::SP_DirOpenIcon},
        {QStringLiteral("Bearbeiten"), QStringLiteral("&Bearbeiten"),
         QStringLiteral("Daten erfassen und Ranglisten bearbeiten"), std::nullopt},
        {QStringLiteral("Hilfe"), QStringLiteral("&Hilfe"), QStringLiteral("Hilfethemen"), std::nullopt},
    };
    return list;
}

const QList<MenuItem> &menuItems()
{
    static const QList<MenuItem> list = {
        {QStringLiteral("Datei/Exportieren"), Command::Backup, QStringLiteral("&Sicherung aller Daten"),
         QStringLiteral("Sicherungskopie aller Daten erstellen"), true, QStyle::SP_DialogSaveButton},
        {QStringLiteral("Datei/Exportieren"), Command::QueryEditor, QStringLiteral("Mit &Editor Abfrage erstellen"),
         QStringLiteral("SQL-Anweisungen erstellen und verwalten"), false, QStyle::SP_FileDialogDetailedView},
        {QStringLiteral("Datei/Exportieren"), Command::ExportE2v, QStringLiteral("E2V Datei exportieren"), QString(),
         false, QStyle::SP_ArrowRight},
        {QStringLiteral("Datei/Importieren"), Command::ImportV2e, QStringLiteral("&V2E Datei importieren"),
         QStringLiteral("Daten aus Meridor III importieren (VELDOR zu Extern Format)"), false, QStyle::SP_ArrowLeft},
        {QStringLiteral("Datei/Importieren"), Command::ImportE2v, QStringLiteral("&E2V Datei importieren"),
         QStringLiteral("Extern vorverarbeitete Daten importieren (Extern zu VELDOR format)"), false,
         QStyle::SP_ArrowBack},
        {QStringLiteral("Datei/Importieren"), Command::RemoveImports, QStringLiteral("Importe löschen"),
         QStringLiteral("Alle E2V und V2E samt Nachmeldungen löschen"), false, QStyle::SP_TrashIcon},
        {QStringLiteral("Datei/Importieren"), Command::ImportRankingList, QStringLiteral("&Rangliste importieren"),
         QStringLiteral("Rangliste importieren (im Datenbank-Format, bestehend aus 4 Dateien) "), false,
         QStyle::SP_FileDialogListView},
        {QStringLiteral("Datei/Importieren"), Command::ImportTextTable, QStringLiteral("Textdatei in Tabelle einlesen"),
         QStringLiteral("Texttabelle in Datenbank importieren (TAB-getrennt, mit Feldtiteln und Dateiname wie "
                        "Datenbanktabelle)"),
         false, QStyle::SP_FileIcon},
        {QStringLiteral("Datei"), Command::Snapshots, QStringLiteral("&Zurück zu einem Sicherungspunkt..."),
         QStringLiteral("Die Daten auf den Stand vor einem Befehl zurücksetzen, der Daten gelöscht oder "
                        "überschrieben hat"),
         false, QStyle::SP_BrowserReload},
        {QStringLiteral("Datei"), Command::PublishResults, QStringLiteral("Ergebnisse &veröffentlichen"),
         QStringLiteral("Alle Ranglisten als Webseiten in das Ergebnisverzeichnis schreiben; danach nach jeder "
                        "Änderung die geänderte Liste"),
         false, QStyle::SP_DriveNetIcon},
        {QStringLiteral("Datei"), Command::Quit, QStringLiteral("&Beenden"), QStringLiteral("Ranquill beenden"), false,
         QStyle::SP_DialogCloseButton},
        {QStringLiteral("Bearbeiten"), Command::CaptureResults, QStringLiteral("Resultate erfassen "),
         QStringLiteral("Resultate erfassen"), true, QStyle::SP_FileDialogContentsView},
        {QStringLiteral("Bearbeiten"), Command::EditRankingLists, QStringLiteral("&Rangliste bearbeiten"),
         QStringLiteral("Ranglisten bearbeiten"), false, QStyle::SP_FileDialogListView},
        {QStringLiteral("Bearbeiten"), Command::LateRegistration, QStringLiteral("&Nachmelden"),
         QStringLiteral("Teilnehmer nachmelden"), false, QStyle::SP_FileDialogNewFolder},
        {QStringLiteral("Hilfe"), Command::About, QStringLiteral("&Info..."),
         QStringLiteral("Info|Anzeige von Informationen, Versionsnummer und Copyright-Vermerk"), true,
         QStyle::SP_MessageBoxInformation},
    };
    return list;
}

// The status bar shows the text after "|", or the whole hint without one.
QString longHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.mid(bar + 1);
}

QString shortHint(const QString &hint)
{
    const qsizetype bar = hint.indexOf(u'|');
    return bar < 0 ? hint : hint.left(bar);
}

}  // namespace

MainWindow::MainWindow(IniFile &ini, QWidget *parent)
    : QMainWindow(parent)
    , m_ini(ini)
    , m_op(std::make_unique<WidgetOperator>(this))
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("VELDOR Ranquill"));
    setMinimumSize(640, 480);
    resize(640, 480);

    auto *central = new QWidget(this);
    auto *layout = new QHBoxLayout(central);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    m_errorList = new QPlainTextEdit(central);
    m_errorList->setObjectName(QStringLiteral("Memo1"));
    m_errorList->setReadOnly(true);
    m_errorList->setFixedWidth(449);
    m_errorList->setPlainText(QStringLiteral("Fehlerliste"));
    QPalette palette = m_errorList->palette();
    palette.setColor(QPalette::Base, palette.color(QPalette::ToolTipBase));
    palette.setColor(QPalette::Text, palette.color(QPalette::ToolTipText));
    m_errorList->setPalette(palette);
    m_errorList->setVisible(false);
    layout->addWidget(m_errorList);

    m_logo = new QLabel(central);
    m_logo->setObjectName(QStringLiteral("LogoPanel"));
    m_logo->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_logo->setAlignment(Qt::AlignCenter);
    // The picture is shown centred and unscaled; a narrow panel shows its middle.
    m_logo->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Ignored);
    m_logoImage = logoImage();
    m_logo->setPixmap(QPixmap::fromImage(m_logoImage));
    layout->addWidget(m_logo, 1);
    setCentralWidget(central);
    statusBar()->setSizeGripEnabled(true);
    m_summary = new QLabel(statusBar());
    m_summary->setObjectName(QStringLiteral("SummaryLine"));
    statusBar()->addWidget(m_summary, 1);
    m_database = new QLabel(statusBar());
    m_database->setObjectName(QStringLiteral("DatabaseLine"));
    statusBar()->addPermanentWidget(m_database);
    m_op->setReportLine([this](const QString &text) { setSummary(text); });

    buildMenu();

    m_rebuildId = m_ini.readInt(kDbSection, kRebuildKey, 0);
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::All).restore(this);
}

MainWindow::~MainWindow()
{
    storeSettings();
}

Operator &MainWindow::op()
{
    return *m_op;
}

void MainWindow::buildMenu()
{
    QHash<QString, QMenu *> menus;
    for (const Submenu &s : submenus()) {
        const qsizetype slash = s.path.lastIndexOf(u'/');
        QMenu *menu = slash < 0 ? menuBar()->addMenu(s.caption) : menus.value(s.path.left(slash))->addMenu(s.caption);
        menu->setToolTipsVisible(true);
        menu->menuAction()->setStatusTip(longHint(s.hint));
        if (s.icon)
            menu->setIcon(style()->standardIcon(*s.icon));
        menus.insert(s.path, menu);
    }
    // "&Beenden" follows the two submenus of "&Datei", as in the design.
    for (const MenuItem &item : menuItems()) {
        QMenu *menu = menus.value(item.path);
        QAction *action = menu->addAction(style()->standardIcon(item.icon), item.caption);
        action->setStatusTip(longHint(item.hint));
        action->setToolTip(shortHint(item.hint).isEmpty() ? action->text() : shortHint(item.hint));
        if (item.isDefault) {
            QFont bold = action->font();
            bold.setBold(true);
            action->setFont(bold);
            menu->setDefaultAction(action);
        }
        const Command command = item.command;
        connect(action, &QAction::triggered, this, [this, command] { runCommand(command); });
        m_actions.insert(command, action);
    }
    setCommand(Command::Quit, [this] { close(); });
}

void MainWindow::setCommand(Command command, std::function<void()> handler)
{
    m_handlers.emplace(command, std::move(handler));
}

QAction *MainWindow::action(Command command) const
{
    return m_actions.value(command);
}

void MainWindow::runCommand(Command command)
{
    const auto handler = m_handlers.value(command);
    runGuarded(*m_op, [&] {
        if (!handler) {
            m_op->inform(notAvailableMessage());
            return;
        }
        handler();
    });
}

void MainWindow::clearLines()
{
    m_errorList->clear();
}

void MainWindow::appendLine(const QString &line)
{
    m_errorList->appendPlainText(line);
}

void MainWindow::showList()
{
    m_errorList->setVisible(true);
}

void MainWindow::hideList()
{
    m_errorList->setVisible(false);
}

void MainWindow::setDatabaseText(const QString &text)
{
    m_database->setText(text);
    m_database->setToolTip(text);
}

QString MainWindow::databaseText() const
{
    return m_database->text();
}

void MainWindow::setSummary(const QString &text)
{
    m_summary->setText(text);
    m_summary->setToolTip(text);
}

QString MainWindow::summary() const
{
    return m_summary->text();
}

QString MainWindow::errorListText() const
{
    return m_errorList->toPlainText();
}

bool MainWindow::errorListVisible() const
{
    return !m_errorList->isHidden();
}

void MainWindow::showStored()
{
    if (windowState() & Qt::WindowMaximized)
        showMaximized();
    else
        QMainWindow::show();
}

void MainWindow::closeEvent(QCloseEvent *event)
{
    storeSettings();
    QMainWindow::closeEvent(event);
}

void MainWindow::storeSettings()
{
    if (m_settingsStored)
        return;
    m_settingsStored = true;
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::All).store(this);
    // "RebuildId" goes back unchanged, and only with a normal-sized window.
    if (!isMaximized())
        m_ini.writeInt(kDbSection, kRebuildKey, m_rebuildId);
}

void MainWindow::changeEvent(QEvent *event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && !m_logoFilled) {
        m_logoFilled = true;
        floodFill(m_logoImage, QPoint(1, 1), m_logo->palette().color(QPalette::Window));
        m_logo->setPixmap(QPixmap::fromImage(m_logoImage));
    }
}

}  // namespace rq
