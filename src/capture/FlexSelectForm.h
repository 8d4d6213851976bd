#pragma once

#include <QDialog>

#include <functional>

class QButtonGroup;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace rq {
class IniFile;
class Operator;
}

namespace rq::capture {

class StartResultDataModule;
class FlexResultInForm;

// "Resultate Einzelkategorien": choose category and participant, see the
// status, count the statuses, choose points format and total; the second tab
// lists the captured participants for the conversion into a ranking list.
class FlexSelectForm : public QDialog
{
    Q_OBJECT

public:
    FlexSelectForm(StartResultDataModule &data, FlexResultInForm &resultEntry, Operator &op, IniFile &ini,
                   QWidget *parent = nullptr);
    ~FlexSelectForm() override;

    int decimals() const;
    bool average() const;
    // The four detail-line titles of the tab "Listenkonvertierung".
    QString detailTitle(int n) const;
    int currentCategory() const;
    int currentStartNr() const;
    QString statusText() const;

    QTableView *categoryGrid() const { return m_categories; }
    QTableView *personGrid() const { return m_persons; }
    QPushButton *button(const QString &objectName) const;
    QLineEdit *field(const QString &objectName) const;
    QTabWidget *tabs() const { return m_tabs; }

    // OK: result entry for the current participant, then back on the same one.
    void openResultEntry();
    // "&Suchen".
    void search();
    // "Info".
    void showStatusCount();
    // Wired by the generation of ranking lists: runs for the current category.
    void setConvertAction(std::function<void(int kat)> action);
    void selectCategoryRow(int row);
    void selectPersonRow(int row);

protected:
    void showEvent(QShowEvent *event) override;

private:
    void categoryChanged();
    void personChanged();
    void tabChanged(int index);

    StartResultDataModule &m_data;
    FlexResultInForm &m_resultEntry;
    Operator &m_op;
    IniFile &m_ini;
    std::function<void(int)> m_convert;

    QTabWidget *m_tabs = nullptr;
    QTableView *m_categories = nullptr;
    QTableView *m_persons = nullptr;
    QTableView *m_ordered = nullptr;
    QLabel *m_kat = nullptr;
    QLabel *m_start = nullptr;
    QLabel *m_status = nullptr;
    QLabel *m_sparte = nullptr;
    QLabel *m_kategorie = nullptr;
    QLabel *m_name = nullptr;
    QLabel *m_verein = nullptr;
    QLineEdit *m_searchKat = nullptr;
    QLineEdit *m_searchStart = nullptr;
    QPushButton *m_search = nullptr;
    QButtonGroup *m_format = nullptr;
    QButtonGroup *m_sumAvg = nullptr;
    QLineEdit *m_titles[4] = {};
};

} // namespace rq::capture
