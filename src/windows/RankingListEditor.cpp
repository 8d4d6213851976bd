#include "windows/RankingListEditor.h"

#include "common/ColumnFit.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "interchange/RankingListExport.h"
#include "ranking/LinkedTableModel.h"
#include "ranking/OrderedListModel.h"
#include "ranking/RankingOperations.h"
#include "reports/PreStageTextFile.h"
#include "widgets/GeometryKeeper.h"
#include "widgets/GridColumns.h"
#include "widgets/PickListDelegate.h"
#include "widgets/ReportPrinter.h"
#include "windows/PreviewWindow.h"

#include <QAction>
#include <QApplication>
#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScopeGuard>
#include <QSplitter>
#include <QSqlError>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QSqlTableModel>
#include <QStyle>
#include <QTableView>
#include <QTabWidget>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace rq::windows {

using ranking::Level;
using ranking::LinkedTableModel;
using ranking::RankingList;
using ranking::RankingOperations;

namespace {

const QString kWindowName = QStringLiteral("KonfigInForm");
const QString kOptions = QStringLiteral("Options");

// The settings keys of section "Options"; each is also the object name of its control.
namespace key {
const QString SumAvg = QStringLiteral("RadioGroupSumAvg");
const QString Format = QStringLiteral("RadioGroupFormat");
const QString Modus = QStringLiteral("RadioGroupModus");
const QString AscDesc = QStringLiteral("RadioGroupAscDesc");
const QString Art = QStringLiteral("LabeledEditArt");
const QString Intro = QStringLiteral("LabeledEditIntro");
const QString Count = QStringLiteral("LabeledEditCount");
const QString RePrint = QStringLiteral("CheckBoxRePrint");
const QString Preview = QStringLiteral("CheckBoxPreview");
const QString ShortDetail = QStringLiteral("CheckBoxShortDetail");
const QString SingleLine = QStringLiteral("CheckBoxSingleLine");
const QString Spacer = QStringLiteral("CheckBoxSpacer");
const QString Age = QStringLiteral("CheckBoxAge");
const QString PdfPath = QStringLiteral("PDF-Path");
}  // namespace key

// The choices of the radio groups, by their index in the group.
enum SumAvgChoice { SumChoice, AverageChoice };
enum ModusChoice { PercentChoice, CountChoice };
enum AscDescChoice { DescendingChoice, AscendingChoice };

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

QTableView *readOnlyGrid(const QString &name, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setObjectName(name);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    return view;
}

}  // namespace

RankingListEditor::RankingListEditor(ranking::RankingListModels &models, Operator &op, IniFile &ini,
                                     const QString &programDirectory, QWidget *parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowSystemMenuHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint |
                          Qt::WindowMaximizeButtonHint)
    , m_models(models)
    , m_op(op)
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

    connect(m_tabs, &QTabWidget::currentChanged, this, &RankingListEditor::tabChanged);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget *, QWidget *now) {
        for (QWidget *w = now; w; w = w->parentWidget()) {
            if (auto *view = qobject_cast<QTableView *>(w)) {
                m_activeGrid = view;
                return;
            }
        }
    });
    connectRankingCommands();
    connectOutputCommands();

    loadSettings();
    setWindowFlags(windowFlags() | Qt::WindowMinMaxButtonsHint);  // the editor may fill the screen
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::All).restore(this);
}

RankingListEditor::~RankingListEditor()
{
    storeSettings();
}

// ---- construction ------------------------------------------------------------

QPushButton *RankingListEditor::commandButton(const QString &caption, const QString &name, const QString &hint,
                                              QWidget *parent)
{
    auto *button = new QPushButton(caption, parent);
    button->setObjectName(name);
    button->setToolTip(hint);
    button->setStatusTip(hint);
    m_buttons.insert(name, button);
    return button;
}

QWidget *RankingListEditor::buildSelectionTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *top = new QHBoxLayout;
    top->addLayout(buildOutputButtons(page), 3);
    top->addSpacing(8);
    top->addLayout(buildOutputOptions(page), 2);
    layout->addLayout(top);
    m_listGrid = buildListGrid(page);
    layout->addWidget(m_listGrid, 1);
    return page;
}

QLayout *RankingListEditor::buildOutputButtons(QWidget *page)
{
    auto *grid = new QGridLayout;
    m_saveStage =
        commandButton(QStringLiteral("Druckvorstufe &speichern"), QStringLiteral("BitBtnSaveStage"), QString(), page);
    m_print = commandButton(QStringLiteral("&Drucken"), QStringLiteral("BitBtnPrint"), QString(), page);
    grid->addWidget(m_saveStage, 0, 0);
    grid->addWidget(m_print, 0, 1);
    m_export = commandButton(QStringLiteral("Rangliste zu externer Datenbank"), QStringLiteral("BitBtnExport"),
                             QStringLiteral("Klick: Freigabe exportieren; Rechtsklick, Umschalt+F10 oder "
                                            "Menütaste: Entwicklungskopie exportieren"),
                             page);
    // The development copy hangs on the button's context request, which the
    // right mouse button and the menu key send; Shift+F10 on the focused
    // button does the same.
    m_export->setContextMenuPolicy(Qt::CustomContextMenu);
    auto *developmentCopy = new QAction(m_export);
    developmentCopy->setShortcut(QKeySequence(Qt::SHIFT | Qt::Key_F10));
    developmentCopy->setShortcutContext(Qt::WidgetShortcut);
    m_export->addAction(developmentCopy);
    connect(developmentCopy, &QAction::triggered, this, [this] { exportList(interchange::ExportKind::Development); });
    m_template =
        commandButton(QStringLiteral("Druckvorlage erstellen"), QStringLiteral("BitBtnTemplate"), QString(), page);
    grid->addWidget(m_export, 1, 0);
    grid->addWidget(m_template, 1, 1);
    m_progress = new QProgressBar(page);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    grid->addWidget(m_progress, 2, 0, 1, 2);
    return grid;
}

QLayout *RankingListEditor::buildOutputOptions(QWidget *page)
{
    const auto checkBox = [page](const QString &caption, const QString &name, const QString &hint = QString()) {
        auto *box = new QCheckBox(caption, page);
        box->setObjectName(name);
        box->setToolTip(hint);
        return box;
    };
    m_rePrint = checkBox(QStringLiteral("Vorstufe immer aktualisieren"), key::RePrint);
    m_preview = checkBox(QStringLiteral("Druckvorschau"), key::Preview);
    m_spacer = checkBox(QStringLiteral("Rangtrennlinien"), key::Spacer);
    m_shortDetail = checkBox(QStringLiteral("Nur Leistungen anzeigen"), key::ShortDetail,
                             QStringLiteral("Diese Option blendet die Punktzhl der Details in der Rangliste aus "));
    m_singleLine =
        checkBox(QStringLiteral("Alle Details auf Hauptzeile"), key::SingleLine,
                 QStringLiteral("Alle Detailresultate werden auf der Hauptzeile ausgegeben (max. 6 Details) "));
    m_intro = new QLineEdit(page);
    m_intro->setObjectName(key::Intro);
    m_intro->setToolTip(QStringLiteral("Freistellung vor Titel (Angabe in mm)"));
    m_intro->setMaximumWidth(80);

    auto *options = new QVBoxLayout;
    options->setSpacing(0);
    for (QCheckBox *box : {m_rePrint, m_preview, m_spacer, m_shortDetail, m_singleLine})
        options->addWidget(box);
    auto *introRow = new QHBoxLayout;
    auto *introLabel = new QLabel(QStringLiteral("Intro"), page);
    introLabel->setBuddy(m_intro);
    introRow->addWidget(introLabel);
    introRow->addWidget(m_intro);
    introRow->addStretch();
    options->addLayout(introRow);
    return options;
}

QTableView *RankingListEditor::buildListGrid(QWidget *page)
{
    QTableView *view = readOnlyGrid(QStringLiteral("DBGridListen"), page);
    view->setToolTip(QStringLiteral("Liste mit allen verfügbaren Ranglisten"));
    view->setModel(m_models.listModel());
    showColumns(view, {{"KAT_NR", "Kat. Nr."},
                       {"SPARTE_D", "Sparte"},
                       {"KATEGORIE_D", "Kategorie"},
                       {"KLASSE_D", "Klasse"},
                       {"VERSION", "Version"},
                       {"DATUM", "Datum "},
                       {"HERKUNFT", "Herkunft"}});
    view->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *newList = new QAction(QStringLiteral("Neue Rangliste erstellen"), view);
    auto *search = new QAction(QStringLiteral("Kategorie suchen"), view);
    search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    search->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    view->addAction(newList);
    view->addAction(search);
    connect(newList, &QAction::triggered, this, [this] {
        runGuarded(m_op, [this] { m_models.askNewList(); });
        reselectListRow();
    });
    connect(search, &QAction::triggered, this, [this] {
        runGuarded(m_op, [this] { m_models.askFindCategory(); });
        reselectListRow();
    });
    connect(view->model(), &QAbstractItemModel::modelReset, this, &RankingListEditor::reselectListRow);
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this, [this](const QModelIndex &current) {
        if (!m_restoringRow)
            m_models.setCurrentRow(current.row());
    });
    view->installEventFilter(this);
    return view;
}

QWidget *RankingListEditor::buildEditingTab()
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
        m_grids.insert(g.level, view);
    }
    for (int i = 0; i < 4; ++i)
        splitter->setStretchFactor(i, i == 0 ? 0 : 1);
    splitter->setSizes({70, 200, 120, 160});
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    layout->setContentsMargins(0, 0, 0, 0);
    m_listLines[0] = listLine(page);
    layout->addWidget(m_listLines[0]);
    layout->addWidget(splitter, 1);
    return page;
}

QLabel *RankingListEditor::listLine(QWidget *page)
{
    auto *line = new QLabel(page);
    line->setObjectName(QStringLiteral("ListLine"));
    line->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return line;
}

void RankingListEditor::showListLines()
{
    const auto list = m_models.selectedList();
    const QString text = list ? QStringLiteral("Rangliste %1-%2: %3")
                                    .arg(list->key().kat)
                                    .arg(list->key().klasse)
                                    .arg(list->captionLine())
                              : QString();
    for (QLabel *line : m_listLines)
        line->setText(text);
}

void RankingListEditor::setUpEditingGrid(Level level, QTableView *view)
{
    LinkedTableModel *model = m_models.model(level);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectItems);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    switch (level) {
    case Level::Title: {
        ColumnCaptions columns = {{"SPARTE_D", "Sparte"},
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
        static const QList<std::pair<QByteArray, QByteArray>> detailTitles = [] {
            QList<std::pair<QByteArray, QByteArray>> titles;
            for (int i = 1; i <= 15; ++i)
                titles.append(
                    {"DETAIL" + QByteArray::number(i) + "_TITEL", "Detail" + QByteArray::number(i) + " Titel"});
            return titles;
        }();
        for (const auto &[field, caption] : detailTitles)
            columns.append(std::pair<const char *, const char *>(field.constData(), caption.constData()));
        columns += ColumnCaptions{{"HERKUNFT", "Herkunft"}, {"VERSION", "Version"}, {"DATUM", "Datum"}};
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
    connect(model, &QAbstractItemModel::modelReset, view, [this, view] {
        if (view->model()->rowCount() > 0 && !view->currentIndex().isValid())
            view->setCurrentIndex(view->model()->index(0, view->horizontalHeader()->logicalIndex(0)));
        QTimer::singleShot(0, view, [this, view] { fitColumns(view); });
    });
    connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            [this, level](const QModelIndex &current, const QModelIndex &previous) {
                rowChanged(level, current.row(), previous.row());
            });
    view->installEventFilter(this);
}

QWidget *RankingListEditor::buildRankingTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *groups = new QHBoxLayout;
    groups->addWidget(buildTotalsGroup(page));
    groups->addWidget(buildRankingGroup(page));
    groups->addWidget(buildAwardsGroup(page));
    layout->addLayout(groups);

    m_listLines[1] = listLine(page);
    layout->insertWidget(0, m_listLines[1]);
    m_caption = new QLabel(page);
    m_caption->setAlignment(Qt::AlignCenter);
    QFont bold = m_caption->font();
    bold.setBold(true);
    m_caption->setFont(bold);
    layout->addWidget(m_caption);

    m_orderGrid = readOnlyGrid(QStringLiteral("DBGridOrder"), page);
    m_orderGrid->setModel(m_models.orderModel());
    m_orderGrid->installEventFilter(this);
    connect(m_models.orderModel(), &QAbstractItemModel::modelReset, this,
            [this] { QTimer::singleShot(0, m_orderGrid, [this] { fitColumns(m_orderGrid); }); });
    layout->addWidget(m_orderGrid, 1);
    return page;
}

QWidget *RankingListEditor::buildTotalsGroup(QWidget *page)
{
    auto *totals = new QGroupBox(QStringLiteral("Totale"), page);
    auto *layout = new QVBoxLayout(totals);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(3);
    auto *sumBox = new QGroupBox(QStringLiteral("Punktetotal"), totals);
    sumBox->setObjectName(key::SumAvg);
    m_sumAvg =
        radioGroup(sumBox, {QStringLiteral("Summe aller Punkte"), QStringLiteral("Durchschnitt aller Punkte")}, 1);
    auto *formatBox = new QGroupBox(QStringLiteral("Punkteformat"), totals);
    formatBox->setObjectName(key::Format);
    m_format = radioGroup(formatBox,
                          {QStringLiteral(" Ganzzahlig #"), QStringLiteral("1 Kommastelle #.#"),
                           QStringLiteral("2 Kommastellen #.##"), QStringLiteral("3 Kommastellen #.###")},
                          1);
    layout->addWidget(sumBox);
    layout->addWidget(formatBox);
    layout->addWidget(commandButton(
        QStringLiteral("Total aus Details berechnen"), QStringLiteral("BitBtnTotalDetails"),
        QStringLiteral("Berechnet Punktetotal der Details pro Detailblock und speichert das Resultat im Detailblock"),
        totals));
    layout->addStretch();
    layout->addWidget(commandButton(QStringLiteral("Total aus Blöcken berechnen"), QStringLiteral("BitBtnTotalBlocks"),
                                    QStringLiteral("Berechnet Punktetotal der Detailblöcke pro Ranglistenposition  und "
                                                   "speichert das Ergebnis als Rangtotal"),
                                    totals));
    return totals;
}

QWidget *RankingListEditor::buildRankingGroup(QWidget *page)
{
    auto *ranking = new QGroupBox(QStringLiteral("Rangierung"), page);
    auto *layout = new QVBoxLayout(ranking);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(3);
    auto *sortBox = new QGroupBox(QStringLiteral("Sortierung nach Punkten"), ranking);
    sortBox->setObjectName(key::AscDesc);
    m_ascDesc = radioGroup(sortBox, {QStringLiteral("Absteigend"), QStringLiteral("Aufsteigend")}, 2);
    m_age = new QCheckBox(QStringLiteral("Diff./Jahrg. (abst.)"), ranking);
    m_age->setObjectName(key::Age);
    layout->addWidget(sortBox);
    layout->addWidget(m_age);
    layout->addWidget(commandButton(QStringLiteral("Rangieren"), QStringLiteral("BitBtnRank"),
                                    QStringLiteral("Ordnet die Posititionen nach der aktuellen Sorteirung"), ranking));
    layout->addWidget(commandButton(QStringLiteral("Pos als Rang"), QStringLiteral("BitBtnPosAsRank"),
                                    QStringLiteral("Kopiert alle Postitionen in die Rangspalte"), ranking));
    layout->addWidget(commandButton(QStringLiteral("Gleiche Ränge"), QStringLiteral("BitBtnSameRanks"),
                                    QStringLiteral("Schreibt alle identischen Ränge in die Rangspalte"), ranking));
    layout->addWidget(commandButton(QStringLiteral("Zeile an Ende von Rang schieben"), QStringLiteral("BitBtnMoveRow"),
                                    QStringLiteral("Zeile an die letzte Position ihres Ranges verschieben"), ranking));
    layout->addStretch();
    return ranking;
}

QWidget *RankingListEditor::buildAwardsGroup(QWidget *page)
{
    auto *awards = new QGroupBox(QStringLiteral("Auszeichnungen"), page);
    auto *layout = new QVBoxLayout(awards);
    layout->setContentsMargins(6, 6, 6, 6);
    layout->setSpacing(3);
    m_art = new QLineEdit(awards);
    m_art->setObjectName(key::Art);
    m_art->setMinimumWidth(100);
    m_count = new QLineEdit(awards);
    m_count->setObjectName(key::Count);
    m_count->setMinimumWidth(50);
    layout->addWidget(new QLabel(QStringLiteral("Auszeichnungsart"), awards));
    layout->addWidget(m_art);
    layout->addWidget(new QLabel(QStringLiteral("Menge"), awards));
    layout->addWidget(m_count);
    auto *modusBox = new QGroupBox(QStringLiteral("Auszeichnungen"), awards);
    modusBox->setObjectName(key::Modus);
    m_modus = radioGroup(modusBox, {QStringLiteral("%"), QStringLiteral("Anz.")}, 2);
    layout->addWidget(modusBox);
    layout->addWidget(commandButton(QStringLiteral("Verteilen"), QStringLiteral("BitBtnDistribute"),
                                    QStringLiteral("Auszeichnungen in aktueller Rangliste verteilen"), awards));
    layout->addWidget(commandButton(QStringLiteral("Alle löschen"), QStringLiteral("BitBtnClearAwards"),
                                    QStringLiteral("Alle Auszeichnungen der aktuellen Rangliste löschen"), awards));
    layout->addStretch();
    return awards;
}

QWidget *RankingListEditor::buildToolBar()
{
    auto *bar = new QWidget(this);
    auto *layout = new QHBoxLayout(bar);
    layout->setContentsMargins(0, 4, 0, 0);
    layout->setSpacing(2);
    const struct
    {
        const char *caption;
        const char *name;
        QStyle::StandardPixmap icon;
        std::function<void()> action;
        QKeySequence key;
    } tools[] = {
        {"Erster", "NavFirst", QStyle::SP_MediaSkipBackward, [this] { navigate(Navigation::First); }, {}},
        {"Vorheriger", "NavPrior", QStyle::SP_MediaSeekBackward, [this] { navigate(Navigation::Prior); }, {}},
        {"Nächster", "NavNext", QStyle::SP_MediaSeekForward, [this] { navigate(Navigation::Next); }, {}},
        {"Letzter", "NavLast", QStyle::SP_MediaSkipForward, [this] { navigate(Navigation::Last); }, {}},
        {"Einfügen", "NavInsert", QStyle::SP_FileDialogNewFolder, [this] { insertRow(); },
         QKeySequence(Qt::CTRL | Qt::Key_N)},
        {"Löschen", "NavDelete", QStyle::SP_TrashIcon, [this] { deleteRow(); }, {}},
        {"Abbrechen", "NavCancel", QStyle::SP_DialogCancelButton, [this] { cancelRow(); }, {}},
        {"Übernehmen", "NavPost", QStyle::SP_DialogApplyButton, [this] { postRow(); },
         QKeySequence(Qt::CTRL | Qt::Key_S)},
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

// ---- commands ----------------------------------------------------------------

void RankingListEditor::connectRankingCommands()
{
    const auto wire = [this](const char *name, std::function<int(const RankingList &, int)> command) {
        connect(m_buttons.value(QString::fromLatin1(name)), &QPushButton::clicked, this,
                [this, command] { runOnOrderedList(command); });
    };
    const auto total = [this] {
        return m_sumAvg->checkedId() == AverageChoice ? ranking::PointsTotal::Average : ranking::PointsTotal::Sum;
    };
    wire("BitBtnRank", [this](const RankingList &list, int current) {
        const auto wait = m_op.waitCursor();
        return RankingOperations(list).rankAndRenumber(sortSettings(), current);
    });
    wire("BitBtnPosAsRank", [](const RankingList &list, int) { return RankingOperations(list).positionAsRank(), -1; });
    wire("BitBtnSameRanks",
         [this](const RankingList &list, int) { return RankingOperations(list).sameRanks(sortSettings()), -1; });
    wire("BitBtnMoveRow", [this](const RankingList &list, int current) {
        return current < 0 ? -1 : RankingOperations(list).moveToEndOfRank(sortSettings(), current, false);
    });
    wire("BitBtnDistribute", [this](const RankingList &list, int) {
        const auto mode = m_modus->checkedId() == CountChoice ? ranking::AwardMode::Count : ranking::AwardMode::Percent;
        RankingOperations(list).distributeAwards(sortSettings(), m_count->text(), mode, m_art->text());
        return -1;
    });
    wire("BitBtnClearAwards", [](const RankingList &list, int) { return RankingOperations(list).clearAwards(), -1; });
    wire("BitBtnTotalDetails", [this, total](const RankingList &list, int) {
        return RankingOperations(list).blockTotals(total(), m_format->checkedId()), -1;
    });
    wire("BitBtnTotalBlocks", [this, total](const RankingList &list, int) {
        return RankingOperations(list).positionTotals(total(), m_format->checkedId()), -1;
    });
    connect(m_orderGrid, &QTableView::doubleClicked, this, [this] {
        runOnOrderedList([this](const RankingList &list, int current) {
            return current < 0 ? -1 : RankingOperations(list).moveToEndOfRank(sortSettings(), current, true);
        });
    });
    // A change of the sort settings re-sorts the grid, writes nothing and keeps the row selected.
    const auto resort = [this] {
        const int position = currentOrderedPosition();
        runGuarded(m_op, [this] { reopenOrderedList(); });
        selectOrderedPosition(position);
    };
    connect(m_ascDesc, &QButtonGroup::idClicked, this, resort);
    connect(m_age, &QCheckBox::clicked, this, resort);
}

void RankingListEditor::connectOutputCommands()
{
    connect(m_saveStage, &QPushButton::clicked, this, [this] {
        runGuarded(m_op, [this] {
            reports::PreStageTextFile::save(m_models.requireSelectedList(), rePrint(), m_shortDetail->isChecked(),
                                            [this](int done, int total) { showProgress(done, total); });
        });
        showProgress(0, 0);
    });
    connect(m_print, &QPushButton::clicked, this, &RankingListEditor::print);
    connect(m_template, &QPushButton::clicked, this, &RankingListEditor::printTemplate);
    connect(m_export, &QPushButton::clicked, this, [this] { exportList(interchange::ExportKind::Release); });
    connect(m_export, &QPushButton::customContextMenuRequested, this,
            [this] { exportList(interchange::ExportKind::Development); });
}

void RankingListEditor::exportList(interchange::ExportKind kind)
{
    if (!m_export->isEnabled())
        return;
    m_export->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] { m_export->setEnabled(true); });
    runGuarded(m_op, [this, kind] {
        interchange::RankingListExport exporter(m_models.requireSelectedList());
        exporter.run(kind, [this] {
            // The grid shows the new version and date on the same list.
            const auto key = m_models.currentKey();
            m_models.refreshLists();
            if (key)
                m_models.setCurrentRow(m_models.rowOf(*key));
            reselectListRow();
        });
    });
}

void RankingListEditor::print()
{
    m_print->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] {
        showProgress(0, 0);
        m_print->setEnabled(true);
    });
    runGuarded(m_op, [this] {
        std::optional<reports::ReportDocument> document;
        {
            // The wait cursor stays until the pages are laid out, not only while the pre-stage runs.
            const auto wait = m_op.waitCursor();
            document = reports::ReportDispatch::rankingList(m_models.requireSelectedList(), reportOptions(),
                                                            [this](int done, int total) { showProgress(done, total); });
        }
        showProgress(0, 0);
        if (!document)
            return;
        if (preview())
            PreviewWindow(*document, m_op, this, m_pdfPath).exec();
        else
            printOnDefaultPrinter(*document, m_op.progress(QStringLiteral("Rangliste wird gedruckt …")).get());
    });
}

void RankingListEditor::printTemplate()
{
    m_template->setEnabled(false);
    const auto enableAgain = qScopeGuard([this] {
        showProgress(0, 0);
        m_template->setEnabled(true);
    });
    runGuarded(m_op, [this] {
        // "Intro" is millimetres; what is no number counts as 0, and the field shows what counts.
        const double intro = num::parseDecimal(m_intro->text()).value_or(0.0);
        m_intro->setText(num::formatGeneral(intro));
        const RankingList list = m_models.requireSelectedList();
        reports::ReportOptions options = reportOptions();
        options.introMm = intro;
        std::optional<reports::ReportDocument> document;
        {
            const auto wait = m_op.waitCursor();
            document = reports::ReportDispatch::medalList(list, options,
                                                          [this](int done, int total) { showProgress(done, total); });
        }
        showProgress(0, 0);
        if (!document)
            return;
        PreviewWindow(*document, m_op, this, m_pdfPath).exec();
        // The file is written whenever the preview closes.
        reports::writePdf(*document, reports::ReportDispatch::templateFile(m_pdfPath, list.key()));
    });
}

void RankingListEditor::showProgress(int done, int total)
{
    m_progress->setRange(0, std::max(1, total));
    m_progress->setValue(total == 0 ? 0 : done);
    // The work runs on this thread, so the bar is painted here, at most every 100 ms.
    if (total == 0 || !m_progressShown.isValid() || m_progressShown.elapsed() >= 100) {
        m_progress->repaint();
        m_progressShown.start();
    }
}

void RankingListEditor::runOnOrderedList(const std::function<int(const RankingList &, int)> &command)
{
    const int current = currentOrderedPosition();
    m_orderGrid->setUpdatesEnabled(false);
    int reselect = -1;
    runGuarded(m_op, [&] { reselect = command(m_models.requireSelectedList(), current); });
    runGuarded(m_op, [this] { reopenOrderedList(); });
    m_orderGrid->setUpdatesEnabled(true);
    selectOrderedPosition(reselect == -1 ? current : reselect);
}

// ---- the grids ---------------------------------------------------------------

QTableView *RankingListEditor::grid(Level level) const
{
    return m_grids.value(level);
}

QPushButton *RankingListEditor::button(const QString &objectName) const
{
    return m_buttons.value(objectName);
}

QString RankingListEditor::captionText() const
{
    return m_caption->text();
}

int RankingListEditor::currentOrderedPosition() const
{
    const QModelIndex current = m_orderGrid->currentIndex();
    if (!current.isValid())
        return -1;
    return m_models.orderModel()->positions().at(current.row()).number;
}

void RankingListEditor::selectOrderedPosition(int position)
{
    const int row = m_models.orderModel()->rowOf(position);
    if (row >= 0)
        m_orderGrid->selectRow(row);
}

void RankingListEditor::reopenOrderedList()
{
    m_models.refreshOrdered(sortSettings());
}

void RankingListEditor::showOthersChanges()
{
    if (!isVisible() || m_models.hasPendingChanges())
        return;  // the operator's own edit comes first
    m_models.refreshLists();
    m_models.database().othersCommitted();  // what is shown now is the current state
    reselectListRow();
    for (const Level level : {Level::Title, Level::Position, Level::Block, Level::Detail}) {
        LinkedTableModel *model = m_models.model(level);
        if (!model || model->filter().isEmpty())
            continue;
        const int row = grid(level)->currentIndex().row();
        model->select();
        while (row >= model->rowCount() && model->canFetchMore())
            model->fetchMore();
        if (row >= 0 && row < model->rowCount())
            grid(level)->selectRow(row);
    }
}

void RankingListEditor::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_models.database().othersCommitted())
        showOthersChanges();
    QDialog::changeEvent(event);
}

void RankingListEditor::reselectListRow()
{
    m_restoringRow = true;
    const int row = m_models.currentRow();
    if (row >= 0)
        m_listGrid->selectRow(row);
    else
        m_listGrid->clearSelection();
    m_restoringRow = false;
}

void RankingListEditor::rowChanged(Level level, int current, int previous)
{
    if (m_restoringRow)
        return;
    // Leaving a row posts what was typed in it and in the levels below it; a
    // row just inserted is posted when it is left in turn.
    if (previous >= 0 && previous != current && !m_inserting) {
        bool posted = true;
        for (int l = int(Level::Detail); l >= int(level) && posted; --l)
            posted = runGuarded(m_op, [this, l] { m_models.model(Level(l))->post(); });
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

void RankingListEditor::refreshLinks(Level level)
{
    const int row = grid(level)->currentIndex().row();
    if (level == Level::Position)
        m_models.setCurrentPosition(row);
    else if (level == Level::Block)
        m_models.setCurrentBlock(row);
}

void RankingListEditor::navigate(Navigation how)
{
    QTableView *view = m_activeGrid;
    if (!view)
        return;
    // The models read rows in portions; the last position is that of the whole list.
    if (how == Navigation::Last) {
        while (view->model()->canFetchMore(QModelIndex()))
            view->model()->fetchMore(QModelIndex());
    }
    if (view->model()->rowCount() == 0)
        return;
    const int last = view->model()->rowCount() - 1;
    const int row = view->currentIndex().row();
    int target = 0;
    switch (how) {
    case Navigation::First:
        target = 0;
        break;
    case Navigation::Prior:
        target = std::max(0, row - 1);
        break;
    case Navigation::Next:
        target = std::min(last, row + 1);
        break;
    case Navigation::Last:
        target = last;
        break;
    }
    const int column =
        view->currentIndex().isValid() ? view->currentIndex().column() : view->horizontalHeader()->logicalIndex(0);
    view->setCurrentIndex(view->model()->index(target, column));
}

void RankingListEditor::insertRow()
{
    QTableView *view = m_activeGrid;
    const auto level = m_grids.key(view, Level::Title);
    if (!view || !m_grids.contains(level) || m_grids.value(level) != view)
        return;
    LinkedTableModel *model = m_models.model(level);
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

void RankingListEditor::deleteRow(bool askGridQuestion)
{
    QTableView *view = m_activeGrid;
    const auto level = m_grids.key(view, Level::Title);
    if (!view || m_grids.value(level) != view || !view->currentIndex().isValid())
        return;
    if (askGridQuestion && m_op.askKeeping(QStringLiteral("Datensatz löschen?"), {Button::Ok, Button::Cancel},
                                           Button::Cancel) != Button::Ok)
        return;
    if (!m_op.confirmDiscarding(QStringLiteral("Wollen Sie den aktuellen Datensatz wirklich löschen?")))
        return;
    LinkedTableModel *model = m_models.model(level);
    const int row = view->currentIndex().row();
    if (!model->removeRow(row) || !model->submitAll()) {
        const QString message = db::engineMessage(model->lastError());
        model->revertAll();
        throw EngineError(message, QString());
    }
    model->select();
}

void RankingListEditor::commitEditor(QTableView *view)
{
    // The delegate takes an open editor's text over when the editor loses the focus.
    QWidget *focus = QApplication::focusWidget();
    if (view && focus && focus != view && view->isAncestorOf(focus))
        view->setFocus();
}

void RankingListEditor::postRow()
{
    QTableView *view = m_activeGrid;
    const auto level = m_grids.key(view, Level::Title);
    if (!view || m_grids.value(level) != view)
        return;
    commitEditor(view);
    m_models.model(level)->post();
    // A position or block posted with its number now has children to show.
    refreshLinks(level);
}

void RankingListEditor::cancelRow()
{
    QTableView *view = m_activeGrid;
    const auto level = m_grids.key(view, Level::Title);
    if (view && m_grids.value(level) == view)
        m_models.model(level)->revertAll();
}

void RankingListEditor::fitColumns(QTableView *view)
{
    // The title and position grids show each column as wide as its caption and
    // the texts in sight ask for, and give the width left over to the names and
    // clubs (categories in the title grid), where long texts are.
    const bool titles = view == grid(Level::Title);
    if (!titles && view != grid(Level::Position)) {
        fitColumnsProportionally(view);
        return;
    }
    const QList<int> columns = visibleLogicalColumns(view);
    const auto *model = qobject_cast<const QSqlTableModel *>(view->model());
    if (columns.isEmpty() || !model)
        return;
    static const QStringList growingTitles = {QStringLiteral("SPARTE_D"), QStringLiteral("KATEGORIE_D")};
    static const QStringList growingPositions = {QStringLiteral("NAME1"), QStringLiteral("NAME2"),
                                                 QStringLiteral("VEREIN")};
    const QStringList &growingFields = titles ? growingTitles : growingPositions;
    constexpr int kWidestContent = 250;  // pixels: one long text does not push the rest out of sight
    const QAbstractItemView *itemView = view;  // QTableView keeps its size hint protected
    QList<int> widths;
    QList<int> growing;
    for (const int c : columns) {
        widths << std::min(kWidestContent,
                           std::max(view->horizontalHeader()->sectionSizeHint(c), itemView->sizeHintForColumn(c)));
        if (growingFields.contains(model->record().fieldName(c), Qt::CaseInsensitive))
            growing << int(widths.size() - 1);
    }
    const QList<int> fitted = columns::fitSpareTo(widths, view->viewport()->width() - 2, growing);
    for (int i = 0; i < columns.size(); ++i)
        view->setColumnWidth(columns.at(i), fitted.at(i));
}

// ---- window events -----------------------------------------------------------

void RankingListEditor::tabChanged(int index)
{
    runGuarded(m_op, [&] {
        if (m_previousTab == Erfassen && index != Erfassen)
            m_models.closeEditing(true);
        m_previousTab = index;
        if (index != Auswahl)
            showListLines();
        if (index == Erfassen) {
            m_models.openEditing();
        } else if (index == Rangieren) {
            const auto list = m_models.selectedList();
            m_caption->setText(list ? list->captionLine() : QString());
            reopenOrderedList();
        } else {
            m_models.refreshLists();
            reselectListRow();
        }
    });
}

void RankingListEditor::showEvent(QShowEvent *event)
{
    runGuarded(m_op, [this] { m_models.refreshLists(); });
    reselectListRow();
    const QSignalBlocker block(m_tabs);
    m_tabs->setCurrentIndex(Auswahl);
    m_previousTab = Auswahl;
    QDialog::showEvent(event);
}

void RankingListEditor::done(int result)
{
    // "&OK" posts pending edits and stays open when that fails; every other way
    // of closing discards them.
    if (result == QDialog::Accepted) {
        commitEditor(m_activeGrid);
        if (!runGuarded(m_op, [this] { m_models.postAll(); }))
            return;
    } else {
        m_models.discardAll();
    }
    if (m_previousTab == Erfassen)
        m_models.closeEditing(result == QDialog::Accepted);
    QDialog::done(result);
}

bool RankingListEditor::eventFilter(QObject *watched, QEvent *event)
{
    auto *view = qobject_cast<QTableView *>(watched);
    if (view && event->type() == QEvent::Resize) {
        QTimer::singleShot(0, view, [this, view] { fitColumns(view); });
    } else if (view && event->type() == QEvent::KeyPress) {
        auto *key = static_cast<QKeyEvent *>(event);
        const bool editingGrid = m_grids.value(m_grids.key(view, Level::Title)) == view;
        if (key->key() == Qt::Key_Delete && key->modifiers() == Qt::ControlModifier && editingGrid) {
            m_activeGrid = view;
            runGuarded(m_op, [this] { deleteRow(true); });
            return true;
        }
        if (key->key() == Qt::Key_End && key->modifiers() == Qt::ControlModifier) {
            m_activeGrid = view;
            navigate(Navigation::Last);
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

// ---- options -----------------------------------------------------------------

QString RankingListEditor::awardText() const
{
    return m_art->text();
}

bool RankingListEditor::preview() const
{
    return m_preview->isChecked();
}

bool RankingListEditor::rePrint() const
{
    return m_rePrint->isChecked();
}

reports::ReportOptions RankingListEditor::reportOptions() const
{
    reports::ReportOptions options;
    options.rankSeparators = m_spacer->isChecked();
    options.shortDetail = m_shortDetail->isChecked();
    options.singleLine = m_singleLine->isChecked();
    options.introMm = num::parseDecimal(m_intro->text()).value_or(0.0);
    return options;
}

ranking::SortSettings RankingListEditor::sortSettings() const
{
    return {m_ascDesc->checkedId() == AscendingChoice, m_age->isChecked()};
}

void RankingListEditor::setLastCategorySearch(const QString &text)
{
    m_models.setLastCategorySearch(text);
}

void RankingListEditor::loadSettings()
{
    const auto radio = [this](QButtonGroup *group, const QString &name) {
        if (QAbstractButton *b = group->button(m_ini.readInt(kOptions, name, 0)))
            b->setChecked(true);
    };
    radio(m_sumAvg, key::SumAvg);
    radio(m_format, key::Format);
    radio(m_modus, key::Modus);
    radio(m_ascDesc, key::AscDesc);
    for (QLineEdit *edit : {m_art, m_count, m_intro})
        edit->setText(m_ini.readString(kOptions, edit->objectName()));
    const auto check = [this](QCheckBox *box, int fallback) {
        box->setChecked(m_ini.readInt(kOptions, box->objectName(), fallback) == 1);
    };
    check(m_rePrint, 1);
    check(m_preview, 1);
    check(m_spacer, 1);
    check(m_shortDetail, 0);
    check(m_singleLine, 0);
    check(m_age, 0);
    m_pdfPath = m_ini.readString(kOptions, key::PdfPath, m_programDirectory + QStringLiteral("PDF-Temp/"));
    if (!m_pdfPath.isEmpty() && !QDir().mkpath(m_pdfPath))
        m_pdfPath.clear();
}

void RankingListEditor::storeSettings()
{
    m_ini.writeInt(kOptions, key::SumAvg, m_sumAvg->checkedId());
    m_ini.writeInt(kOptions, key::Format, m_format->checkedId());
    m_ini.writeInt(kOptions, key::Modus, m_modus->checkedId());
    m_ini.writeInt(kOptions, key::AscDesc, m_ascDesc->checkedId());
    for (QLineEdit *edit : {m_art, m_intro, m_count})
        m_ini.writeString(kOptions, edit->objectName(), edit->text());
    for (QCheckBox *box : {m_rePrint, m_preview, m_shortDetail, m_singleLine, m_spacer, m_age})
        m_ini.writeInt(kOptions, box->objectName(), box->isChecked() ? 1 : 0);
    m_ini.writeString(kOptions, key::PdfPath, m_pdfPath);
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::All).store(this);
}

}  // namespace rq::windows
