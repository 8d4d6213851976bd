#pragma once

#include "ranking/KonfigDataModule.h"
#include "ranking/RankingOperations.h"

#include <QDialog>
#include <QHash>

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
}

namespace rq::ranking {

// The ranking-list editor "Rangliste": tab "Auswahl" chooses the current list
// and holds the output options, tab "Erfassen" edits title row, positions,
// blocks and details in four linked grids, tab "Rangieren" shows the ordered
// list with the ranking, award and total commands.
class KonfigInForm : public QDialog
{
    Q_OBJECT

public:
    enum Tab { Auswahl = 0, Erfassen = 1, Rangieren = 2 };

    KonfigInForm(KonfigDataModule &module, Operator &op, IniFile &ini, const QString &programDirectory,
                 QWidget *parent = nullptr);
    ~KonfigInForm() override;

    // Output options read by the pre-stage, the reports and the generation.
    QString awardText() const;
    bool preview() const;
    bool rankSeparators() const;
    bool shortDetail() const;
    bool singleLine() const;
    bool rePrint() const;
    QString intro() const;
    QString pdfPath() const { return m_pdfPath; }
    bool ascending() const;
    bool byAge() const;
    QProgressBar *progressBar() const { return m_progress; }

    QTabWidget *tabs() const { return m_tabs; }
    QTableView *listGrid() const { return m_listGrid; }
    QTableView *grid(Level level) const;
    QTableView *orderGrid() const { return m_orderGrid; }
    QString captionText() const;
    // The buttons of the tab "Rangieren" and "Auswahl" that other commands wire.
    QPushButton *button(const QString &objectName) const;

    // The tool bar's commands on the grid that last had the focus.
    void insertRow();
    void deleteRow(bool askGridQuestion = false);
    void postRow();
    void cancelRow();

    // Re-reads the ordered list with the current sort settings.
    void reopenOrderedList();
    SortSettings sortSettings() const;
    // The position number of the ordered grid's current row, or -1.
    int currentOrderedPosition() const;
    void selectOrderedPosition(int position);

protected:
    void showEvent(QShowEvent *event) override;
    void done(int result) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QWidget *buildSelectionTab();
    QWidget *buildEditingTab();
    QWidget *buildRankingTab();
    QWidget *buildToolBar();
    void setUpEditingGrid(Level level, QTableView *view);
    void tabChanged(int index);
    void rowChanged(Level level, int current, int previous);
    void refreshLinks(Level level);
    void commitEditor(QTableView *view);
    void fitColumns(QTableView *view);
    void loadSettings();
    void storeSettings();
    void reselectListRow();
    void showOrderedColumns();
    void wireRankingCommands();
    void wireOutputCommands();
    // Runs a command of the tab "Rangieren" with the ordered grid frozen; the
    // command returns the position to select afterwards (-1: the current one).
    void runOnOrderedList(const std::function<int(int currentPosition)> &command);

    KonfigDataModule &m_module;
    Operator &m_op;
    RankingOperations m_operations;
    IniFile &m_ini;
    QString m_programDirectory;
    QString m_pdfPath;
    int m_previousTab = Auswahl;
    bool m_restoringRow = false;
    bool m_inserting = false;

    QTabWidget *m_tabs = nullptr;
    QTableView *m_listGrid = nullptr;
    QHash<int, QTableView *> m_grids;  // by Level
    QTableView *m_orderGrid = nullptr;
    QTableView *m_activeGrid = nullptr;
    QLabel *m_caption = nullptr;
    QProgressBar *m_progress = nullptr;
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
    QHash<QTableView *, int> m_narrowestLast;
};

} // namespace rq::ranking
