#pragma once

#include <QDialog>

class QLabel;
class QPushButton;
class QTableWidget;

namespace rq {
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::windows {

// "Sicherungspunkte": the snapshots taken before the commands that delete or
// overwrite data, newest first, and the way back to one of them.
class SnapshotDialog : public QDialog
{
    Q_OBJECT

public:
    SnapshotDialog(db::Database &db, Operator &op, QWidget *parent = nullptr);

    QTableWidget *list() const { return m_list; }
    // "Zurücksetzen" on the selected snapshot, after the operator confirmed.
    void goBack();
    // Reads the snapshots again.
    void refresh();

protected:
    void showEvent(QShowEvent *event) override;

private:
    db::Database &m_db;
    Operator &m_op;
    QTableWidget *m_list = nullptr;
    QLabel *m_note = nullptr;
    QPushButton *m_goBack = nullptr;
};

}  // namespace rq::windows
