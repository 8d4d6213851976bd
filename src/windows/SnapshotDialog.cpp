#include "windows/SnapshotDialog.h"

#include "common/Errors.h"
#include "common/Operator.h"
#include "db/Snapshots.h"

#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QLocale>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace rq::windows {
namespace {

QString sizeText(qint64 bytes)
{
    return QStringLiteral("%1 MB").arg(QString::number(double(bytes) / (1024.0 * 1024.0), 'f', 1));
}

}  // namespace

SnapshotDialog::SnapshotDialog(db::Database &db, Operator &op, QWidget *parent)
    : QDialog(parent)
    , m_db(db)
    , m_op(op)
{
    setObjectName(QStringLiteral("SnapshotDialog"));
    setWindowTitle(QStringLiteral("Sicherungspunkte"));
    auto *layout = new QVBoxLayout(this);
    m_note = new QLabel(this);
    m_note->setWordWrap(true);
    layout->addWidget(m_note);
    m_list = new QTableWidget(0, 3, this);
    m_list->setObjectName(QStringLiteral("SnapshotList"));
    m_list->setHorizontalHeaderLabels(
        {QStringLiteral("Zeitpunkt"), QStringLiteral("Angelegt vor"), QStringLiteral("Größe")});
    m_list->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_list->verticalHeader()->hide();
    // The time and the size as wide as they need, the command takes the rest.
    m_list->horizontalHeader()->setSectionResizeMode(0, QHeaderView::ResizeToContents);
    m_list->horizontalHeader()->setSectionResizeMode(1, QHeaderView::Stretch);
    m_list->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    layout->addWidget(m_list, 1);
    auto *buttons = new QDialogButtonBox(this);
    m_goBack = buttons->addButton(QStringLiteral("&Zurücksetzen"), QDialogButtonBox::ActionRole);
    m_goBack->setObjectName(QStringLiteral("BitBtnGoBack"));
    buttons->addButton(QStringLiteral("&Schließen"), QDialogButtonBox::RejectRole);
    layout->addWidget(buttons);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(m_goBack, &QPushButton::clicked, this, [this] { runGuarded(m_op, [this] { goBack(); }); });
    connect(m_list, &QTableWidget::itemSelectionChanged, this,
            [this] { m_goBack->setEnabled(!m_list->selectedItems().isEmpty()); });
    resize(560, 420);
}

void SnapshotDialog::showEvent(QShowEvent *event)
{
    refresh();
    QDialog::showEvent(event);
}

void SnapshotDialog::refresh()
{
    const QList<db::SnapshotInfo> snapshots = db::Snapshots(m_db).list();
    m_list->setRowCount(int(snapshots.size()));
    for (int row = 0; row < snapshots.size(); ++row) {
        const db::SnapshotInfo &s = snapshots.at(row);
        auto *when = new QTableWidgetItem(s.taken.toString(QStringLiteral("dd.MM.yyyy HH:mm:ss")));
        when->setData(Qt::UserRole, s.name);
        m_list->setItem(row, 0, when);
        m_list->setItem(row, 1, new QTableWidgetItem(s.reason));
        auto *size = new QTableWidgetItem(sizeText(s.bytes));
        size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        m_list->setItem(row, 2, size);
    }
    m_note->setText(snapshots.isEmpty()
                        ? QStringLiteral("Noch keine Sicherungspunkte. Vor jedem Befehl, der Daten löscht oder "
                                         "überschreibt, wird einer angelegt.")
                        : QStringLiteral("Vor jedem Befehl, der Daten löscht oder überschreibt, wird der Stand der "
                                         "Datenbank aufbewahrt (die letzten %1). Zurücksetzen stellt den gewählten "
                                         "Stand wieder her; der jetzige wird vorher selbst aufbewahrt.")
                              .arg(db::Snapshots::kKept));
    if (!snapshots.isEmpty())
        m_list->selectRow(0);
    m_goBack->setEnabled(!snapshots.isEmpty());
}

void SnapshotDialog::goBack()
{
    const QList<QTableWidgetItem *> selected = m_list->selectedItems();
    if (selected.isEmpty())
        return;
    const int row = selected.first()->row();
    const QString name = m_list->item(row, 0)->data(Qt::UserRole).toString();
    const QString when = m_list->item(row, 0)->text();
    const QString before = m_list->item(row, 1)->text();
    if (m_op.ask(QStringLiteral("Die Daten werden auf den Stand vom %1 (vor \"%2\") zurückgesetzt. Der jetzige "
                                "Stand wird vorher als Sicherungspunkt aufbewahrt.\nFortfahren?")
                     .arg(when, before),
                 {Button::No, Button::Yes}) != Button::Yes)
        return;
    {
        const auto wait = m_op.waitCursor();
        db::Snapshots(m_db).goBackTo(name);
    }
    refresh();
    m_op.inform(QStringLiteral("Die Daten sind auf den Stand vom %1 zurückgesetzt.").arg(when));
}

}  // namespace rq::windows
