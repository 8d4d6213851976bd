#pragma once

#include "tools/QueryRunner.h"

#include <QDialog>

class QCheckBox;
class QLabel;
class QListWidget;
class QPlainTextEdit;
class QPushButton;
class QTableView;
class QAbstractItemModel;

namespace rq {
class IniFile;
}

namespace rq::windows {

class RightClickList;

// The window "Abfrage" (historically `TFormQueryEditor`): tables and fields to pick names from, the statement
// editor, the result grid (editable for a plain query of one table when asked),
// and the outputs to clipboard, file and printer.
class QueryEditorWindow : public QDialog
{
    Q_OBJECT

public:
    QueryEditorWindow(db::Database &db, Operator &op, IniFile &ini, QWidget *parent = nullptr);
    ~QueryEditorWindow() override;

    // Refreshes the table list; called each time the window opens.
    void fillTables();

    QPlainTextEdit *editor() const { return m_editor; }
    QTableView *grid() const { return m_grid; }
    const tools::QueryOutcome &outcome() const { return m_outcome; }
    QString rowCountText() const;
    QString positionText() const;

    void runStatements();
    void copyResult();

protected:
    // Every opening starts with the focus in the statement editor.
    void showEvent(QShowEvent *event) override;

private:
    QWidget *buildNameLists();
    QWidget *buildStatementPanel();
    void connectCommands();
    void showFields();
    void insertName(const QString &name);
    void newStatement();
    void openStatement();
    void saveStatement();
    void printResult();
    void updateCaret();
    void updatePosition();
    void setUpGrid(bool runSucceeded);
    void selectText(qsizetype start, qsizetype end);
    tools::QueryOutcome shownResult() const;

    db::Database &m_db;
    Operator &m_op;
    IniFile &m_ini;
    tools::QueryRunner m_runner;
    tools::QueryOutcome m_outcome;

    RightClickList *m_tables = nullptr;
    RightClickList *m_fields = nullptr;
    QPlainTextEdit *m_editor = nullptr;
    QLabel *m_line = nullptr;
    QLabel *m_column = nullptr;
    QCheckBox *m_wrap = nullptr;
    QCheckBox *m_editable = nullptr;
    QTableView *m_grid = nullptr;
    QLabel *m_rows = nullptr;
    QLabel *m_position = nullptr;
    QPushButton *m_new = nullptr;
    QPushButton *m_open = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_run = nullptr;
    QPushButton *m_copy = nullptr;
    QPushButton *m_print = nullptr;
    QPushButton *m_close = nullptr;
    QAbstractItemModel *m_model = nullptr;
};

}  // namespace rq::windows
