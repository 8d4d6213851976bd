#pragma once

#include "interchange/RankingListExport.h"
#include "ranking/RankingListModels.h"
#include "ranking/RankingRules.h"
#include "reports/ReportDispatch.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QHash>

#include <functional>

class QButtonGroup;
class QCheckBox;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTabWidget;
class QTableView;

namespace rq {
class IniFile;
class Operator;
}  // namespace rq

namespace rq::windows {

// The ranking-list editor "Rangliste" (historically `KonfigInForm`): tab
// "Auswahl" chooses the list and holds the output options, tab "Erfassen" edits
// title row, positions, blocks and details in four linked grids, tab
// "Rangieren" shows the positions in ranking order with the ranking, award and
// total commands. Every command works on the list selected on "Auswahl".
class RankingListEditor : public QDialog
{
    Q_OBJECT

public:
    enum Tab { Auswahl = 0, Erfassen = 1, Rangieren = 2 };

    RankingListEditor(ranking::RankingListModels &models, Operator &op, IniFile &ini, const QString &programDirectory,
                      QWidget *parent = nullptr);
    ~RankingListEditor() override;

    // The options read by the outputs and by the generation of lists.
    QString awardText() const;
    reports::ReportOptions reportOptions() const;
    bool preview() const;
    bool rePrint() const;
    QString pdfPath() const { return m_pdfPath; }
    ranking::SortSettings sortSettings() const;
    // What "Kategorie suchen" proposes next.
    void setLastCategorySearch(const QString &text);

    QTabWidget *tabs() const { return m_tabs; }
    QTableView *listGrid() const { return m_listGrid; }
    QTableView *grid(ranking::Level level) const;
    QTableView *orderGrid() const { return m_orderGrid; }
    QString captionText() const;
    // A command button by its object name ("BitBtnPrint", "BitBtnRank", ...).
    QPushButton *button(const QString &objectName) const;

    // The tool bar's commands on the grid that last had the focus.
    void insertRow();
    void deleteRow(bool askGridQuestion = false);
    void postRow();
    void cancelRow();

    // Another station changed data: the list of lists and, unless the operator
    // has an edit pending, the grids are read again.
    void showOthersChanges();

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    // On a database file, coming back to the window shows what changed meanwhile.
    void changeEvent(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    enum class Navigation { First, Prior, Next, Last };

    QWidget *buildSelectionTab();
    QLayout *buildOutputButtons(QWidget *page);
    QLayout *buildOutputOptions(QWidget *page);
    QTableView *buildListGrid(QWidget *page);
    QWidget *buildEditingTab();
    QLabel *listLine(QWidget *page);
    void showListLines();
    QWidget *buildRankingTab();
    QWidget *buildTotalsGroup(QWidget *page);
    QWidget *buildRankingGroup(QWidget *page);
    QWidget *buildAwardsGroup(QWidget *page);
    QWidget *buildToolBar();
    QPushButton *commandButton(const QString &caption, const QString &name, const QString &hint, QWidget *parent);
    void setUpEditingGrid(ranking::Level level, QTableView *view);

    void connectRankingCommands();
    void connectOutputCommands();
    // Runs a command of the tab "Rangieren" on the selected list with the
    // ordered grid frozen; the command returns the position to select
    // afterwards (-1: the current one). The grid shows the new order after it.
    void runOnOrderedList(const std::function<int(const ranking::RankingList &, int currentPosition)> &command);
    void print();
    void printTemplate();
    void exportList(interchange::ExportKind kind);
    void showProgress(int done, int total);

    void tabChanged(int index);
    void rowChanged(ranking::Level level, int current, int previous);
    void refreshLinks(ranking::Level level);
    void navigate(Navigation how);
    void commitEditor(QTableView *view);
    void fitColumns(QTableView *view);
    void reselectListRow();
    void reopenOrderedList();
    int currentOrderedPosition() const;
    void selectOrderedPosition(int position);
    void loadSettings();
    void storeSettings();

    ranking::RankingListModels &m_models;
    Operator &m_op;
    IniFile &m_ini;
    QString m_programDirectory;
    QString m_pdfPath;
    int m_previousTab = Auswahl;
    bool m_restoringRow = false;
    bool m_inserting = false;

    QTabWidget *m_tabs = nullptr;
    QTableView *m_listGrid = nullptr;
    QHash<ranking::Level, QTableView *> m_grids;
    QTableView *m_orderGrid = nullptr;
    QTableView *m_activeGrid = nullptr;
    QLabel *m_caption = nullptr;
    QLabel *m_listLines[2] = {nullptr, nullptr};  // which list "Erfassen" and "Rangieren" work on
    QProgressBar *m_progress = nullptr;
    QElapsedTimer m_progressShown;
    QHash<QString, QPushButton *> m_buttons;  // by object name
    QPushButton *m_print = nullptr;
    QPushButton *m_saveStage = nullptr;
    QPushButton *m_template = nullptr;
    QPushButton *m_export = nullptr;
    QCheckBox *m_rePrint = nullptr;
    QCheckBox *m_preview = nullptr;
    QCheckBox *m_spacer = nullptr;
    QCheckBox *m_shortDetail = nullptr;
    QCheckBox *m_singleLine = nullptr;
    QCheckBox *m_age = nullptr;
    QLineEdit *m_intro = nullptr;
    QLineEdit *m_art = nullptr;
    QLineEdit *m_count = nullptr;
    QButtonGroup *m_sumAvg = nullptr;
    QButtonGroup *m_format = nullptr;
    QButtonGroup *m_modus = nullptr;
    QButtonGroup *m_ascDesc = nullptr;
};

}  // namespace rq::windows
