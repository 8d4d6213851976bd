#include "windows/LateRegistrationDialog.h"

#include "capture/LateRegistration.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Operator.h"
#include "db/Database.h"
#include "widgets/GeometryKeeper.h"
#include "widgets/GridColumns.h"

#include <QAction>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QSqlQueryModel>
#include <QSqlRecord>
#include <QTableView>
#include <QVBoxLayout>

namespace rq::windows {
namespace {
const QString kWindowName = QStringLiteral("OptionDlg");
}

LateRegistrationDialog::LateRegistrationDialog(db::Database &db, Operator &op, IniFile &ini, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_op(op)
    , m_ini(ini)
    , m_model(std::make_unique<QSqlQueryModel>())
{
    setObjectName(kWindowName);
    setWindowTitle(QStringLiteral("Nachmeldung"));
    setFixedSize(458, 256);
    auto *layout = new QHBoxLayout(this);
    layout->addWidget(buildClubList(), 1);
    auto *side = new QVBoxLayout;
    side->addLayout(buildFields());
    side->addStretch();
    side->addLayout(buildButtons());
    layout->addLayout(side);

    connect(m_searchAction, &QAction::triggered, this, &LateRegistrationDialog::askPlace);
    connect(m_find, &QPushButton::clicked, this, &LateRegistrationDialog::askPlace);
    connect(m_apply, &QPushButton::clicked, this, [this] { apply(false); });
    connect(m_ok, &QPushButton::clicked, this, [this] { apply(true); });
    connect(m_cancel, &QPushButton::clicked, this, &QDialog::reject);
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::Position).restore(this);
}

QTableView *LateRegistrationDialog::buildClubList()
{
    m_clubs = new QTableView(this);
    m_clubs->setObjectName(QStringLiteral("DBGridVerein"));
    m_clubs->setToolTip(QStringLiteral("Liste mit allen verfügbaren Vereinen"));
    m_clubs->setModel(m_model.get());
    m_clubs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_clubs->setSelectionMode(QAbstractItemView::SingleSelection);
    m_clubs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_clubs->verticalHeader()->setDefaultSectionSize(m_clubs->fontMetrics().height() + 4);
    m_clubs->setContextMenuPolicy(Qt::ActionsContextMenu);
    m_searchAction = new QAction(QStringLiteral("Nach Ort suchen"), m_clubs);
    m_searchAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    m_searchAction->setShortcutContext(Qt::WindowShortcut);
    m_clubs->addAction(m_searchAction);
    return m_clubs;
}

QLayout *LateRegistrationDialog::buildFields()
{
    auto *form = new QGridLayout;
    const auto field = [&](const char *caption, const char *name, int maxLength) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(name));
        edit->setMaxLength(maxLength);
        const int row = form->rowCount();
        form->addWidget(new QLabel(QString::fromUtf8(caption), this), row, 0);
        form->addWidget(edit, row, 1);
        return edit;
    };
    m_kat = field("Kat. Nr.", "EditKat", 10);
    m_start = field("Start Nr.", "EditStart", 10);
    m_name = field("Nachname / Name1", "EditName", 40);
    m_vorname = field("Vorname / Name2", "EditVorname", 40);
    m_jahrgang = field("Jahrgang", "EditJahrgang", 40);
    return form;
}

QLayout *LateRegistrationDialog::buildButtons()
{
    m_find = new QPushButton(QStringLiteral("Nach Ort suchen"), this);
    m_apply = new QPushButton(QStringLiteral("Übernehmen"), this);
    m_ok = new QPushButton(QStringLiteral("OK"), this);
    m_ok->setDefault(true);
    m_cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    auto *buttons = new QGridLayout;
    buttons->addWidget(m_find, 0, 0);
    buttons->addWidget(m_apply, 0, 1);
    buttons->addWidget(m_ok, 1, 0);
    buttons->addWidget(m_cancel, 1, 1);
    return buttons;
}

void LateRegistrationDialog::askPlace()
{
    const auto text = m_op.askText(QStringLiteral("Verein nach Ort suchen"), QStringLiteral("Ort:"), QString());
    if (text)
        findPlace(*text);
}

LateRegistrationDialog::~LateRegistrationDialog()
{
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::Position).store(this);
}

QLineEdit *LateRegistrationDialog::field(const QString &objectName) const
{
    return findChild<QLineEdit *>(objectName);
}

void LateRegistrationDialog::showEvent(QShowEvent *event)
{
    runGuarded(m_op, [this] { capture::LateRegistration::loadClubs(m_db, *m_model); });
    showColumns(m_clubs, {{"PREFIX", "Präfix"}, {"ORT", "Verein"}, {"KANTON", "Kanton"}, {"VERBAND", "Verband"}});
    if (m_model->rowCount() > 0)
        m_clubs->selectRow(0);
    QDialog::showEvent(event);
}

void LateRegistrationDialog::findPlace(const QString &text)
{
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (m_model->record(r).value(QStringLiteral("ORT")).toString().startsWith(text, Qt::CaseInsensitive)) {
            m_clubs->selectRow(r);
            return;
        }
    }
    m_op.warn(QStringLiteral("Ort ") + text + QStringLiteral(" nicht gefunden"));
}

void LateRegistrationDialog::apply(bool close)
{
    capture::Registration r;
    r.kat = m_kat->text();
    r.startNr = m_start->text();
    r.name = m_name->text();
    r.vorname = m_vorname->text();
    r.jahrgang = m_jahrgang->text();
    const int row = m_clubs->currentIndex().row();
    r.vereinId = row < 0 ? 0 : m_model->record(row).value(QStringLiteral("VEREIN_ID")).toLongLong();
    runGuarded(m_op, [&] { capture::LateRegistration(m_db, m_op).registerParticipant(r); });
    if (close)
        accept();
}

}  // namespace rq::windows
