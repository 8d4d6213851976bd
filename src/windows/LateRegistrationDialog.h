#pragma once

#include <QDialog>

#include <memory>

class QAction;
class QLayout;
class QLineEdit;
class QPushButton;
class QSqlQueryModel;
class QTableView;

namespace rq {
class IniFile;
class Operator;
}  // namespace rq

namespace rq::db {
class Database;
}

namespace rq::windows {

// "Nachmeldung" (historically `TOptionDlg`): a participant registered on the
// day, with his club chosen from the club list.
class LateRegistrationDialog : public QDialog
{
    Q_OBJECT

public:
    LateRegistrationDialog(db::Database &db, Operator &op, IniFile &ini, QWidget *parent = nullptr);
    ~LateRegistrationDialog() override;

    QLineEdit *field(const QString &objectName) const;
    QTableView *clubs() const { return m_clubs; }
    // "Übernehmen"; with `close` ("OK") the dialog closes whatever happened.
    void apply(bool close);
    // "Nach Ort suchen" with the text given.
    void findPlace(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    QTableView *buildClubList();
    QLayout *buildFields();
    QLayout *buildButtons();
    void askPlace();

    db::Database &m_db;
    Operator &m_op;
    IniFile &m_ini;
    std::unique_ptr<QSqlQueryModel> m_model;
    QTableView *m_clubs = nullptr;
    QLineEdit *m_kat = nullptr;
    QLineEdit *m_start = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_vorname = nullptr;
    QLineEdit *m_jahrgang = nullptr;
    QAction *m_searchAction = nullptr;
    QPushButton *m_find = nullptr;
    QPushButton *m_apply = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
};

}  // namespace rq::windows
