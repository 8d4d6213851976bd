#pragma once

#include "common/Operator.h"

#include <QHash>
#include <QImage>
#include <QMainWindow>

#include <functional>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QAction;

namespace rq {

class IniFile;
class WidgetOperator;

// The menu commands of the main window.
enum class Command {
    Backup,
    QueryEditor,
    ExportE2v,
    ImportV2e,
    ImportE2v,
    RemoveImports,
    ImportRankingList,
    ImportTextTable,
    Snapshots,
    PublishResults,
    Quit,
    CaptureResults,
    EditRankingLists,
    LateRegistration,
    About,
};

// The hub of the program ("VELDOR Ranquill"): the menu, the error list
// ("Fehlerliste") lent to imports, restore and setup, the logo panel and the
// status bar with the hint of the highlighted item.
class MainWindow : public QMainWindow, public ErrorList
{
    Q_OBJECT

public:
    explicit MainWindow(IniFile &ini, QWidget *parent = nullptr);
    ~MainWindow() override;

    Operator &op();
    // "RebuildId" of section "DB" as read at creation.
    int rebuildId() const { return m_rebuildId; }

    // Connects a menu command to what it does. Commands without a handler tell
    // the operator that the function is not available yet.
    void setCommand(Command command, std::function<void()> handler);
    QAction *action(Command command) const;

    // ErrorList
    void clearLines() override;
    void appendLine(const QString &line) override;
    void showList() override;
    void hideList() override;
    QString errorListText() const;
    bool errorListVisible() const;

    // Shows the window (maximised when stored so).
    void showStored();

    // The line of the status bar that says what the last command did; a menu
    // hint covers it only while an item is highlighted.
    void setSummary(const QString &text);
    // The status bar's lasting note of the database in use.
    void setDatabaseText(const QString &text);
    QString databaseText() const;
    QString summary() const;

protected:
    void closeEvent(QCloseEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void buildMenu();
    void runCommand(Command command);
    void storeSettings();

    IniFile &m_ini;
    std::unique_ptr<WidgetOperator> m_op;
    int m_rebuildId = 0;
    QPlainTextEdit *m_errorList = nullptr;
    QLabel *m_logo = nullptr;
    QLabel *m_summary = nullptr;
    QLabel *m_database = nullptr;
    QImage m_logoImage;
    bool m_logoFilled = false;
    bool m_settingsStored = false;
    QHash<Command, QAction *> m_actions;
    QHash<Command, std::function<void()>> m_handlers;
};

}  // namespace rq
