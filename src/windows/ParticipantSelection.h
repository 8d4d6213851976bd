#pragma once

#include <QDialog>

#include <array>
#include <functional>

class QButtonGroup;
class QLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabWidget;
class QTableView;

namespace rq {
class IniFile;
class Operator;
}  // namespace rq

namespace rq::capture {
class ParticipantData;
}

namespace rq::windows {

class ResultEntryWindow;

// "Resultate Einzelkategorien" (historically `TFlexSelectForm`): choose category
// and participant, see the status, count the statuses, choose points format
// and total; the second tab lists the captured participants for the
// conversion into a ranking list.
class ParticipantSelection : public QDialog
{
    Q_OBJECT

public:
    ParticipantSelection(capture::ParticipantData &data, ResultEntryWindow &resultEntry, Operator &op, IniFile &ini,
                         QWidget *parent = nullptr);
    ~ParticipantSelection() override;

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
    // Another station changed data: the participants of the current category
    // (with their status) and the conversion list are read again, the
    // current participant stays current.
    void showOthersChanges();

protected:
    void showEvent(QShowEvent *event) override;
    // On a database file, coming back to the window shows what changed meanwhile.
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    static constexpr int kDetailTitles = 4;

    QWidget *buildParticipantsTab();
    QLayout *buildCurrentDisplay(QWidget *page);
    QLayout *buildCurrentLines(QWidget *page);
    QWidget *buildSearchBox(QWidget *page);
    QLayout *buildPointsOptions(QWidget *page);
    QWidget *buildConversionTab();
    void connectCommands();
    void loadSettings();
    void categoryChanged();
    void personChanged();
    void tabChanged(int index);

    capture::ParticipantData &m_data;
    ResultEntryWindow &m_resultEntry;
    Operator &m_op;
    IniFile &m_ini;
    std::function<void(int)> m_convertAction;

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
    QLabel *m_convertLine = nullptr;
    QLineEdit *m_searchStart = nullptr;
    QPushButton *m_search = nullptr;
    QButtonGroup *m_format = nullptr;
    QButtonGroup *m_sumAvg = nullptr;
    QPushButton *m_info = nullptr;
    QPushButton *m_ok = nullptr;
    QPushButton *m_cancel = nullptr;
    QPushButton *m_convert = nullptr;
    QPushButton *m_convertOk = nullptr;
    QPushButton *m_convertCancel = nullptr;
    std::array<QLineEdit *, kDetailTitles> m_titles = {};
};

}  // namespace rq::windows
