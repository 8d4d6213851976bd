#pragma once

#include <QDialog>

#include <memory>

class QLineEdit;
class QSqlQueryModel;
class QTableView;

namespace rq {
class IniFile;
class Operator;
}

namespace rq::db {
class Database;
}

namespace rq::capture {

// "Nachmeldung": a participant registered on the day, with his club chosen
// from the club list.
class OptionDlg : public QDialog
{
    Q_OBJECT

public:
    OptionDlg(db::Database &db, Operator &op, IniFile &ini, QWidget *parent = nullptr);
    ~OptionDlg() override;

    QLineEdit *field(const QString &objectName) const;
    QTableView *clubs() const { return m_clubs; }
    // "Übernehmen"; with `close` ("OK") the dialog closes whatever happened.
    void apply(bool close);
    // "Nach Ort suchen" with the text given.
    void findPlace(const QString &text);

protected:
    void showEvent(QShowEvent *event) override;

private:
    db::Database &m_db;
    Operator &m_op;
    IniFile &m_ini;
    std::unique_ptr<QSqlQueryModel> m_model;
    QTableView *m_clubs = nullptr;
};

} // namespace rq::capture
