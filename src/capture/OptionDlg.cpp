#include "capture/OptionDlg.h"

#include "app/GeometryKeeper.h"
#include "app/GridColumns.h"
#include "capture/LateRegistration.h"
#include "common/Errors.h"
#include "common/IniFile.h"
#include "common/Operator.h"
#include "db/Database.h"

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

namespace rq::capture {
namespace {
const QString kWindowName = QStringLiteral("OptionDlg");
}

OptionDlg::OptionDlg(db::Database &db, Operator &op, IniFile &ini, QWidget *parent)
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

    m_clubs = new QTableView(this);
    m_clubs->setObjectName(QStringLiteral("DBGridVerein"));
    m_clubs->setToolTip(QStringLiteral("Liste mit allen verfügbaren Vereinen"));
    m_clubs->setModel(m_model.get());
    m_clubs->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_clubs->setSelectionMode(QAbstractItemView::SingleSelection);
    m_clubs->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_clubs->verticalHeader()->setDefaultSectionSize(m_clubs->fontMetrics().height() + 4);
    m_clubs->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto *search = new QAction(QStringLiteral("Nach Ort suchen"), m_clubs);
    search->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_F));
    search->setShortcutContext(Qt::WindowShortcut);
    m_clubs->addAction(search);
    layout->addWidget(m_clubs, 1);

    auto *side = new QVBoxLayout;
    auto *form = new QGridLayout;
    const struct
    {
        const char *caption;
        const char *name;
    } fields[] = {{"Kat. Nr.", "EditKat"},
                  {"Start Nr.", "EditStart"},
                  {"Nachname / Name1", "EditName"},
                  {"Vorname / Name2", "EditVorname"},
                  {"Jahrgang", "EditJahrgang"}};
    for (int i = 0; i < 5; ++i) {
        auto *edit = new QLineEdit(this);
        edit->setObjectName(QString::fromLatin1(fields[i].name));
        edit->setMaxLength(i < 2 ? 10 : 40);
        form->addWidget(new QLabel(QString::fromUtf8(fields[i].caption), this), i, 0);
        form->addWidget(edit, i, 1);
    }
    side->addLayout(form);
    auto *find = new QPushButton(QStringLiteral("Nach Ort suchen"), this);
    auto *apply = new QPushButton(QStringLiteral("Übernehmen"), this);
    auto *ok = new QPushButton(QStringLiteral("OK"), this);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Abbrechen"), this);
    side->addStretch();
    auto *buttons = new QGridLayout;
    buttons->addWidget(find, 0, 0);
    buttons->addWidget(apply, 0, 1);
    buttons->addWidget(ok, 1, 0);
    buttons->addWidget(cancel, 1, 1);
    side->addLayout(buttons);
    layout->addLayout(side);

    const auto askPlace = [this] {
        const auto text = m_op.askText(QStringLiteral("Verein nach Ort suchen"), QStringLiteral("Ort:"), QString());
        if (text)
            findPlace(*text);
    };
    connect(search, &QAction::triggered, this, askPlace);
    connect(find, &QPushButton::clicked, this, askPlace);
    connect(apply, &QPushButton::clicked, this, [this] { this->apply(false); });
    connect(ok, &QPushButton::clicked, this, [this] { this->apply(true); });
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::Position).restore(this);
}

OptionDlg::~OptionDlg()
{
    GeometryKeeper(m_ini, kWindowName, GeometryKeys::Position).store(this);
}

QLineEdit *OptionDlg::field(const QString &objectName) const
{
    return findChild<QLineEdit *>(objectName);
}

void OptionDlg::showEvent(QShowEvent *event)
{
    QSqlQuery q(m_db.connection());
    q.exec(QStringLiteral("select * from VEREIN ORDER BY ORT, KANTON, PREFIX"));
    m_model->setQuery(std::move(q));
    while (m_model->canFetchMore())
        m_model->fetchMore();
    showColumns(m_clubs, {{"PREFIX", "Präfix"}, {"ORT", "Verein"}, {"KANTON", "Kanton"}, {"VERBAND", "Verband"}});
    if (m_model->rowCount() > 0)
        m_clubs->selectRow(0);
    QDialog::showEvent(event);
}

void OptionDlg::findPlace(const QString &text)
{
    for (int r = 0; r < m_model->rowCount(); ++r) {
        if (m_model->record(r).value(QStringLiteral("ORT")).toString().startsWith(text, Qt::CaseInsensitive)) {
            m_clubs->selectRow(r);
            return;
        }
    }
    m_op.warn(QStringLiteral("Ort ") + text + QStringLiteral(" nicht gefunden"));
}

void OptionDlg::apply(bool close)
{
    Registration r;
    r.kat = field(QStringLiteral("EditKat"))->text();
    r.startNr = field(QStringLiteral("EditStart"))->text();
    r.name = field(QStringLiteral("EditName"))->text();
    r.vorname = field(QStringLiteral("EditVorname"))->text();
    r.jahrgang = field(QStringLiteral("EditJahrgang"))->text();
    const int row = m_clubs->currentIndex().row();
    r.vereinId = row < 0 ? 0 : m_model->record(row).value(QStringLiteral("VEREIN_ID")).toLongLong();
    runGuarded(m_op, [&] { LateRegistration(m_db, m_op).registerParticipant(r); });
    if (close)
        accept();
}

} // namespace rq::capture
