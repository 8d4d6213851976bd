#pragma once

#include "capture/ResultEntry.h"

#include <QDialog>

class QComboBox;
class QLayout;
class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class QToolButton;

namespace rq::windows {

class ResultGrid;

// "Einzelresultate zu Teilnehmer erfassen" (historically `TFlexResultInForm`):
// one grid row per discipline of the participant; performances and additional
// values are checked when a row is left, "&Berechnen" computes points and
// total, "&Speichern" stores them.
class ResultEntryWindow : public QDialog
{
    Q_OBJECT

public:
    enum Column { Pos, Formel, Disziplin, Leistung, Einheit, Zusatzwert, Punkte, ColumnCount };

    ResultEntryWindow(db::Database &db, Operator &op, IniFile &ini, capture::FormulaParser &parser,
                      QWidget *parent = nullptr);
    ~ResultEntryWindow() override;

    // Loads the participant and shows the window modally; `decimals` and
    // `average` are the points format and total of the selection window.
    int run(int kat, int startNr, int decimals, bool average);
    // Loads the participant without showing the window.
    void prepare(int kat, int startNr, int decimals, bool average);

    QTableWidget *grid() const;
    QLineEdit *totalField() const { return m_total; }
    QPushButton *calculateButton() const { return m_calculate; }
    QPushButton *saveButton() const { return m_save; }
    QComboBox *statusBox() const { return m_status; }
    QLineEdit *field(const QString &objectName) const;

    // The cell-selection rule: validates and recalculates the row being left,
    // then moves to the "Leistung" cell of any row or the "Zusatzwert" cell of
    // the current row once it has a performance. False when refused.
    bool moveTo(int row, int column);
    void calculate();
    void saveResults();

protected:
    void reject() override;
    void showEvent(QShowEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    friend class ResultGrid;
    QLayout *buildDisplays();
    QWidget *buildGrid();
    QLayout *buildPersonFields();
    QLayout *buildButtons();
    void connectCommands();
    void takeLastTotal();
    void load();
    void showRow(int row);
    int neededWidth(int column) const;
    void fitColumns();
    void clearTotal();
    void cellEdited(int row, int column);
    void handleKey(int key, Qt::KeyboardModifiers modifiers);
    void editorClosed(int hint);

    capture::ResultEntry m_entry;
    Operator &m_op;
    IniFile &m_ini;
    int m_decimals = 0;
    bool m_average = false;
    bool m_filling = false;
    bool m_unsaved = false;  // something was typed since the participant was loaded or saved
    int m_kat = 0;
    int m_startNr = 0;

    ResultGrid *m_grid = nullptr;
    QLineEdit *m_total = nullptr;
    QToolButton *m_takeLast = nullptr;
    QLabel *m_lastTotal = nullptr;
    QLineEdit *m_name = nullptr;
    QLineEdit *m_vorname = nullptr;
    QLineEdit *m_jahrgang = nullptr;
    QLineEdit *m_rang = nullptr;
    QLineEdit *m_auszeichnung = nullptr;
    QLineEdit *m_bemerkung = nullptr;
    QComboBox *m_status = nullptr;
    QPushButton *m_calculate = nullptr;
    QPushButton *m_save = nullptr;
    QPushButton *m_cancel = nullptr;
    QLabel *m_katLabel = nullptr;
    QLabel *m_startLabel = nullptr;
    QLabel *m_disziplinLabel = nullptr;
    QLabel *m_sparteLabel = nullptr;
    QLabel *m_kategorieLabel = nullptr;
    QLabel *m_vereinLabel = nullptr;
};

}  // namespace rq::windows
