#include "windows/ParticipantSelection.h"

#include "capture/ParticipantData.h"
#include "common/ColumnFit.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Numbers.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "widgets/GeometryKeeper.h"
#include "widgets/GridColumns.h"
#include "windows/ResultEntryWindow.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QShortcut>
#include <QSplitter>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>

namespace rq::windows {
namespace {

const QString kWindowName = QStringLiteral("FlexSelectForm");
const QString kOptions = QStringLiteral("Options");
// The settings keys of the options; each is also the object name of its control.
const QString kFormatKey = QStringLiteral("RadioGroupFormatFlex");
const QString kSumAvgKey = QStringLiteral("RadioGroupSumAvgFlex");
QString titleKey(int n)
{
    return QStringLiteral("LabeledEdit%1").arg(n);
}
enum SumAvgChoice { SumChoice, AverageChoice };
enum TabIndex { ParticipantsTab, ConversionTab };

QTableView *listView(QAbstractItemModel *model, QWidget *parent)
{
    auto *view = new QTableView(parent);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->verticalHeader()->hide();
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    // Tab moves on to the next control, not to the next cell of a read-only list.
    view->setTabKeyNavigation(false);
    return view;
}

QLabel *largeLabel(QWidget *parent)
{
    auto *label = new QLabel(parent);
    QFont f = label->font();
    f.setPointSize(f.pointSize() + 4);
    f.setBold(true);
    label->setFont(f);
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    return label;
}

QButtonGroup *radioGroup(QGroupBox *box, const QStringList &captions)
{
    auto *group = new QButtonGroup(box);
    auto *layout = new QHBoxLayout(box);
    layout->setContentsMargins(6, 2, 6, 2);
    for (int i = 0; i < captions.size(); ++i) {
        auto *radio = new QRadioButton(captions.at(i), box);
        radio->setObjectName(box->objectName() + QString::number(i));
        group->addButton(radio, i);
        layout->addWidget(radio);
    }
    return group;
}

}  // namespace

ParticipantSelection::ParticipantSelection(capture::ParticipantData &data, ResultEntryWindow &resultEntry, Operator &op,
                                           IniFile &ini, QWidget *parent)
    : QDialog(parent)
    , m_data(data)
    , m_resultEntry(resultEntry)
    , m_op(op)
    , m_ini(ini)
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Resultate Einzelkategorien"));
    setMinimumSize(640, 480);
    resize(640, 480);
    m_tabs = new QTabWidget(this);
    m_tabs->addTab(buildParticipantsTab(), QStringLiteral("&Teilnehmer"));
    m_tabs->addTab(buildConversionTab(), QStringLiteral("Listenkonvertierung"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    // Now that the button sits in the dialog, the dialog takes it as its default.
    m_ok->setDefault(true);

    connectCommands();
    loadSettings();
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::PositionAndSize).restore(this);
}

QWidget *ParticipantSelection::buildParticipantsTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    auto *splitter = new QSplitter(page);
    m_categories = listView(m_data.categories(), splitter);
    m_categories->setObjectName(QStringLiteral("DBGridKat"));
    m_persons = listView(m_data.persons(), splitter);
    m_persons->setObjectName(QStringLiteral("DBGridPerson"));
    splitter->setStretchFactor(1, 2);
    layout->addWidget(splitter, 1);
    auto *middle = new QHBoxLayout;
    middle->addLayout(buildCurrentDisplay(page), 1);
    middle->addLayout(buildCurrentLines(page), 1);
    layout->addLayout(middle);
    auto *bottom = new QHBoxLayout;
    bottom->addWidget(buildSearchBox(page));
    bottom->addLayout(buildPointsOptions(page));
    auto *buttons = new QVBoxLayout;
    m_info = new QPushButton(QStringLiteral("Info"), page);
    m_info->setObjectName(QStringLiteral("ButtonInfo"));
    m_ok = new QPushButton(QStringLiteral("OK"), page);
    m_ok->setObjectName(QStringLiteral("ButtonOk"));
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), page);
    for (QPushButton *b : {m_info, m_ok, m_cancel}) {
        // OK stays the button Enter presses, whichever button had the focus last.
        b->setAutoDefault(false);
        buttons->addWidget(b);
    }
    bottom->addLayout(buttons);
    layout->addLayout(bottom);
    return page;
}

QLayout *ParticipantSelection::buildCurrentDisplay(QWidget *page)
{
    auto *display = new QGridLayout;
    m_kat = largeLabel(page);
    m_start = largeLabel(page);
    m_status = largeLabel(page);
    m_status->setObjectName(QStringLiteral("StatusDisplay"));
    m_status->setAutoFillBackground(true);
    m_status->setBackgroundRole(QPalette::Base);
    m_status->setMinimumWidth(150);
    display->addWidget(new QLabel(QStringLiteral("Kat. Nr."), page), 0, 0);
    display->addWidget(new QLabel(QStringLiteral("Start Nr."), page), 0, 1);
    display->addWidget(new QLabel(QStringLiteral("Status"), page), 0, 2);
    display->addWidget(m_kat, 1, 0);
    display->addWidget(m_start, 1, 1);
    display->addWidget(m_status, 1, 2);
    return display;
}

QLayout *ParticipantSelection::buildCurrentLines(QWidget *page)
{
    auto *lines = new QGridLayout;
    const auto line = [&](const QString &caption, QLabel *&label, int row) {
        label = new QLabel(page);
        lines->addWidget(new QLabel(caption, page), row, 0);
        lines->addWidget(label, row, 1);
    };
    line(QStringLiteral("Sparte"), m_sparte, 0);
    line(QStringLiteral("Kategorie"), m_kategorie, 1);
    line(QStringLiteral("Name"), m_name, 2);
    line(QStringLiteral("Verein"), m_verein, 3);
    lines->setColumnStretch(1, 1);
    return lines;
}

QWidget *ParticipantSelection::buildSearchBox(QWidget *page)
{
    auto *box = new QGroupBox(QStringLiteral("Suchen"), page);
    auto *layout = new QGridLayout(box);
    m_searchKat = new QLineEdit(box);
    m_searchKat->setObjectName(QStringLiteral("EditSearchKat"));
    m_searchStart = new QLineEdit(box);
    m_searchStart->setObjectName(QStringLiteral("EditSearchStart"));
    auto *katLabel = new QLabel(QStringLiteral("&Kategorie"), box);
    katLabel->setBuddy(m_searchKat);
    auto *startLabel = new QLabel(QStringLiteral("Start &Nr."), box);
    startLabel->setBuddy(m_searchStart);
    m_search = new QPushButton(QStringLiteral("&Suchen"), box);
    m_search->setObjectName(QStringLiteral("ButtonSearch"));
    m_search->setEnabled(false);
    m_search->setAutoDefault(false);
    // Enter in a search field searches; everywhere else it presses OK.
    m_searchKat->installEventFilter(this);
    m_searchStart->installEventFilter(this);
    layout->addWidget(katLabel, 0, 0);
    layout->addWidget(m_searchKat, 0, 1);
    layout->addWidget(startLabel, 1, 0);
    layout->addWidget(m_searchStart, 1, 1);
    layout->addWidget(m_search, 0, 2, 2, 1);
    return box;
}

QLayout *ParticipantSelection::buildPointsOptions(QWidget *page)
{
    auto *options = new QVBoxLayout;
    auto *formatBox = new QGroupBox(QStringLiteral("Punkteformat"), page);
    formatBox->setObjectName(kFormatKey);
    m_format = radioGroup(
        formatBox, {QStringLiteral(" #"), QStringLiteral(" #.#"), QStringLiteral(" #.##"), QStringLiteral(" #.###")});
    auto *sumBox = new QGroupBox(QStringLiteral("Punktetotal"), page);
    sumBox->setObjectName(kSumAvgKey);
    m_sumAvg = radioGroup(sumBox, {QStringLiteral("Summe"), QStringLiteral("Durchschnitt")});
    options->addWidget(formatBox);
    options->addWidget(sumBox);
    return options;
}

QWidget *ParticipantSelection::buildConversionTab()
{
    auto *page = new QWidget;
    auto *layout = new QVBoxLayout(page);
    m_convertLine = new QLabel(page);
    m_convertLine->setObjectName(QStringLiteral("ConvertLine"));
    layout->addWidget(m_convertLine);
    m_ordered = listView(m_data.ordered(), page);
    m_ordered->setObjectName(QStringLiteral("DBGridOrder"));
    layout->addWidget(m_ordered, 1);
    auto *titles = new QGridLayout;
    for (int i = 0; i < kDetailTitles; ++i) {
        m_titles[i] = new QLineEdit(page);
        m_titles[i]->setObjectName(titleKey(i + 1));
        titles->addWidget(new QLabel(QStringLiteral("Titel für %1. Detailzeile").arg(i + 1), page), i / 2, (i % 2) * 2);
        titles->addWidget(m_titles[i], i / 2, (i % 2) * 2 + 1);
    }
    layout->addLayout(titles);
    auto *buttons = new QHBoxLayout;
    m_convert = new QPushButton(QStringLiteral("Zu Rangliste konvertieren"), page);
    m_convert->setObjectName(QStringLiteral("ButtonConvert"));
    m_convertOk = new QPushButton(QStringLiteral("OK"), page);
    m_convertCancel = new QPushButton(QStringLiteral("Abbrechen"), page);
    buttons->addWidget(m_convert);
    buttons->addStretch();
    buttons->addWidget(m_convertOk);
    buttons->addWidget(m_convertCancel);
    layout->addLayout(buttons);
    return page;
}

void ParticipantSelection::connectCommands()
{
    connect(m_categories->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ParticipantSelection::categoryChanged);
    connect(m_persons->selectionModel(), &QItemSelectionModel::currentRowChanged, this,
            &ParticipantSelection::personChanged);
    connect(m_persons, &QTableView::doubleClicked, this, [this] { runGuarded(m_op, [this] { openResultEntry(); }); });
    const auto updateSearch = [this] {
        m_search->setEnabled(!m_searchKat->text().isEmpty() || !m_searchStart->text().isEmpty());
    };
    connect(m_searchKat, &QLineEdit::textChanged, this, updateSearch);
    // A start number belongs to the category it was typed for.
    connect(m_searchKat, &QLineEdit::textEdited, m_searchStart, &QLineEdit::clear);
    connect(m_searchStart, &QLineEdit::textChanged, this, updateSearch);
    connect(m_search, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { search(); }); });
    connect(m_info, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { showStatusCount(); }); });
    connect(m_ok, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { openResultEntry(); }); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_convertOk, &QPushButton::clicked, this, &QDialog::accept);
    connect(m_convertCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_convert, &QPushButton::clicked, this, [this] {
        runGuarded(m_op, [this] {
            if (!m_convertAction) {
                m_op.inform(notAvailableMessage());
                return;
            }
            m_convertAction(currentCategory());
            m_data.refreshOrdered(currentCategory());
        });
    });
    connect(m_tabs, &QTabWidget::currentChanged, this, &ParticipantSelection::tabChanged);
    // Ctrl+Tab and Ctrl+Shift+Tab switch the tabs from any control of the window.
    const auto switchTab = [this](int step) {
        m_tabs->setCurrentIndex((m_tabs->currentIndex() + step + m_tabs->count()) % m_tabs->count());
    };
    auto *next = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Tab), this);
    connect(next, &QShortcut::activated, this, [switchTab] { switchTab(1); });
    auto *previous = new QShortcut(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Backtab), this);
    connect(previous, &QShortcut::activated, this, [switchTab] { switchTab(-1); });
    for (QTableView *view : {m_categories, m_persons, m_ordered})
        connect(view->model(), &QAbstractItemModel::modelReset, view, [view] {
            QTimer::singleShot(0, view, [view] {
                view->resizeColumnsToContents();  // start from what captions and contents ask for
                fitColumnsProportionally(view);
            });
        });
}

bool ParticipantSelection::eventFilter(QObject *watched, QEvent *event)
{
    if ((watched == m_searchKat || watched == m_searchStart) && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent *>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            if (m_search->isEnabled())
                runGuarded(m_op, [this] { search(); });
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ParticipantSelection::loadSettings()
{
    m_format->button(std::clamp(m_ini.readInt(kOptions, kFormatKey, 0), 0, 3))->setChecked(true);
    m_sumAvg->button(std::clamp(m_ini.readInt(kOptions, kSumAvgKey, 0), 0, 1))->setChecked(true);
    for (QLineEdit *title : m_titles)
        title->setText(m_ini.readString(kOptions, title->objectName()));
}

ParticipantSelection::~ParticipantSelection()
{
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::PositionAndSize).store(this);
    m_ini.writeInt(kOptions, kSumAvgKey, m_sumAvg->checkedId());
    m_ini.writeInt(kOptions, kFormatKey, m_format->checkedId());
    for (QLineEdit *title : m_titles)
        m_ini.writeString(kOptions, title->objectName(), title->text());
}

int ParticipantSelection::decimals() const
{
    return m_format->checkedId();
}
bool ParticipantSelection::average() const
{
    return m_sumAvg->checkedId() == AverageChoice;
}
QString ParticipantSelection::detailTitle(int n) const
{
    return n >= 1 && n <= kDetailTitles ? m_titles[n - 1]->text() : QString();
}
QString ParticipantSelection::statusText() const
{
    return m_status->text();
}

QPushButton *ParticipantSelection::button(const QString &objectName) const
{
    return findChild<QPushButton *>(objectName);
}

QLineEdit *ParticipantSelection::field(const QString &objectName) const
{
    return findChild<QLineEdit *>(objectName);
}

void ParticipantSelection::setConvertAction(std::function<void(int)> action)
{
    m_convertAction = std::move(action);
}

int ParticipantSelection::currentCategory() const
{
    const int row = m_categories->currentIndex().row();
    return row < 0 ? -1 : m_data.categories()->record(row).value(QStringLiteral("KAT_NR")).toInt();
}

int ParticipantSelection::currentStartNr() const
{
    const int row = m_persons->currentIndex().row();
    return row < 0 ? -1 : m_data.persons()->record(row).value(QStringLiteral("START_NR")).toInt();
}

void ParticipantSelection::showEvent(QShowEvent *event)
{
    m_status->setText(QStringLiteral("Unbekannt"));
    {
        const QSignalBlocker block(m_tabs);
        m_tabs->setCurrentIndex(ParticipantsTab);
    }
    m_data.refreshCategories();
    selectCategoryRow(0);
    QDialog::showEvent(event);
}

void ParticipantSelection::showOthersChanges()
{
    if (!isVisible())
        return;  // showing it reads everything anyway
    const int kat = currentCategory();
    if (kat < 0)
        return;
    const int startNr = currentStartNr();
    m_data.showCategory(kat);
    m_data.database().othersCommitted();  // what is shown now is the current state
    if (startNr >= 0) {
        const int row = m_data.personRow(QString::number(startNr));
        if (row >= 0)
            selectPersonRow(row);
    }
    if (m_tabs->currentIndex() == ConversionTab)
        m_data.refreshOrdered(kat);
}

void ParticipantSelection::changeEvent(QEvent *event)
{
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && m_data.database().othersCommitted())
        showOthersChanges();
    QDialog::changeEvent(event);
}

void ParticipantSelection::selectCategoryRow(int row)
{
    if (row >= 0 && row < m_data.categories()->rowCount() && row != m_categories->currentIndex().row())
        m_categories->setCurrentIndex(m_data.categories()->index(row, 0));
    else
        categoryChanged();
}

void ParticipantSelection::selectPersonRow(int row)
{
    if (row >= 0 && row < m_data.persons()->rowCount())
        m_persons->setCurrentIndex(m_data.persons()->index(row, 1));
}

void ParticipantSelection::categoryChanged()
{
    const int row = m_categories->currentIndex().row();
    const QSqlRecord cat = row >= 0 ? m_data.categories()->record(row) : QSqlRecord();
    m_data.showCategory(cat.value(QStringLiteral("KAT_NR")).toInt());
    showColumns(m_categories, {{"KAT_NR", "Nr."}, {"KAT_STR", "Kategorie"}});
    showColumns(m_persons, {{"START_NR", "Nr."}, {"NAME", "Name"}, {"EINTRAG", "Verein"}});
    m_kat->setText(cat.value(QStringLiteral("KAT_NR")).toString());
    m_sparte->setText(cat.value(QStringLiteral("SPARTE_BEZ")).toString());
    m_kategorie->setText(cat.value(QStringLiteral("KAT_BEZ")).toString());
    selectPersonRow(0);
    personChanged();
}

void ParticipantSelection::personChanged()
{
    const int row = m_persons->currentIndex().row();
    if (row < 0) {
        m_start->clear();
        m_name->clear();
        m_verein->clear();
        return;
    }
    const QSqlRecord p = m_data.persons()->record(row);
    m_start->setText(p.value(QStringLiteral("START_NR")).toString());
    m_name->setText(p.value(QStringLiteral("NAME")).toString());
    m_verein->setText(p.value(QStringLiteral("EINTRAG")).toString());
    const QString word = capture::ParticipantData::statusWord(p.value(QStringLiteral("STATUS")).toInt());
    if (!word.isEmpty())
        m_status->setText(word);
}

void ParticipantSelection::tabChanged(int index)
{
    if (index == ConversionTab) {
        // Which category "Zu Rangliste konvertieren" turns into its list of class 0.
        const int row = m_categories->currentIndex().row();
        m_convertLine->setText(
            row < 0 ? QString()
                    : QStringLiteral("Kategorie %1: %2")
                          .arg(currentCategory())
                          .arg(m_data.categories()->record(row).value(QStringLiteral("KAT_STR")).toString()));
        m_data.refreshOrdered(currentCategory());
        showColumns(m_ordered, {{"RANG", "Rang"},
                                {"AUSZEICHNUNG_ID", "Ausz."},
                                {"NAME", "Nachname / Name1"},
                                {"VORNAME", "Vorname / Name2"},
                                {"PREFIX", "Prefix"},
                                {"ORT", "Ort"},
                                {"PUNKTE_TXT", "Punktetotal"},
                                {"BEMERKUNG", "Bemerkung"},
                                {"KAT_ID", "Kat. Nr."},
                                {"PERS_ID", "Start Nr."}});
    }
}

void ParticipantSelection::openResultEntry()
{
    const int kat = currentCategory();
    const int startNr = currentStartNr();
    if (m_data.persons()->rowCount() == 0 || startNr < 0)
        return;
    m_resultEntry.run(kat, startNr, decimals(), average());
    // Back on the same participant, with his new status.
    m_data.refreshCategories();
    const int catRow = m_data.categoryRow(kat);
    selectCategoryRow(catRow);
    selectPersonRow(m_data.personRow(QString::number(startNr)));
    personChanged();
}

void ParticipantSelection::search()
{
    bool failed = false;
    const QString katText = m_searchKat->text();
    if (!katText.isEmpty()) {
        const auto kat = num::parseInteger(katText);
        if (!kat)
            throw Error(QStringLiteral("'%1' ist kein gültiger Integerwert").arg(katText));
        const int row = m_data.categoryRow(*kat);
        if (row < 0) {
            m_op.showMessage(MessageKind::Plain,
                             QStringLiteral("Einzelkategorie ") + katText + QStringLiteral(" nicht vorhanden."));
            failed = true;
        } else {
            selectCategoryRow(row);
        }
    }
    const QString startText = m_searchStart->text();
    if (startText.isEmpty()) {
        failed = true;
    } else {
        const int row = m_data.personRow(startText);
        const bool byNumber = num::parseInteger(startText).has_value();
        if (row >= 0)
            selectPersonRow(row);
        else
            m_op.showMessage(MessageKind::Plain, (byNumber ? QStringLiteral("Start Nr. ") : QString()) + startText +
                                                     QStringLiteral(" nicht vorhanden."));
        failed |= row < 0 || !byNumber;
    }
    if (!failed)
        openResultEntry();
}

void ParticipantSelection::showStatusCount()
{
    const int row = m_categories->currentIndex().row();
    if (row < 0)
        return;
    const QSqlRecord cat = m_data.categories()->record(row);
    m_op.inform(m_data.statusCount(cat.value(QStringLiteral("KAT_NR")).toInt(),
                                   cat.value(QStringLiteral("KAT_STR")).toString()));
}

}  // namespace rq::windows
