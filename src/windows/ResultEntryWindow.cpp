#include "windows/ResultEntryWindow.h"

#include "capture/ParticipantData.h"
#include "capture/Units.h"
#include "common/ColumnFit.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Operator.h"
#include "widgets/GeometryKeeper.h"

#include <QApplication>
#include <QComboBox>
#include <QCoreApplication>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QScrollBar>
#include <QStyledItemDelegate>
#include <QTableWidget>
#include <QToolButton>
#include <QVBoxLayout>

namespace rq::windows {

namespace {
const QString kWindowName = QStringLiteral("FlexResultInForm");
const QString kWindows = QStringLiteral("Windows");
// Design widths of the columns Pos. .. Punkte; a stored width is never above 400.
const int kDefaultWidths[] = {26, 154, 75, 63, 75, 64, 59};
constexpr int kMaxColumnWidth = 400;

// "FlexResultInFormCol1" .. "Col6": the stored widths of the grid's columns.
QString columnKey(int column)
{
    return kWindowName + QStringLiteral("Col%1").arg(column);
}

// An entry cell keeps only texts that are empty, a lone "-" or a number; any
// other text empties the cell at once. The arrow keys that leave the cell by
// the key table (Right, Up and Down in "Leistung"; all four in "Zusatzwert")
// leave it also while it is being edited, instead of moving the text cursor.
class EntryDelegate : public QStyledItemDelegate
{
public:
    EntryDelegate(int column, QAbstractItemView *view)
        : QStyledItemDelegate(view)
        , m_column(column)
        , m_view(view)
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *edit = new QLineEdit(parent);
        QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString &text) {
            if (!capture::acceptableEntry(text))
                edit->clear();
        });
        return edit;
    }

protected:
    bool eventFilter(QObject *editor, QEvent *event) override
    {
        if (event->type() == QEvent::KeyPress && leavesCell(static_cast<QKeyEvent *>(event)->key())) {
            // The grid commits the typed text before it moves, as Enter does.
            QCoreApplication::sendEvent(m_view, event);
            return true;
        }
        return QStyledItemDelegate::eventFilter(editor, event);
    }

private:
    bool leavesCell(int key) const
    {
        switch (key) {
        case Qt::Key_Right:
        case Qt::Key_Up:
        case Qt::Key_Down:
            return true;
        case Qt::Key_Left:
            return m_column == ResultEntryWindow::Zusatzwert;
        default:
            return false;
        }
    }

    int m_column;
    QAbstractItemView *m_view;
};
}  // namespace

// The grid: every move of the current cell goes through the window's rule.
class ResultGrid : public QTableWidget
{
public:
    ResultGrid(ResultEntryWindow *form)
        : QTableWidget(form)
        , m_form(form)
    {
    }

protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        // Enter in an open cell reaches the grid too; the delegate then takes
        // the text over and closes the editor, which moves on (closeEditor).
        if (state() == EditingState && (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)) {
            event->accept();
            return;
        }
        switch (event->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
        case Qt::Key_Right:
        case Qt::Key_Left:
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_Escape:
            m_form->handleKey(event->key(), event->modifiers());
            event->accept();
            return;
        default:
            QTableWidget::keyPressEvent(event);
        }
    }

public:
    // Takes the text of an open cell editor over into the grid and closes the
    // editor, so a move validates what was typed.
    void commitOpenEditor()
    {
        if (state() != EditingState)
            return;
        QWidget *editor = QApplication::focusWidget();
        if (!editor || !viewport()->isAncestorOf(editor))
            return;
        commitData(editor);
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
    }

protected:
    bool focusNextPrevChild(bool) override { return false; }
    void mousePressEvent(QMouseEvent *event) override
    {
        const QModelIndex index = indexAt(event->position().toPoint());
        if (index.isValid() && (index.row() != currentRow() || index.column() != currentColumn()))
            m_form->moveTo(index.row(), index.column());
        setFocus();
    }
    void closeEditor(QWidget *editor, QAbstractItemDelegate::EndEditHint hint) override
    {
        QTableWidget::closeEditor(editor, QAbstractItemDelegate::NoHint);
        m_form->editorClosed(int(hint));
    }

private:
    ResultEntryWindow *m_form;
};

ResultEntryWindow::ResultEntryWindow(db::Database &db, Operator &op, IniFile &ini, capture::FormulaParser &parser,
                                     QWidget *parent)
    : QDialog(parent)
    , m_entry(db, op, ini, parser)
    , m_op(op)
    , m_ini(ini)
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Einzelresultate zu Teilnehmer erfassen"));
    setFixedWidth(570);
    setMinimumHeight(470);
    resize(570, 470);

    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buildDisplays());
    layout->addWidget(buildGrid(), 1);
    layout->addLayout(buildPersonFields());
    layout->addLayout(buildButtons());
    connectCommands();
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::PositionAndSize).restore(this);
}

QLayout *ResultEntryWindow::buildDisplays()
{
    auto *head = new QGridLayout;
    const auto addDisplay = [&](const QString &caption, QLabel *&label, int row, int column) {
        label = new QLabel(this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(60);
        head->addWidget(new QLabel(caption, this), row, column);
        head->addWidget(label, row, column + 1);
    };
    addDisplay(QStringLiteral("Kat Nr."), m_katLabel, 0, 0);
    addDisplay(QStringLiteral("Start Nr."), m_startLabel, 0, 2);
    addDisplay(QStringLiteral("Sparte"), m_sparteLabel, 1, 0);
    addDisplay(QStringLiteral("Kategorie"), m_kategorieLabel, 1, 2);
    addDisplay(QStringLiteral("Verein"), m_vereinLabel, 2, 0);
    addDisplay(QStringLiteral("Disziplin"), m_disziplinLabel, 2, 2);
    return head;
}

QWidget *ResultEntryWindow::buildGrid()
{
    m_grid = new ResultGrid(this);
    m_grid->setObjectName(QStringLiteral("StringGrid1"));
    m_grid->setColumnCount(ColumnCount);
    m_grid->setHorizontalHeaderLabels({QStringLiteral("Pos."), QStringLiteral("Formel"), QStringLiteral("Disziplin"),
                                       QStringLiteral("Leistung"), QStringLiteral("Einheit"),
                                       QStringLiteral("Zusatzwert"), QStringLiteral("Punkte")});
    m_grid->verticalHeader()->hide();
    m_grid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_grid->setSelectionBehavior(QAbstractItemView::SelectItems);
    m_grid->setEditTriggers(QAbstractItemView::AnyKeyPressed | QAbstractItemView::DoubleClicked |
                            QAbstractItemView::EditKeyPressed);
    m_grid->setItemDelegateForColumn(Leistung, new EntryDelegate(Leistung, m_grid));
    m_grid->setItemDelegateForColumn(Zusatzwert, new EntryDelegate(Zusatzwert, m_grid));
    m_grid->setColumnWidth(Pos, kDefaultWidths[Pos]);
    for (int c = Formel; c < ColumnCount; ++c)
        m_grid->setColumnWidth(c, std::min(kMaxColumnWidth, m_ini.readInt(kWindows, columnKey(c), kDefaultWidths[c])));
    return m_grid;
}

QLayout *ResultEntryWindow::buildPersonFields()
{
    auto *fields = new QGridLayout;
    const auto addField = [&](const QString &caption, const QString &name, int maxLength, int row, int column) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(name);
        edit->setMaxLength(maxLength);
        auto *label = new QLabel(caption, this);
        label->setBuddy(edit);
        fields->addWidget(label, row, column);
        fields->addWidget(edit, row, column + 1);
        return edit;
    };
    m_name = addField(QStringLiteral("&Nachname / Name1"), QStringLiteral("EditName"), 40, 0, 0);
    m_vorname = addField(QStringLiteral("Vorname / Name2"), QStringLiteral("EditVorname"), 40, 1, 0);
    m_bemerkung = addField(QStringLiteral("Be&merkung"), QStringLiteral("EditBemerkung"), 40, 2, 0);
    m_jahrgang = addField(QStringLiteral("&Jahrg."), QStringLiteral("EditJahrgang"), 4, 0, 2);
    m_rang = addField(QStringLiteral("&Rang"), QStringLiteral("EditRang"), 5, 1, 2);
    m_auszeichnung = addField(QStringLiteral("Aus&z. ID"), QStringLiteral("EditAuszeichnung"), 5, 2, 2);
    m_status = new QComboBox(this);
    m_status->setObjectName(QStringLiteral("ComboStatus"));
    for (int s = 0; s <= 3; ++s)
        m_status->addItem(capture::ParticipantData::statusWord(s));
    auto *statusLabel = new QLabel(QStringLiteral("S&tatus"), this);
    statusLabel->setBuddy(m_status);
    fields->addWidget(statusLabel, 3, 0);
    fields->addWidget(m_status, 3, 1);

    m_total = new QLineEdit(this);
    m_total->setObjectName(QStringLiteral("EditTotal"));
    auto *totalLabel = new QLabel(QStringLiteral("&Punkte Total"), this);
    totalLabel->setBuddy(m_total);
    m_takeLast = new QToolButton(this);
    m_takeLast->setText(QStringLiteral("<"));
    m_takeLast->setToolTip(QStringLiteral("Zuletzt gespeichertes Total übernehmen"));
    m_lastTotal = new QLabel(this);
    m_lastTotal->setObjectName(QStringLiteral("LetztesTotal"));
    m_lastTotal->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_lastTotal->setToolTip(QStringLiteral("Zuletzt gespeichertes Total übernehmen"));
    // A long total never pushes the display out of the fixed-width window.
    m_lastTotal->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_lastTotal->setMinimumWidth(m_lastTotal->fontMetrics().horizontalAdvance(QStringLiteral("-99999.999")) + 6);
    m_total->setMinimumWidth(m_lastTotal->minimumWidth());
    auto *totalRow = new QHBoxLayout;
    totalRow->addWidget(m_total);
    totalRow->addWidget(m_takeLast);
    totalRow->addWidget(m_lastTotal, 1);
    fields->addWidget(totalLabel, 3, 2);
    fields->addLayout(totalRow, 3, 3);
    return fields;
}

QLayout *ResultEntryWindow::buildButtons()
{
    auto *buttons = new QHBoxLayout;
    m_calculate = new QPushButton(QStringLiteral("&Berechnen"), this);
    m_calculate->setToolTip(QStringLiteral("Punkte berechnen"));
    m_calculate->setDefault(true);
    m_calculate->setObjectName(QStringLiteral("ButtonCalculate"));
    m_save = new QPushButton(QStringLiteral("&Speichern"), this);
    m_save->setObjectName(QStringLiteral("ButtonSave"));
    m_cancel = new QPushButton(QStringLiteral("&Abbrechen"), this);
    m_cancel->setObjectName(QStringLiteral("ButtonCancel"));
    m_cancel->setToolTip(QStringLiteral("alle Änderungen verwerfen"));
    buttons->addStretch();
    buttons->addWidget(m_calculate);
    buttons->addWidget(m_save);
    buttons->addWidget(m_cancel);
    return buttons;
}

void ResultEntryWindow::connectCommands()
{
    connect(m_grid, &QTableWidget::cellChanged, this, &ResultEntryWindow::cellEdited);
    connect(m_takeLast, &QToolButton::clicked, this, &ResultEntryWindow::takeLastTotal);
    m_lastTotal->installEventFilter(this);
    for (QLineEdit *field : {m_name, m_vorname, m_jahrgang, m_rang, m_auszeichnung, m_bemerkung})
        connect(field, &QLineEdit::textEdited, this, [this] { m_unsaved = true; });
    connect(m_status, &QComboBox::activated, this, [this] { m_unsaved = true; });
    connect(m_calculate, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { calculate(); }); });
    connect(m_save, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { saveResults(); }); });
    connect(m_cancel, &QPushButton::clicked, this, &ResultEntryWindow::reject);
}

void ResultEntryWindow::takeLastTotal()
{
    if (!m_total->isReadOnly())
        m_total->setText(m_entry.lastTotal());
}

ResultEntryWindow::~ResultEntryWindow()
{
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::PositionAndSize).store(this);
    for (int c = Formel; c < ColumnCount; ++c)
        m_ini.writeInt(kWindows, columnKey(c), std::min(kMaxColumnWidth, m_grid->columnWidth(c)));
}

QTableWidget *ResultEntryWindow::grid() const
{
    return m_grid;
}

QLineEdit *ResultEntryWindow::field(const QString &objectName) const
{
    return findChild<QLineEdit *>(objectName);
}

int ResultEntryWindow::run(int kat, int startNr, int decimals, bool average)
{
    prepare(kat, startNr, decimals, average);
    return exec();
}

void ResultEntryWindow::prepare(int kat, int startNr, int decimals, bool average)
{
    m_kat = kat;
    m_startNr = startNr;
    m_decimals = decimals;
    m_average = average;
    load();
}

void ResultEntryWindow::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (m_entry.rows().isEmpty())
        m_cancel->setFocus();
    else
        m_grid->setFocus();
}

void ResultEntryWindow::clearTotal()
{
    m_total->clear();
    m_total->setReadOnly(true);
    m_total->setStyleSheet(QStringLiteral("QLineEdit { background: palette(button); }"));
    m_takeLast->setEnabled(false);
}

void ResultEntryWindow::showRow(int row)
{
    const QSignalBlocker block(m_grid);
    const capture::DisciplineRow &r = m_entry.rows().at(row);
    const QStringList cells = {QString::number(row + 1),  r.ident,      r.disziplin, r.performance,
                               capture::unitWord(r.unit), r.additional, r.points};
    for (int c = 0; c < cells.size(); ++c) {
        auto *item = m_grid->item(row, c);
        if (!item) {
            item = new QTableWidgetItem;
            m_grid->setItem(row, c, item);
        }
        item->setText(cells.at(c));
        Qt::ItemFlags flags = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
        if (c == Leistung || c == Zusatzwert)
            flags |= Qt::ItemIsEditable;
        item->setFlags(flags);
        if (c == Punkte || c == Pos)
            item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
}

void ResultEntryWindow::load()
{
    clearTotal();
    m_filling = true;
    m_entry.load(m_kat, m_startNr, m_decimals);
    m_grid->clearContents();
    m_grid->setRowCount(std::max<int>(1, int(m_entry.rows().size())));
    for (int i = 0; i < m_entry.rows().size(); ++i)
        showRow(i);
    fitColumns();
    const capture::PersonFields &p = m_entry.person();
    m_name->setText(p.name);
    m_vorname->setText(p.vorname);
    m_jahrgang->setText(p.jahrgang);
    m_rang->setText(p.rang);
    m_auszeichnung->setText(p.auszeichnung);
    m_bemerkung->setText(p.bemerkung);
    m_status->setCurrentIndex(std::clamp(p.status, 0, 3));
    m_katLabel->setText(QString::number(m_kat));
    m_startLabel->setText(QString::number(m_startNr));
    m_sparteLabel->setText(m_entry.sparte());
    m_kategorieLabel->setText(m_entry.kategorie());
    m_vereinLabel->setText(m_entry.verein());
    m_lastTotal->setText(m_entry.lastTotal());
    if (!m_entry.rows().isEmpty()) {
        m_grid->setCurrentCell(0, Leistung);
        m_disziplinLabel->setText(m_entry.rows().first().disziplin);
    } else {
        m_disziplinLabel->clear();
    }
    m_calculate->setEnabled(!m_entry.rows().isEmpty());
    m_save->setEnabled(false);
    m_unsaved = false;
    m_filling = false;
}

int ResultEntryWindow::neededWidth(int column) const
{
    // QTableView keeps its own version protected; the view's public one dispatches to it.
    const QAbstractItemView *view = m_grid;
    return std::max(m_grid->horizontalHeader()->sectionSizeHint(column), view->sizeHintForColumn(column));
}

void ResultEntryWindow::fitColumns()
{
    // Captions and texts are read whole: a column is at least as wide as they
    // need. "Formel" is no wider than its formulas, so that the space goes to
    // the columns the operator works in.
    for (int c = Disziplin; c < ColumnCount; ++c)
        m_grid->setColumnWidth(c, std::max(m_grid->columnWidth(c), neededWidth(c)));
    m_grid->setColumnWidth(Formel, neededWidth(Formel));
    // Width left over goes to the discipline names.
    QList<int> widths;
    for (int c = 0; c < ColumnCount; ++c)
        widths << m_grid->columnWidth(c);
    const int usable = width() - 2 * m_grid->frameWidth() - 2 * layout()->contentsMargins().left() -
                       m_grid->verticalScrollBar()->sizeHint().width();
    m_grid->setColumnWidth(Disziplin, columns::fitSpareTo(widths, usable, {Disziplin}).at(Disziplin));
}

void ResultEntryWindow::cellEdited(int row, int column)
{
    if (m_filling || row >= m_entry.rows().size())
        return;
    QTableWidgetItem *item = m_grid->item(row, column);
    QString text = item ? item->text() : QString();
    if (!capture::acceptableEntry(text)) {
        text.clear();
        const QSignalBlocker block(m_grid);
        item->setText(text);
    }
    if (column == Leistung)
        m_entry.setPerformance(row, text);
    else if (column == Zusatzwert)
        m_entry.setAdditional(row, text);
    m_save->setEnabled(false);
    m_unsaved = true;
}

bool ResultEntryWindow::moveTo(int row, int column)
{
    m_grid->commitOpenEditor();
    if (m_entry.rows().isEmpty() || row < 0 || row >= m_entry.rows().size())
        return false;
    const int current = m_grid->currentRow();
    if (current >= 0) {
        clearTotal();
        if (m_entry.validate(current))
            return false;
        const bool ok = runGuarded(m_op, [&] { m_entry.recalculate(current, m_decimals); });
        showRow(current);
        if (!ok)
            return false;
    }
    if (column == Zusatzwert && row != current) {
        m_op.inform(QStringLiteral("Zuerst Leistung anwählen"));
        return false;
    }
    if (column != Leistung && !(column == Zusatzwert && !m_entry.rows().at(row).performance.isEmpty()))
        return false;
    m_grid->setCurrentCell(row, column);
    m_disziplinLabel->setText(m_entry.rows().at(row).disziplin);
    return true;
}

void ResultEntryWindow::handleKey(int key, Qt::KeyboardModifiers modifiers)
{
    const int row = m_grid->currentRow();
    const int column = m_grid->currentColumn();
    const int last = int(m_entry.rows().size()) - 1;
    switch (key) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (row < last) {
            moveTo(row + 1, column == Zusatzwert ? Leistung : column);
        } else {
            if (!moveTo(row, Leistung))
                QApplication::beep();
            m_calculate->setFocus();
        }
        break;
    case Qt::Key_Tab:
        if (modifiers & Qt::ShiftModifier) {
            if (row > 0)
                moveTo(row - 1, Leistung);
        } else if (row < last) {
            moveTo(row + 1, Leistung);
        }
        break;
    case Qt::Key_Backtab:
        if (row > 0)
            moveTo(row - 1, Leistung);
        break;
    case Qt::Key_Right:
        if (column == Leistung)
            moveTo(row, Zusatzwert);
        else if (column == Zusatzwert && row < last)
            moveTo(row + 1, Leistung);
        break;
    case Qt::Key_Left:
    case Qt::Key_Up:
    case Qt::Key_Down:
        if (column == Zusatzwert && !moveTo(row, Leistung))
            break;
        if (key == Qt::Key_Up && row > 0)
            moveTo(row - 1, Leistung);
        else if (key == Qt::Key_Down && row < last)
            moveTo(row + 1, Leistung);
        break;
    case Qt::Key_Escape:
        if (column == Leistung && row >= 0 && row <= last &&
            m_entry.rows().at(row).performance == QStringLiteral("-")) {
            m_grid->item(row, Leistung)->setText(QString());
        }
        break;
    }
}

void ResultEntryWindow::editorClosed(int hint)
{
    // Enter and Tab typed in an open cell act as they do on the grid.
    if (hint == QAbstractItemDelegate::SubmitModelCache)
        handleKey(Qt::Key_Return, Qt::NoModifier);
    else if (hint == QAbstractItemDelegate::EditNextItem)
        handleKey(Qt::Key_Tab, Qt::NoModifier);
    else if (hint == QAbstractItemDelegate::EditPreviousItem)
        handleKey(Qt::Key_Backtab, Qt::NoModifier);
}

void ResultEntryWindow::calculate()
{
    const int row = m_grid->currentRow();
    if (row < 0 || m_entry.rows().isEmpty())
        return;
    if (m_grid->currentColumn() == Zusatzwert && !moveTo(row, Leistung))
        return;
    clearTotal();
    if (m_entry.validate(row))
        return;
    m_entry.recalculate(row, m_decimals);
    showRow(row);
    m_save->setEnabled(true);
    m_save->setFocus();
    if (m_total->text().isEmpty()) {
        m_total->setText(m_entry.total(m_average, m_decimals));
        m_total->setReadOnly(false);
        m_total->setStyleSheet(QString());
        m_takeLast->setEnabled(true);
    }
}

void ResultEntryWindow::saveResults()
{
    capture::PersonFields fields;
    fields.name = m_name->text();
    fields.vorname = m_vorname->text();
    fields.jahrgang = m_jahrgang->text();
    fields.rang = m_rang->text();
    fields.auszeichnung = m_auszeichnung->text();
    fields.bemerkung = m_bemerkung->text();
    fields.status = m_status->currentIndex();
    switch (m_entry.save(fields, m_total->text())) {
    case capture::ResultEntry::Saved::Yes:
        m_save->setEnabled(false);
        m_unsaved = false;
        accept();
        break;
    case capture::ResultEntry::Saved::Inconsistent:
        m_save->setEnabled(false);
        break;
    case capture::ResultEntry::Saved::RowsMissing:
        m_unsaved = false;  // what could be stored is stored
        break;
    case capture::ResultEntry::Saved::Conflict:
        // Another station saved this participant meanwhile: its values are
        // shown; the operator takes them over or keeps his own to save again.
        if (m_op.ask(m_entry.conflictMessage() + QStringLiteral("\n\nDie Daten neu laden? (Nein: Ihre Eingaben "
                                                                "bleiben stehen und überschreiben beim nächsten "
                                                                "Speichern die Werte des anderen Platzes.)"),
                     {Button::Yes, Button::No}, MessageKind::Warning) == Button::Yes) {
            load();
            m_save->setEnabled(false);
            m_unsaved = false;
        } else {
            m_entry.overwriteSeen();
        }
        break;
    }
}

void ResultEntryWindow::reject()
{
    // Whatever was typed and not saved, computed or not, is asked about first.
    m_grid->commitOpenEditor();
    if ((m_save->isEnabled() || m_unsaved) && !m_op.confirmDiscarding(QStringLiteral("Verlassen ohne zu speichern?")))
        return;
    QDialog::reject();
}

bool ResultEntryWindow::eventFilter(QObject *watched, QEvent *event)
{
    // A click on "LetztesTotal" takes the stored total over, as the button beside it does.
    if (watched == m_lastTotal && event->type() == QEvent::MouseButtonRelease) {
        takeLastTotal();
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

}  // namespace rq::windows
