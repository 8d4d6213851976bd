#include "ranking/KonfigInForm.h"

#include "app/GeometryKeeper.h"
#include "app/GridColumns.h"
#include "common/ColumnFit.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "ranking/PrintPreStage.h"
#include "ranking/RankingTableModel.h"
#include "reports/PreviewWindow.h"
#include "reports/ReportDispatch.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QScopeGuard>
#include <QRadioButton>
#include <QSplitter>
#include <QStyle>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QStyledItemDelegate>
#include <QTabWidget>
#include <QTableView>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace rq::ranking {
namespace {

const QString kWindowName = QStringLiteral("KonfigInForm");
const QString kOptions = QStringLiteral("Options");

using Columns = ColumnCaptions;

// An editable pick list for a column: the items are offered, other text may be typed.
class PickListDelegate : public QStyledItemDelegate
{
public:
    PickListDelegate(QStringList items, QObject *parent)
        : QStyledItemDelegate(parent)
        , m_items(std::move(items))
    {
    }

    QWidget *createEditor(QWidget *parent, const QStyleOptionViewItem &, const QModelIndex &) const override
    {
        auto *box = new QComboBox(parent);
        box->setEditable(true);
        box->addItems(m_items);
        return box;
    }
    void setEditorData(QWidget *editor, const QModelIndex &index) const override
    {
        static_cast<QComboBox *>(editor)->setCurrentText(index.data(Qt::EditRole).toString());
    }
    void setModelData(QWidget *editor, QAbstractItemModel *model, const QModelIndex &index) const override
    {
        model->setData(index, static_cast<QComboBox *>(editor)->currentText());
    }

private:
    QStringList m_items;
};


QList<int> visibleLogicalColumns(const QTableView *view)
{
    QList<int> columns;
    const QHeaderView *header = view->horizontalHeader();
    for (int v = 0; v < header->count(); ++v) {
        const int logical = header->logicalIndex(v);
        if (!header->isSectionHidden(logical))
            columns << logical;
    }
    return columns;
}

QButtonGroup *radioGroup(QGroupBox *box, const QStringList &captions, int columns)
{
    auto *group = new QButtonGroup(box);
    auto *layout = new QGridLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    layout->setVerticalSpacing(0);
    const int rows = int((captions.size() + columns - 1) / columns);
    for (int i = 0; i < captions.size(); ++i) {
        auto *radio = new QRadioButton(captions.at(i), box);
        radio->setObjectName(captions.at(i));
        group->addButton(radio, i);
        layout->addWidget(radio, i % rows, i / rows);
    }
    group->button(0)->setChecked(true);
    return group;
}

QPushButton *commandButton(const QString &caption, const QString &name, const QString &hint, QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    return button;
}

} // namespace

KonfigInForm::KonfigInForm(KonfigDataModule &module, Operator &op, IniFile &ini, const QString &programDirectory,
                           QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint)
    , m_module(module)
    , m_op(op)
    , m_operations(module, op)
    , m_ini(ini)
    , m_programDirectory(programDirectory)
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Rangliste"));
    setMinimumSize(640, 480);
    resize(760, 540);

    m_tabs = new QTabWidget(this);
    m_tabs->addTab(buildSelectionTab(), QStringLiteral("Auswahl"));
    m_tabs->addTab(buildEditingTab(), QStringLiteral("Erfassen"));
    m_tabs->addTab(buildRankingTab(), QStringLiteral("Rangieren"));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(5, 5, 5, 5);
    layout->addWidget(m_tabs, 1);
    layout->addWidget(buildToolBar());

    connect(m_tabs, &QTabWidget::currentChanged, this, &KonfigInForm::tabChanged);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (QWidget *w = now; w; w = w->parentWidget()) {
            if (auto *view = qobject_cast<QTableView *>(w)) {
                m_activeGrid = view;
                return;
            }
        }
    });

    wireRankingCommands();
    wireOutputCommands();
    loadSettings();
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::PositionAndSize).restore(this);
}

void KonfigInForm::wireRankingCommands()
{
    const auto wire = [this](const char *name, std::function<int(int)> command) {
        connect(button(QString::fromLatin1(name)), &QPushButton::clicked, this,
                [this, command] { runOnOrderedList(command); });
    };
    wire("BitBtnRank", [this](int current) {
        const auto wait = m_op.waitCursor();
        return m_operations.rankAndRenumber(sortSettings(), current);
    });
    wire("BitBtnPosAsRank", [this](int) { return m_operations.positionAsRank(sortSettings()), -1; });
    wire("BitBtnSameRanks", [this](int) { return m_operations.sameRanks(sortSettings()), -1; });
    wire("BitBtnMoveRow", [this](int current) {
        return current < 0 ? -1 : m_operations.moveToEndOfRank(sortSettings(), current, false);
    });
    wire("BitBtnDistribute", [this](int) {
        m_operations.distributeAwards(sortSettings(), m_count->text(), m_modus->checkedId() == 1, m_art->text());
        return -1;
    });
    wire("BitBtnClearAwards", [this](int) { return m_operations.clearAwards(sortSettings()), -1; });
    wire("BitBtnTotalDetails", [this](int) {
        return m_operations.blockTotals(sortSettings(), m_sumAvg->checkedId() == 1, m_format->checkedId()), -1;
    });
    wire("BitBtnTotalBlocks", [this](int) {
        return m_operations.positionTotals(sortSettings(), m_sumAvg->checkedId() == 1, m_format->checkedId()), -1;
    });
    connect(m_orderGrid, &QTableView::doubleClicked, this, [this] {
        runOnOrderedList([this](int current) {
            return current < 0 ? -1 : m_operations.moveToEndOfRank(sortSettings(), current, true);
        });
    });
}

void KonfigInForm::wireOutputCommands()
{
    const auto progress = [this](int done, int total) {
        m_progress->setRange(0, std::max(1, total));
        m_progress->setValue(total == 0 ? 0 : done);
    };
    connect(button(QStringLiteral("BitBtnSaveStage")), &QPushButton::clicked, this, [this, progress] {
        runGuarded(m_op, [&] { PrintPreStage(m_module, m_op).saveTextFile(rePrint(), shortDetail(), progress); });
        progress(0, 0);
    });
    // The exchange files and the medal lists are not part of this version.
    for (const char *name : {"BitBtnExport", "BitBtnTemplate"})
        connect(button(QString::fromLatin1(name)), &QPushButton::clicked, this,
                [this] { m_op.inform(notAvailableMessage()); });
    QPushButton *print = button(QStringLiteral("BitBtnPrint"));
    connect(print, &QPushButton::clicked, this, [this, print, progress] {
        print->setEnabled(false);
        runGuarded(m_op, [&] {
            const auto document =
                reports::ReportDispatch(m_module, m_op).prepare(rankSeparators(), shortDetail(), progress);
            progress(0, 0);
            if (!document)
                return;
            if (preview())
                reports::PreviewWindow(*document, m_op, this).exec();
            else
                reports::printOnDefaultPrinter(*document);
        });
        progress(0, 0);
        print->setEnabled(true);
    });
}

void KonfigInForm::runOnOrderedList(const std::function<int(int)> &command)
{
    const int current = currentOrderedPosition();
    m_orderGrid->setUpdatesEnabled(false);
    int reselect = -1;
    runGuarded(m_op, [&] { reselect = command(current); });
    m_orderGrid->setUpdatesEnabled(true);
    selectOrderedPosition(reselect == -1 ? current : reselect);
}

SortSettings KonfigInForm::sortSettings() const
{
    return {ascending(), byAge()};
}

int KonfigInForm::currentOrderedPosition() const
{
    const QModelIndex current = m_orderGrid->currentIndex();
    if (!current.isValid())
        return -1;
    return m_module.orderModel()->record(current.row()).value(QStringLiteral("RANGPOS_NR")).toInt();
}

void KonfigInForm::selectOrderedPosition(int position)
{
    QSqlQueryModel *rows = m_module.orderModel();
    for (int r = 0; r < rows->rowCount(); ++r) {
        if (rows->record(r).value(QStringLiteral("RANGPOS_NR")).toInt() == position) {
            m_orderGrid->selectRow(r);
            return;
        }
    }
}

KonfigInForm::~KonfigInForm()
{
    storeSettings();
}

QWidget *KonfigInForm::buildSelectionTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);

    auto *top = new QGridLayout;
    const struct
    {
        const char *caption;
        const char *name;
    } buttons[] = {{"Druckvorstufe &speichern", "BitBtnSaveStage"},
                   {"&Drucken", "BitBtnPrint"},
                   {"Rangliste zu externer Datenbank", "BitBtnExport"},
                   {"Druckvorlage erstellen", "BitBtnTemplate"}};
    for (int i = 0; i < 4; ++i)
        top->addWidget(commandButton(QString::fromUtf8(buttons[i].caption), QString::fromLatin1(buttons[i].name),
                                     QString(), page),
                       i / 2, i % 2);
    m_progress = new QProgressBar(page);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    top->addWidget(m_progress, 2, 0, 1, 2);

    m_rePrint = new QCheckBox(QStringLiteral("Vorstufe immer aktualisieren"), page);
    m_preview = new QCheckBox(QStringLiteral("Druckvorschau"), page);
    m_spacer = new QCheckBox(QStringLiteral("Rangtrennlinien"), page);
    m_shortDetail = new QCheckBox(QStringLiteral("Nur Leistungen anzeigen"), page);
    m_shortDetail->setToolTip(QStringLiteral("Diese Option blendet die Punktzhl der Details in der Rangliste aus "));
    m_singleLine = new QCheckBox(QStringLiteral("Alle Details auf Hauptzeile"), page);
    m_singleLine->setToolTip(
        QStringLiteral("Alle Detailresultate werden auf der Hauptzeile ausgegeben (max. 6 Details) "));
    m_rePrint->setObjectName(QStringLiteral("CheckBoxRePrint"));
    m_preview->setObjectName(QStringLiteral("CheckBoxPreview"));
    m_spacer->setObjectName(QStringLiteral("CheckBoxSpacer"));
    m_shortDetail->setObjectName(QStringLiteral("CheckBoxShortDetail"));
    m_singleLine->setObjectName(QStringLiteral("CheckBoxSingleLine"));
    m_intro = new QLineEdit(page);
    m_intro->setObjectName(QStringLiteral("LabeledEditIntro"));
    m_intro->setToolTip(QStringLiteral("Freistellung vor Titel (Angabe in mm)"));
    m_intro->setMaximumWidth(80);
    auto *options = new QVBoxLayout;
    options->setSpacing(0);
    for (QCheckBox *box : {m_rePrint, m_preview, m_spacer, m_shortDetail, m_singleLine})
        options->addWidget(box);
    auto *introRow = new QHBoxLayout;
    introRow->addWidget(new QLabel(QStringLiteral("Intro"), page));
    introRow->addWidget(m_intro);
    introRow->addStretch();
    options->addLayout(introRow);

    auto *head = new QHBoxLayout;
    head->addLayout(top, 3);
    head->addSpacing(8);
    head->addLayout(options, 2);
    layout->addLayout(head);

    m_listGrid = new QTableView(page);
    m_listGrid->setObjectName(QStringLiteral("DBGridListen"));
    m_listGrid->setToolTip(QStringLiteral("Liste mit allen verfügbaren Ranglisten"));
    m_listGrid->setModel(m_module.listModel());
    m_listGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_listGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_listGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_listGrid->verticalHeader()->hide();
    m_listGrid->verticalHeader()->setDefaultSectionSize(m_listGrid->fontMetrics().height() + 6);
    showColumns(m_listGrid, {{"KAT_NR", "Kat. Nr."},
                             {"SPARTE_D", "Sparte"},
                             {"KATEGORIE_D", "Kategorie"},
                             {"KLASSE_D", "Klasse"},
                             {"VERSION", "Version"},
                             {"DATUM", "Datum "},
                             {"HERKUNFT", "Herkunft"}});
    m_listGrid->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *newList = new QAction(QStringLiteral("Neue Rangliste erstellen"), m_listGrid);
    auto *search = new QAction(QStringLiteral("Kategorie suchen"), m_listGrid);
    search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    search->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    m_listGrid->addAction(newList);
    m_listGrid->addAction(search);
    connect(newList, &QAction::triggered, this, [this] {
        runGuarded(m_op, [this] { m_module.askNewList(); });
        reselectListRow();
    });
    connect(search, &QAction::triggered, this, [this] {
        runGuarded(m_op, [this] { m_module.askFindCategory(); });
        reselectListRow();
    });
    connect(m_listGrid->model(), &QAbstractItemModel::modelReset, this, &KonfigInForm::reselectListRow);
    connect(m_listGrid->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this](const QModelIndex &current) {
                if (!m_restoringRow)
                    m_module.setCurrentRow(current.row());
            });
    m_listGrid->installEventFilter(this);
    layout->addWidget(m_listGrid, 1);
    return page;
}

QWidget *KonfigInForm::buildEditingTab()
{
    auto *splitter = new QSplitter(Qt::Vertical);
    const struct
    {
        Level level;
        const char *name;
        const char *hint;
    } grids[] = {{Level::Title, "DBGridTitel", "Titelinformation der aktuellen Rangliste "},
                 {Level::Position, "DBGridPos", "Liste mit allen Rangpositionen der aktuellen Rangliste"},
                 {Level::Block, "DBGridBlock", "Liste mit allen Detailblöcken zur aktuellen Rangposition "},
                 {Level::Detail, "DBGridDetail", "Liste mit allen Details zum aktuellen Detailblock"}};
    for (const auto &g : grids) {
        auto *view = new QTableView(splitter);
        view->setObjectName(QString::fromLatin1(g.name));
        view->setToolTip(QString::fromUtf8(g.hint));
        if (g.level != Level::Title)
            view->setMinimumHeight(80);
        setUpEditingGrid(g.level, view);
        m_grids.insert(int(g.level), view);
    }
    for (int i = 0; i < 4; ++i)
        splitter->setStretchFactor(i, i == 0 ? 0 : 1);
    splitter->setSizes({70, 200, 120, 160});
    return splitter;
}

void KonfigInForm::setUpEditingGrid(Level level, QTableView *view)
{
    RankingTableModel *model = m_module.model(level);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    switch (level) {
    case Level::Title: {
        Columns columns = {{"SPARTE_D", "Sparte"},
                           {"KATEGORIE_D", "Kategorie"},
                           {"KLASSE_D", "Klasse"},
                           {"SPARTE_F", "Sparte Sprache2"},
                           {"KATEGORIE_F", "Kategorie Sprache2"},
                           {"KLASSE_F", "Klasse Sprache2"},
                           {"LAYOUT", "Layout"},
                           {"DETAILS_PRO_ZEILE", "Details pro Zeile"},
                           {"RANG_TITEL", "Rang Titel"},
                           {"NAME1_TITEL", "Name1 Titel"},
                           {"NAME2_TITEL", "Name2 Titel"},
                           {"JAHRGANG_TITEL", "Diff./Jahrg. Titel"},
                           {"VEREIN_TITEL", "Verein Titel"},
                           {"KANTON_TITEL", "Kanton Titel"},
                           {"PUNKTE_TITEL", "Punkte Titel"},
                           {"AUSZEICHNUNGS_TITEL", "Auszeichnungs Titel"}};
        static const QList<QByteArray> detailFields = [] {
            QList<QByteArray> f;
            for (int i = 1; i <= 15; ++i)
                f << QByteArray("DETAIL") + QByteArray::number(i) + "_TITEL";
            return f;
        }();
        static const QList<QByteArray> detailCaptions = [] {
            QList<QByteArray> c;
            for (int i = 1; i <= 15; ++i)
                c << QByteArray("Detail") + QByteArray::number(i) + " Titel";
            return c;
        }();
        for (int i = 0; i < 15; ++i)
            columns.append(std::pair<const char *, const char *>(detailFields.at(i).constData(), detailCaptions.at(i).constData()));
        columns += Columns{{"HERKUNFT", "Herkunft"}, {"VERSION", "Version"}, {"DATUM", "Datum"}};
        showColumns(view, columns);
        view->setItemDelegateForColumn(
            model->fieldIndex(QStringLiteral("LAYOUT")),
            new PickListDelegate({QStringLiteral("EINZEL"), QStringLiteral("PAAR"), QStringLiteral("TEAM"),
                                  QStringLiteral("GRUPPE"), QStringLiteral("SPIEL"), QString()},
                                 view));
        QStringList perLine = {QStringLiteral("AUTO"), QStringLiteral("FLEX")};
        for (int i = 1; i <= 20; ++i)
            perLine << QString::number(i);
        view->setItemDelegateForColumn(model->fieldIndex(QStringLiteral("DETAILS_PRO_ZEILE")),
                                       new PickListDelegate(perLine, view));
        break;
    }
    case Level::Position:
        showColumns(view, {{"RANGPOS_NR", "Position"},
                           {"RANG", "Rang"},
                           {"NAME1", "Name1"},
                           {"NAME2", "Name2"},
                           {"JAHRGANG", "Diff./Jahrg."},
                           {"VEREIN", "Verein"},
                           {"KANTON", "Kanton"},
                           {"PUNKTE", "Punkte"},
                           {"AUSZEICHNUNG", "Auszeichnung"},
                           {"BEMERKUNGEN", "Bemerkungen"},
                           {"VEREIN_ID", "Verein ID"},
                           {"VERBAND_NR", "Verband Nr."},
                           {"PREFIX", "Präfix"},
                           {"ORT", "Ort"},
                           {"ZUSATZ", "Zusatz"}});
        break;
    case Level::Block:
        showColumns(view, {{"DETAILBLOCK_NR", "Detailblock Nr."},
                           {"NAME1", "Name1"},
                           {"NAME2", "Name2"},
                           {"JAHRGANG", "Jahrgang"},
                           {"PUNKTE", "Punkte"},
                           {"BEMERKUNGEN", "Bemerkungen"}});
        break;
    case Level::Detail:
        showColumns(view, {{"DETAILPOS_NR", "Detail Nr."},
                           {"DETAILTEXT", "Detailtext"},
                           {"DISZIPLIN", "Disziplin"},
                           {"LEISTUNG", "Leistung"},
                           {"ZUSATZWERT", "Zusatzwert"},
                           {"ANZAHL", "Anzahl"},
                           {"PUNKTE", "Punkte"}});
        break;
    }
    if (level == Level::Title || level == Level::Position)
        view->resizeColumnsToContents();  // every caption readable; the last column takes the rest
    connect(model, &QAbstractItemModel::modelReset, view, [view] {
        if (view->model()->rowCount() > 0 && !view->currentIndex().isValid())
            view->setCurrentIndex(view->model()->index(0, view->horizontalHeader()->logicalIndex(0)));
    });
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, level](const QModelIndex &current, const QModelIndex &previous) {
                rowChanged(level, current.row(), previous.row());
            });
    view->installEventFilter(this);
}

QWidget *KonfigInForm::buildRankingTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *groups = new QHBoxLayout;

    auto *totals = new QGroupBox(QStringLiteral("Totale"), page);
    auto *totalsLayout = new QVBoxLayout(totals);
    totalsLayout->setContentsMargins(6, 6, 6, 6);
    totalsLayout->setSpacing(3);
    auto *sumBox = new QGroupBox(QStringLiteral("Punktetotal"), totals);
    m_sumAvg = radioGroup(sumBox, {QStringLiteral("Summe aller Punkte"), QStringLiteral("Durchschnitt aller Punkte")}, 1);
    auto *formatBox = new QGroupBox(QStringLiteral("Punkteformat"), totals);
    m_format = radioGroup(formatBox,
                          {QStringLiteral(" Ganzzahlig #"), QStringLiteral("1 Kommastelle #.#"),
                           QStringLiteral("2 Kommastellen #.##"), QStringLiteral("3 Kommastellen #.###")},
                          1);
    totalsLayout->addWidget(sumBox);
    totalsLayout->addWidget(formatBox);
    totalsLayout->addWidget(commandButton(
        QStringLiteral("Total aus Details berechnen"), QStringLiteral("BitBtnTotalDetails"),
        QStringLiteral("Berechnet Punktetotal der Details pro Detailblock und speichert das Resultat im Detailblock"),
        totals));
    totalsLayout->addStretch();
    totalsLayout->addWidget(commandButton(QStringLiteral("Total aus Blöcken berechnen"),
                                          QStringLiteral("BitBtnTotalBlocks"),
                                          QStringLiteral("Berechnet Punktetotal der Detailblöcke pro "
                                                         "Ranglistenposition  und speichert das Ergebnis als Rangtotal"),
                                          totals));
    groups->addWidget(totals);

    auto *ranking = new QGroupBox(QStringLiteral("Rangierung"), page);
    auto *rankingLayout = new QVBoxLayout(ranking);
    rankingLayout->setContentsMargins(6, 6, 6, 6);
    rankingLayout->setSpacing(3);
    auto *sortBox = new QGroupBox(QStringLiteral("Sortierung nach Punkten"), ranking);
    m_ascDesc = radioGroup(sortBox, {QStringLiteral("Absteigend"), QStringLiteral("Aufsteigend")}, 2);
    m_age = new QCheckBox(QStringLiteral("Diff./Jahrg. (abst.)"), ranking);
    m_age->setObjectName(QStringLiteral("CheckBoxAge"));
    rankingLayout->addWidget(sortBox);
    rankingLayout->addWidget(m_age);
    rankingLayout->addWidget(commandButton(QStringLiteral("Rangieren"), QStringLiteral("BitBtnRank"),
                                           QStringLiteral("Ordnet die Posititionen nach der aktuellen Sorteirung"),
                                           ranking));
    rankingLayout->addWidget(commandButton(QStringLiteral("Pos als Rang"), QStringLiteral("BitBtnPosAsRank"),
                                           QStringLiteral("Kopiert alle Postitionen in die Rangspalte"), ranking));
    rankingLayout->addWidget(commandButton(QStringLiteral("Gleiche Ränge"), QStringLiteral("BitBtnSameRanks"),
                                           QStringLiteral("Schreibt alle identischen Ränge in die Rangspalte"),
                                           ranking));
    rankingLayout->addWidget(commandButton(QStringLiteral("Zeile an Ende von Rang schieben"),
                                           QStringLiteral("BitBtnMoveRow"),
                                           QStringLiteral("Zeile an die letzte Position ihres Ranges verschieben"),
                                           ranking));
    rankingLayout->addStretch();
    groups->addWidget(ranking);

    auto *awards = new QGroupBox(QStringLiteral("Auszeichnungen"), page);
    auto *awardsLayout = new QVBoxLayout(awards);
    awardsLayout->setContentsMargins(6, 6, 6, 6);
    awardsLayout->setSpacing(3);
    auto *form = new QVBoxLayout;
    m_art = new QLineEdit(awards);
    m_art->setObjectName(QStringLiteral("LabeledEditArt"));
    m_art->setMinimumWidth(100);
    m_count = new QLineEdit(awards);
    m_count->setObjectName(QStringLiteral("LabeledEditCount"));
    m_count->setMinimumWidth(50);
    form->addWidget(new QLabel(QStringLiteral("Auszeichnungsart"), awards));
    form->addWidget(m_art);
    form->addWidget(new QLabel(QStringLiteral("Menge"), awards));
    form->addWidget(m_count);
    awardsLayout->addLayout(form);
    auto *modusBox = new QGroupBox(QStringLiteral("Auszeichnungen"), awards);
    m_modus = radioGroup(modusBox, {QStringLiteral("%"), QStringLiteral("Anz.")}, 2);
    awardsLayout->addWidget(modusBox);
    awardsLayout->addWidget(commandButton(QStringLiteral("Verteilen"), QStringLiteral("BitBtnDistribute"),
                                          QStringLiteral("Auszeichnungen in aktueller Rangliste verteilen"), awards));
    awardsLayout->addWidget(commandButton(QStringLiteral("Alle löschen"), QStringLiteral("BitBtnClearAwards"),
                                          QStringLiteral("Alle Auszeichnungen der aktuellen Rangliste löschen"), awards));
    awardsLayout->addStretch();
    groups->addWidget(awards);
    layout->addLayout(groups);

    m_caption = new QLabel(page);
    m_caption->setAlignment(Qt::AlignCenter);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    layout->addWidget(m_caption);

    m_orderGrid = new QTableView(page);
    m_orderGrid->setObjectName(QStringLiteral("DBGridOrder"));
    m_orderGrid->setModel(m_module.orderModel());
    m_orderGrid->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_orderGrid->setSelectionMode(QAbstractItemView::SingleSelection);
    m_orderGrid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_orderGrid->verticalHeader()->hide();
    m_orderGrid->verticalHeader()->setDefaultSectionSize(m_orderGrid->fontMetrics().height() + 6);
    m_orderGrid->installEventFilter(this);
    connect(m_module.orderModel(), &QAbstractItemModel::modelReset, this, &KonfigInForm::showOrderedColumns);
    layout->addWidget(m_orderGrid, 1);

    const auto resort = [this] {
        const int position = currentOrderedPosition();
        runGuarded(m_op, [this] { reopenOrderedList(); });
        selectOrderedPosition(position);
    };
    connect(m_ascDesc, &QButtonGroup::idClicked, this, resort);
    connect(m_age, &QCheckBox::clicked, this, resort);
    return page;
}

QWidget *KonfigInForm::buildToolBar()
{
    auto *bar = new QWidget(this);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(2);
    const auto navigate = [this](int how) {
        QTableView *view = m_activeGrid;
        if (!view || view->model()->rowCount() == 0)
            return;
        const int last = view->model()->rowCount() - 1;
        const int row = view->currentIndex().row();
        const int target = how == 0 ? 0 : how == 1 ? std::max(0, row - 1) : how == 2 ? std::min(last, row + 1) : last;
        const int column = view->currentIndex().isValid() ? view->currentIndex().column()
                                                          : view->horizontalHeader()->logicalIndex(0);
        view->setCurrentIndex(view->model()->index(target, column));
    };
    const struct
    {
        const char *caption;
        const char *name;
        QStyle::StandardPixmap icon;
        std::function<void()> action;
        QKeySequence key;
    } tools[] = {
        {"Erster", "NavFirst", QStyle::SP_MediaSkipBackward, [=] { navigate(0); }, {}},
        {"Vorheriger", "NavPrior", QStyle::SP_MediaSeekBackward, [=] { navigate(1); }, {}},
        {"Nächster", "NavNext", QStyle::SP_MediaSeekForward, [=] { navigate(2); }, {}},
        {"Letzter", "NavLast", QStyle::SP_MediaSkipForward, [=] { navigate(3); }, {}},
        {"Einfügen", "NavInsert", QStyle::SP_FileDialogNewFolder, [this] { insertRow(); }, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"Löschen", "NavDelete", QStyle::SP_TrashIcon, [this] { deleteRow(); }, {}},
        {"Abbrechen", "NavCancel", QStyle::SP_DialogCancelButton, [this] { cancelRow(); }, {}},
        {"Übernehmen", "NavPost", QStyle::SP_DialogApplyButton, [this] { postRow(); }, QKeySequence(Qt::CTRL | Qt::Key_S)},
    };
    for (const auto &t : tools) {
        // Icons with the captions as hints, so the bar fits the narrowest window.
        auto *button = new QToolButton(bar);
        const QString caption = QString::fromUtf8(t.caption);
        button->setIcon(style()->standardIcon(t.icon));
        button->setText(caption);
        button->setToolTip(t.key.isEmpty() ? caption : caption + QStringLiteral(" (") + t.key.toString() + u')');
        button->setObjectName(QString::fromLatin1(t.name));
        button->setFocusPolicy(Qt::NoFocus);
        if (!t.key.isEmpty())
            button->setShortcut(t.key);
        const auto action = t.action;
        connect(button, &QToolButton::clicked, this, [this, action] { runGuarded(m_op, action); });
        layout->addWidget(button);
    }
    layout->addStretch();
    auto *ok = new QPushButton(QStringLiteral("&OK"), bar);
    ok->setObjectName(QStringLiteral("BitBtnOk"));
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("&Abbrechen"), bar);
    cancel->setObjectName(QStringLiteral("BitBtnCancel"));
    cancel->setAutoDefault(false);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    layout->addWidget(ok);
    layout->addWidget(cancel);
    return bar;
}

QTableView *KonfigInForm::grid(Level level) const
{
    return m_grids.value(int(level));
}

QPushButton *KonfigInForm::button(const QString &objectName) const
{
    return findChild<QPushButton *>(objectName);
}

QString KonfigInForm::captionText() const
{
    return m_caption->text();
}

void KonfigInForm::reselectListRow()
{
    m_restoringRow = true;
    const int row = m_module.currentRow();
    if (row >= 0)
        m_listGrid->selectRow(row);
    else
        m_listGrid->clearSelection();
    m_restoringRow = false;
}

void KonfigInForm::rowChanged(Level level, int current, int previous)
{
    if (m_restoringRow)
        return;
    // Leaving a row posts what was typed in it and in the levels below it; a
    // row just inserted is posted when it is left in turn.
    if (previous >= 0 && previous != current && !m_inserting) {
        bool posted = true;
        for (int l = int(Level::Detail); l >= int(level) && posted; --l)
            posted = runGuarded(m_op, [this, l] { m_module.model(Level(l))->post(); });
        if (!posted) {
            QTableView *view = grid(level);
            const int column = view->currentIndex().column();
            QTimer::singleShot(0, this, [this, view, previous, column] {
                m_restoringRow = true;
                view->setCurrentIndex(view->model()->index(previous, std::max(0, column)));
                m_restoringRow = false;
            });
            return;
        }
    }
    refreshLinks(level);
}

void KonfigInForm::refreshLinks(Level level)
{
    const int row = grid(level)->currentIndex().row();
    if (level == Level::Position)
        m_module.setCurrentPosition(row);
    else if (level == Level::Block)
        m_module.setCurrentBlock(row);
}

void KonfigInForm::insertRow()
{
    QTableView *view = m_activeGrid;
    if (!view || view == m_listGrid || view == m_orderGrid)
        return;
    auto *model = static_cast<RankingTableModel *>(view->model());
    if (!model->isLinked())
        return;
    model->post();
    const int row = model->rowCount();
    m_inserting = true;
    const auto done = qScopeGuard([this] { m_inserting = false; });
    model->insertRow(row);
    const int column = view->horizontalHeader()->logicalIndex(0);
    view->setCurrentIndex(model->index(row, column));
    view->setFocus();
}

void KonfigInForm::deleteRow(bool askGridQuestion)
{
    QTableView *view = m_activeGrid;
    if (!view || view == m_listGrid || view == m_orderGrid || !view->currentIndex().isValid())
        return;
    if (askGridQuestion &&
        m_op.ask(QStringLiteral("Datensatz löschen?"), {Button::Ok, Button::Cancel}) != Button::Ok)
        return;
    if (!m_op.confirm(QStringLiteral("Wollen Sie den aktuellen Datensatz wirklich löschen?")))
        return;
    auto *model = static_cast<RankingTableModel *>(view->model());
    const int row = view->currentIndex().row();
    if (!model->removeRow(row) || !model->submitAll()) {
        const QString message = db::engineMessage(model->lastError());
        model->revertAll();
        throw EngineError(message, QString());
    }
    model->select();
}

void KonfigInForm::commitEditor(QTableView *view)
{
    // The delegate takes an open editor's text over when the editor loses the focus.
    QWidget *focus = QApplication::focusWidget();
    if (view && focus && focus != view && view->isAncestorOf(focus))
        view->setFocus();
}

void KonfigInForm::postRow()
{
    const int level = m_activeGrid ? m_grids.key(m_activeGrid, -1) : -1;
    if (level < 0)
        return;
    commitEditor(m_activeGrid);
    static_cast<RankingTableModel *>(m_activeGrid->model())->post();
    // A position or block posted with its number now has children to show.
    refreshLinks(Level(level));
}

void KonfigInForm::cancelRow()
{
    if (m_activeGrid && m_grids.key(m_activeGrid, -1) >= 0)
        static_cast<RankingTableModel *>(m_activeGrid->model())->revertAll();
}

void KonfigInForm::reopenOrderedList()
{
    m_module.openOrderedList(KonfigDataModule::orderByLine(ascending(), byAge()));
}

void KonfigInForm::showOrderedColumns()
{
    showColumns(m_orderGrid, {{"RANGPOS_NR", "Position"},
                              {"RANG", "Rang"},
                              {"PUNKTE", "Punkte"},
                              {"NAME1", "Name1"},
                              {"NAME2", "Name2"},
                              {"JAHRGANG", "Jahrgang"},
                              {"VEREIN", "Verein"},
                              {"KANTON", "Kanton"},
                              {"AUSZEICHNUNG", "Auszeichnung"}});
    fitColumns(m_orderGrid);
}

void KonfigInForm::tabChanged(int index)
{
    runGuarded(m_op, [&] {
        if (m_previousTab == Erfassen && index != Erfassen)
            m_module.closeEditing(true);
        m_previousTab = index;
        if (index == Erfassen) {
            m_module.openEditing();
        } else if (index == Rangieren) {
            m_caption->setText(m_module.captionLine());
            reopenOrderedList();
        } else {
            m_module.refreshLists();
            reselectListRow();
        }
    });
}

void KonfigInForm::showEvent(QShowEvent *event)
{
    m_module.refreshLists();
    reselectListRow();
    const QSignalBlocker block(m_tabs);
    m_tabs->setCurrentIndex(Auswahl);
    m_previousTab = Auswahl;
    QDialog::showEvent(event);
}

void KonfigInForm::done(int result)
{
    // "&OK" posts pending edits and stays open when that fails; every other way
    // of closing discards them.
    if (result == QDialog::Accepted) {
        commitEditor(m_activeGrid);
        if (!runGuarded(m_op, [this] { m_module.postAll(); }))
            return;
    } else {
        m_module.discardAll();
    }
    if (m_previousTab == Erfassen)
        m_module.closeEditing(result == QDialog::Accepted);
    QDialog::done(result);
}

bool KonfigInForm::eventFilter(QObject *watched, QEvent *event)
{
    auto *view = qobject_cast<QTableView *>(watched);
    if (view && event->type() == QEvent::Resize) {
        QTimer::singleShot(0, view, [this, view] { fitColumns(view); });
    } else if (view && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier && m_grids.key(view, -1) >= 0) {
            m_activeGrid = view;
            runGuarded(m_op, [this] { deleteRow(true); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void KonfigInForm::fitColumns(QTableView *view)
{
    // The title and position grids keep their columns and give the last the rest.
    if (view != grid(Level::Title) && view != grid(Level::Position)) {
        fitColumnsProportionally(view);
        return;
    }
    const QList<int> columns = visibleLogicalColumns(view);
    if (columns.isEmpty())
        return;
    QList<int> widths;
    for (const int c : columns)
        widths << view->columnWidth(c);
    auto it = m_narrowestLast.find(view);
    if (it == m_narrowestLast.end())
        it = m_narrowestLast.insert(view, widths.last());
    const QList<int> fitted = columns::fitLastColumn(widths, view->viewport()->width() - 2, *it);
    for (int i = 0; i < columns.size(); ++i)
        view->setColumnWidth(columns.at(i), fitted.at(i));
}

QString KonfigInForm::awardText() const { return m_art->text(); }
bool KonfigInForm::preview() const { return m_preview->isChecked(); }
bool KonfigInForm::rankSeparators() const { return m_spacer->isChecked(); }
bool KonfigInForm::shortDetail() const { return m_shortDetail->isChecked(); }
bool KonfigInForm::singleLine() const { return m_singleLine->isChecked(); }
bool KonfigInForm::rePrint() const { return m_rePrint->isChecked(); }
QString KonfigInForm::intro() const { return m_intro->text(); }
bool KonfigInForm::ascending() const { return m_ascDesc->checkedId() == 1; }
bool KonfigInForm::byAge() const { return m_age->isChecked(); }

void KonfigInForm::loadSettings()
{
    const auto radio = [this](QButtonGroup *group, const char *key) {
        const int index = m_ini.readInt(kOptions, QString::fromLatin1(key), 0);
        if (QAbstractButton *b = group->button(index))
            b->setChecked(true);
    };
    radio(m_sumAvg, "RadioGroupSumAvg");
    radio(m_format, "RadioGroupFormat");
    radio(m_modus, "RadioGroupModus");
    radio(m_ascDesc, "RadioGroupAscDesc");
    m_art->setText(m_ini.readString(kOptions, QStringLiteral("LabeledEditArt")));
    m_count->setText(m_ini.readString(kOptions, QStringLiteral("LabeledEditCount")));
    m_intro->setText(m_ini.readString(kOptions, QStringLiteral("LabeledEditIntro")));
    const auto check = [this](QCheckBox *box, const char *key, int fallback) {
        box->setChecked(m_ini.readInt(kOptions, QString::fromLatin1(key), fallback) == 1);
    };
    check(m_rePrint, "CheckBoxRePrint", 1);
    check(m_preview, "CheckBoxPreview", 1);
    check(m_spacer, "CheckBoxSpacer", 1);
    check(m_shortDetail, "CheckBoxShortDetail", 0);
    check(m_singleLine, "CheckBoxSingleLine", 0);
    check(m_age, "CheckBoxAge", 0);
    m_pdfPath = m_ini.readString(kOptions, QStringLiteral("PDF-Path"), m_programDirectory + QStringLiteral("PDF-Temp/"));
    if (!m_pdfPath.isEmpty() && !QDir().mkpath(m_pdfPath))
        m_pdfPath.clear();
}

void KonfigInForm::storeSettings()
{
    m_ini.writeInt(kOptions, QStringLiteral("RadioGroupSumAvg"), m_sumAvg->checkedId());
    m_ini.writeInt(kOptions, QStringLiteral("RadioGroupFormat"), m_format->checkedId());
    m_ini.writeInt(kOptions, QStringLiteral("RadioGroupModus"), m_modus->checkedId());
    m_ini.writeInt(kOptions, QStringLiteral("RadioGroupAscDesc"), m_ascDesc->checkedId());
    m_ini.writeString(kOptions, QStringLiteral("LabeledEditArt"), m_art->text());
    m_ini.writeString(kOptions, QStringLiteral("LabeledEditIntro"), m_intro->text());
    m_ini.writeString(kOptions, QStringLiteral("LabeledEditCount"), m_count->text());
    for (const auto &[box, key] : {std::pair{m_rePrint, "CheckBoxRePrint"}, std::pair{m_preview, "CheckBoxPreview"},
                                   std::pair{m_shortDetail, "CheckBoxShortDetail"},
                                   std::pair{m_singleLine, "CheckBoxSingleLine"}, std::pair{m_spacer, "CheckBoxSpacer"},
                                   std::pair{m_age, "CheckBoxAge"}})
        m_ini.writeInt(kOptions, QString::fromLatin1(key), box->isChecked() ? 1 : 0);
    m_ini.writeString(kOptions, QStringLiteral("PDF-Path"), m_pdfPath);
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::PositionAndSize).store(this);
}

} // namespace rq::ranking
