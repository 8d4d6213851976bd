#include "windows/QueryEditorWindow.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "reports/TextReport.h"
#include "widgets/GeometryKeeper.h"
#include "widgets/ReportPrinter.h"

#include <QCheckBox>
#include <QClipboard>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QListWidget>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QSqlError>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStandardItemModel>
#include <QTableView>
#include <QVBoxLayout>

namespace rq::windows {
namespace {

const QString kWindowName = QStringLiteral("FormQueryEditor");

}  // namespace

// A list that reports right clicks, for the ready-made statements.
class RightClickList : public QListWidget
{
public:
    using QListWidget::QListWidget;
    std::function<void()> onRightClick;

protected:
    void mousePressEvent(QMouseEvent *event) override
    {
        QListWidget::mousePressEvent(event);
        if (event->button() == Qt::RightButton && onRightClick)
            onRightClick();
    }
};

namespace {

// The editable result: a table model in the statement's order that hands its
// last refusal over once.
class EditableTableModel : public QSqlTableModel
{
public:
    EditableTableModel(QObject *parent, const QSqlDatabase &db, QString orderBy)
        : QSqlTableModel(parent, db)
        , m_orderBy(std::move(orderBy))
    {
    }
    QSqlError takeError()
    {
        const QSqlError error = lastError();
        setLastError(QSqlError());
        return error;
    }

protected:
    QString orderByClause() const override
    {
        return m_orderBy.isEmpty() ? QString() : QStringLiteral("ORDER BY ") + m_orderBy;
    }

private:
    QString m_orderBy;
};

QLabel *caption(const QString &text, QWidget *parent)
{
    auto *label = new QLabel(text, parent);
    QFont f = label->font();
    f.setBold(true);
    label->setFont(f);
    return label;
}

}  // namespace

QueryEditorWindow::QueryEditorWindow(db::Database &db, Operator &op, IniFile &ini, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_op(op)
    , m_ini(ini)
    , m_runner(db, op)
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Abfrage"));
    setMinimumSize(640, 480);
    resize(800, 600);
    setWindowFlag(Qt::WindowMaximizeButtonHint);

    auto *splitter = new QSplitter(this);
    splitter->addWidget(buildNameLists());
    splitter->addWidget(buildStatementPanel());
    splitter->setStretchFactor(1, 1);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(splitter);
    connectCommands();

    GeometryKeeper(m_ini, kWindowName, GeometryKeys::All).restore(this);
}

void QueryEditorWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    m_editor->setFocus();
}

QWidget *QueryEditorWindow::buildNameLists()
{
    auto *left = new QWidget;
    left->setMinimumWidth(297);
    auto *layout = new QVBoxLayout(left);
    layout->addWidget(caption(QStringLiteral("Tabellen"), left));
    m_tables = new RightClickList(left);
    m_tables->setObjectName(QStringLiteral("ListBox1"));
    m_tables->setToolTip(QStringLiteral("Tabellenname kann mit Doppelklick in die SQL-Anweisung übernommen werden "));
    layout->addWidget(m_tables, 1);
    layout->addWidget(caption(QStringLiteral("Felder"), left));
    m_fields = new RightClickList(left);
    m_fields->setObjectName(QStringLiteral("ListBox2"));
    m_fields->setToolTip(QStringLiteral("Feldname kann mit Doppelklick in die SQL-Anweisung übernommen werden"));
    layout->addWidget(m_fields, 1);
    return left;
}

QWidget *QueryEditorWindow::buildStatementPanel()
{
    auto *right = new QWidget;
    auto *layout = new QVBoxLayout(right);
    layout->addWidget(caption(QStringLiteral("SQL-Anweisung"), right));
    m_editor = new QPlainTextEdit(right);
    m_editor->setObjectName(QStringLiteral("RichEdit1"));
    m_editor->setLineWrapMode(QPlainTextEdit::NoWrap);
    m_editor->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_editor->setFont(QFont(QStringLiteral("Liberation Mono"), 10));
    layout->addWidget(m_editor, 2);

    auto *caretRow = new QHBoxLayout;
    m_line = new QLabel(QStringLiteral("Z: 1"), right);
    m_column = new QLabel(QStringLiteral("S: 1"), right);
    m_wrap = new QCheckBox(QStringLiteral("&Zeilenumbruch"), right);
    m_wrap->setObjectName(QStringLiteral("CheckBox2"));
    caretRow->addWidget(m_line);
    caretRow->addWidget(m_column);
    caretRow->addStretch();
    caretRow->addWidget(m_wrap);
    layout->addLayout(caretRow);

    auto *fileButtons = new QHBoxLayout;
    m_new = new QPushButton(QStringLiteral("&Neu"), right);
    m_new->setObjectName(QStringLiteral("BitBtn1"));
    m_open = new QPushButton(QStringLiteral("Ö&ffnen"), right);
    m_open->setObjectName(QStringLiteral("BitBtn2"));
    m_save = new QPushButton(QStringLiteral("&Speichern"), right);
    m_save->setObjectName(QStringLiteral("BitBtn3"));
    fileButtons->addWidget(m_new);
    fileButtons->addWidget(m_open);
    fileButtons->addWidget(m_save);
    fileButtons->addStretch();
    layout->addLayout(fileButtons);
    auto *runRow = new QHBoxLayout;
    m_run = new QPushButton(QStringLiteral("S&QL- Anweisung ausführen"), right);
    m_run->setObjectName(QStringLiteral("BitBtn4"));
    m_editable = new QCheckBox(QStringLiteral("Ausgabe &editierbar"), right);
    m_editable->setObjectName(QStringLiteral("CheckBox1"));
    runRow->addWidget(m_run);
    runRow->addStretch();
    runRow->addWidget(m_editable);
    layout->addLayout(runRow);

    layout->addWidget(caption(QStringLiteral("Ausgabe"), right));
    m_grid = new QTableView(right);
    m_grid->setObjectName(QStringLiteral("DBGrid21"));
    layout->addWidget(m_grid, 3);

    auto *bottom = new QHBoxLayout;
    m_rows = new QLabel(QStringLiteral("Zeilen:"), right);
    m_position = new QLabel(QStringLiteral("Position:"), right);
    m_copy = new QPushButton(QStringLiteral("A&blage"), right);
    m_copy->setObjectName(QStringLiteral("SpeedButton1"));
    m_print = new QPushButton(QStringLiteral("&Drucken"), right);
    m_print->setObjectName(QStringLiteral("SpeedButton17"));
    m_close = new QPushButton(QStringLiteral("&Abbrechen"), right);
    m_close->setObjectName(QStringLiteral("Button1"));
    bottom->addWidget(m_rows);
    bottom->addWidget(m_position);
    bottom->addStretch();
    bottom->addWidget(m_copy);
    bottom->addWidget(m_print);
    bottom->addWidget(m_close);
    layout->addLayout(bottom);
    return right;
}

void QueryEditorWindow::connectCommands()
{
    connect(m_tables, &QListWidget::currentRowChanged, this, [this] { showFields(); });
    connect(m_tables, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *i) { insertName(i->text()); });
    connect(m_fields, &QListWidget::itemDoubleClicked, this, [this](QListWidgetItem *i) { insertName(i->text()); });
    m_tables->onRightClick = [this] {
        if (m_tables->currentItem())
            insertName(QStringLiteral("select * from ") + m_tables->currentItem()->text());
    };
    m_fields->onRightClick = [this] {
        if (m_tables->currentItem() && m_fields->currentItem()) {
            const QString field = m_fields->currentItem()->text();
            insertName(QStringLiteral("select * from ") + m_tables->currentItem()->text() + QStringLiteral(" where ") +
                       field + QStringLiteral(" = :") + field);
        }
    };
    connect(m_editor, &QPlainTextEdit::cursorPositionChanged, this, &QueryEditorWindow::updateCaret);
    connect(m_wrap, &QCheckBox::toggled, this, [this](bool on) {
        m_editor->setLineWrapMode(on ? QPlainTextEdit::WidgetWidth : QPlainTextEdit::NoWrap);
        m_editor->setHorizontalScrollBarPolicy(on ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
    });
    connect(m_new, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { newStatement(); }); });
    connect(m_open, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { openStatement(); }); });
    connect(m_save, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { saveStatement(); }); });
    connect(m_run, &QPushButton::clicked, this, &QueryEditorWindow::runStatements);
    connect(m_copy, &QPushButton::clicked, this, &QueryEditorWindow::copyResult);
    connect(m_print, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { printResult(); }); });
    connect(m_close, &QPushButton::clicked, this, &QDialog::reject);
}

QueryEditorWindow::~QueryEditorWindow()
{
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::All).store(this);
}

void QueryEditorWindow::fillTables()
{
    const QString current = m_tables->currentItem() ? m_tables->currentItem()->text() : QString();
    m_tables->clear();
    QStringList names = m_db.tableNames();
    names.sort(Qt::CaseInsensitive);
    m_tables->addItems(names);
    const auto found = m_tables->findItems(current, Qt::MatchExactly);
    if (!found.isEmpty())
        m_tables->setCurrentItem(found.first());
}

void QueryEditorWindow::showFields()
{
    m_fields->clear();
    if (!m_tables->currentItem())
        return;
    m_fields->addItems(m_db.columnNames(m_tables->currentItem()->text()));
}

void QueryEditorWindow::insertName(const QString &name)
{
    m_editor->textCursor().insertText(name);
    m_editor->setFocus();
}

void QueryEditorWindow::newStatement()
{
    if (!m_editor->toPlainText().isEmpty() && m_op.confirmDiscarding(QStringLiteral("Anweisung löschen?")))
        m_editor->clear();
}

void QueryEditorWindow::openStatement()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Abfrage laden");
    request.filter = QStringLiteral("SQL- Befehl|*.sql");
    request.defaultSuffix = QStringLiteral("sql");
    request.fileName = QString();
    const auto path = m_op.chooseOpenFile(request);
    if (path)
        m_editor->setPlainText(cp1252::readLines(*path).join(u'\n'));
}

void QueryEditorWindow::saveStatement()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Abfrage speichern");
    request.filter = QStringLiteral("SQL- Befehl|*.sql");
    request.defaultSuffix = QStringLiteral("sql");
    request.fileName = QStringLiteral("Command.sql");
    request.promptOverwrite = true;
    const auto path = m_op.chooseSaveFile(request);
    if (path)
        cp1252::writeLines(*path, cp1252::splitLines(m_editor->toPlainText()));
}

void QueryEditorWindow::runStatements()
{
    m_rows->setText(QStringLiteral("Zeilen:"));
    m_position->setText(QStringLiteral("Position:"));
    m_outcome = tools::QueryOutcome();
    const QString text = m_editor->toPlainText();
    const QTextCursor selection = m_editor->textCursor();
    bool ok = true;
    if (!text.isEmpty()) {
        // The statement that runs is selected; after a failure it stays so,
        // and the operator sees which one failed.
        ok = runGuarded(m_op, [&] {
            const auto wait = m_op.waitCursor();
            m_outcome = m_runner.run(text, [this](qsizetype start, qsizetype end) { selectText(start, end); });
        });
        if (ok)
            m_editor->setTextCursor(selection);
    }
    if (m_outcome.hasResult)
        m_rows->setText(QStringLiteral("Zeilen: %1").arg(m_outcome.rows.size()));
    setUpGrid(ok);
}

void QueryEditorWindow::selectText(qsizetype start, qsizetype end)
{
    QTextCursor cursor = m_editor->textCursor();
    cursor.setPosition(int(start));
    cursor.setPosition(int(end), QTextCursor::KeepAnchor);
    m_editor->setTextCursor(cursor);
}

void QueryEditorWindow::setUpGrid(bool runSucceeded)
{
    QAbstractItemModel *old = m_model;
    const bool editable = m_editable->isChecked() && m_outcome.editable;
    if (editable) {
        const tools::EditableQuery &query = *m_outcome.editable;
        auto *model = new EditableTableModel(this, m_db.connection(), query.orderBy);
        // The server keeps unquoted names in lower case; QtSql quotes the name as given.
        model->setTable(m_db.engine() == db::Engine::Postgres ? query.table.toLower() : query.table);
        model->setFilter(query.filter);
        model->setEditStrategy(QSqlTableModel::OnRowChange);
        model->select();
        while (model->canFetchMore())
            model->fetchMore();
        m_model = model;
        m_grid->setModel(m_model);
        // The columns of the statement, in its order; the others are hidden.
        QHeaderView *header = m_grid->horizontalHeader();
        for (int c = 0; c < model->columnCount(); ++c)
            m_grid->setColumnHidden(c, !query.columns.isEmpty());
        for (int v = 0; v < query.columns.size(); ++v) {
            const int c = model->fieldIndex(query.columns.at(v));
            m_grid->setColumnHidden(c, false);
            header->moveSection(header->visualIndex(c), v);
        }
        m_grid->setEditTriggers(QAbstractItemView::AllEditTriggers);
        m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
        m_grid->setStyleSheet(QString());
    } else {
        auto *model = new QStandardItemModel(int(m_outcome.rows.size()), int(m_outcome.columns.size()), this);
        model->setHorizontalHeaderLabels(m_outcome.columns);
        for (int r = 0; r < m_outcome.rows.size(); ++r) {
            const QVariantList &row = m_outcome.rows.at(r);
            for (int c = 0; c < row.size(); ++c)
                model->setItem(r, c, new QStandardItem(tools::textForm(row.at(c))));
        }
        m_model = model;
        m_grid->setModel(m_model);
        m_grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
        m_grid->setSelectionBehavior(QAbstractItemView::SelectRows);
        m_grid->setStyleSheet(QStringLiteral("QTableView { background: palette(button); }"));
    }
    delete old;
    connect(m_grid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &QueryEditorWindow::updatePosition);
    // After a failure the run has ended; nothing more is said.
    if (runSucceeded && m_editable->isChecked() && !editable)
        m_op.inform(QStringLiteral("Ausgabe kann nicht editierbar bereitgestellt werden."));
}

tools::QueryOutcome QueryEditorWindow::shownResult() const
{
    // What the grid shows now: its visible columns in their order, edits included.
    tools::QueryOutcome shown;
    shown.hasResult = m_outcome.hasResult;
    if (!m_model)
        return shown;
    const QHeaderView *header = m_grid->horizontalHeader();
    QList<int> columns;
    for (int v = 0; v < header->count(); ++v) {
        const int c = header->logicalIndex(v);
        if (!header->isSectionHidden(c))
            columns << c;
    }
    for (const int c : columns)
        shown.columns << m_model->headerData(c, Qt::Horizontal).toString();
    for (int r = 0; r < m_model->rowCount(); ++r) {
        QVariantList row;
        for (const int c : columns)
            row << m_model->data(m_model->index(r, c), Qt::EditRole);
        shown.rows << row;
    }
    return shown;
}

void QueryEditorWindow::copyResult()
{
    runGuarded(m_op, [this] {
        FileDialogRequest request;
        request.title = QStringLiteral("Abfrageergebnis exportieren");
        request.filter = QStringLiteral("Text Datei|*.txt");
        request.defaultSuffix = QStringLiteral("txt");
        request.fileName = QStringLiteral("Export.txt");
        request.promptOverwrite = true;
        const auto path = m_op.chooseSaveFile(request);
        if (!path)
            return;
        if (!m_outcome.hasResult)
            throw Error(QStringLiteral("Keine Abfrage geöffnet"));
        m_copy->setEnabled(false);
        const auto enableAgain = qScopeGuard([this] { m_copy->setEnabled(true); });
        const tools::QueryOutcome shown = shownResult();
        QGuiApplication::clipboard()->setText(
            tools::QueryRunner::clipboardLines(m_editor->toPlainText(), shown).join(QStringLiteral("\r\n")));
        cp1252::writeLines(*path, tools::QueryRunner::resultFileLines(shown));
    });
}

void QueryEditorWindow::printResult()
{
    QPrinter printer;
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() != QDialog::Accepted)
        return;
    if (!m_outcome.hasResult)
        throw Error(QStringLiteral("Keine Abfrage geöffnet"));
    m_print->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { m_print->setEnabled(true); });
    const QFont font = m_editor->font();
    printReport(reports::textDocument(windowTitle(),
                                      tools::QueryRunner::printLines(m_editor->toPlainText(), shownResult()),
                                      font.family(), font.pointSizeF()),
                printer);
}

void QueryEditorWindow::updateCaret()
{
    const QTextCursor cursor = m_editor->textCursor();
    m_line->setText(QStringLiteral("Z: %1").arg(cursor.blockNumber() + 1));
    m_column->setText(QStringLiteral("S: %1").arg(cursor.positionInBlock() + 1));
}

void QueryEditorWindow::updatePosition()
{
    // An edited row is written when the grid leaves it; a refusal is shown and
    // the edit stays for correction.
    if (auto *table = dynamic_cast<EditableTableModel *>(m_model); table && table->lastError().isValid()) {
        const QSqlError error = table->takeError();
        showGeneralError(m_op, EngineError(db::engineMessage(error), QString()));
    }
    const QModelIndex current = m_grid->currentIndex();
    m_position->setText(current.isValid() ? QStringLiteral("Position: %1").arg(current.row() + 1)
                                          : QStringLiteral("Position:"));
}

QString QueryEditorWindow::rowCountText() const
{
    return m_rows->text();
}

QString QueryEditorWindow::positionText() const
{
    return m_position->text();
}

}  // namespace rq::windows
