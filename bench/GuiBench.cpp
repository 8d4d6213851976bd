#include "GuiBench.h"

#include "capture/FormulaParser.h"
#include "capture/ParticipantData.h"
#include "common/IniFile.h"
#include "db/Database.h"
#include "ranking/RankingListModels.h"
#include "widgets/WidgetOperator.h"
#include "windows/ParticipantSelection.h"
#include "windows/PreviewWindow.h"
#include "windows/RankingListEditor.h"
#include "windows/ResultEntryWindow.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSqlQueryModel>
#include <QTableView>
#include <QTimer>

#include <cstdio>
#include <functional>

namespace {

// Lets the windows handle what their last step posted (layout, paint).
void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

double timed(const std::function<void()> &step)
{
    QElapsedTimer t;
    t.start();
    step();
    settle();
    return t.nsecsElapsed() / 1e9;
}

// Notes when the progress bar is painted and whether the wait cursor shows
// then: the longest time the window shows no progress is the longest gap
// between two paints, or between the start or end of the work and a paint.
class ProgressWatch : public QObject
{
public:
    explicit ProgressWatch(QProgressBar *bar)
        : m_bar(bar)
    {
        bar->installEventFilter(this);
        m_clock.start();
    }
    void mark()
    {
        const qint64 now = m_clock.nsecsElapsed();
        m_longest = std::max(m_longest, now - m_last);
        m_last = now;
    }
    double longestSeconds() const { return m_longest / 1e9; }
    bool waitCursorAlways() const { return m_waitCursorAlways; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            mark();
            // While the bar shows work under way, the wait cursor shows too.
            const QCursor *cursor = QApplication::overrideCursor();
            if (m_bar->value() > 0)
                m_waitCursorAlways &= cursor && cursor->shape() == Qt::WaitCursor;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    QProgressBar *m_bar;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    bool m_waitCursorAlways = true;
};

}  // namespace

QList<GuiTiming> runGuiBenchmark(rq::db::Database &db, const QString &work, int category, bool &failed)
{
    const auto check = [&failed](bool ok, const char *what) {
        if (!ok) {
            std::fprintf(stderr, "FEHLER: %s\n", what);
            failed = true;
        }
    };
    QList<GuiTiming> table;
    QWidget main;
    main.resize(1024, 768);
    main.show();
    rq::WidgetOperator op(&main);
    rq::IniFile ini(work + QStringLiteral("/Ranquill-gui.ini"));
    const qint64 participants = db.scalar(QStringLiteral("SELECT count(*) FROM PERSON")).toLongLong();

    // The participant selection on the whole event, and a search for the last name of its largest category.
    rq::capture::ParticipantData data(db);
    rq::capture::FormulaParser parser(op);
    rq::windows::ResultEntryWindow entry(db, op, ini, parser, &main);
    rq::windows::ParticipantSelection selection(data, entry, op, ini, &main);
    table << GuiTiming{QStringLiteral("gui open selection"), participants, timed([&] { selection.show(); }), 0.5};
    selection.selectCategoryRow(data.categoryRow(category));
    settle();
    const QString lastName =
        db.scalar(QStringLiteral("SELECT NAME FROM PERSON WHERE KAT_ID = ? ORDER BY PERS_ID DESC"), {category})
            .toString();
    const qint64 inCategory =
        db.scalar(QStringLiteral("SELECT count(*) FROM PERSON WHERE KAT_ID = ?"), {category}).toLongLong();
    selection.field(QStringLiteral("EditSearchStart"))->setText(lastName);
    table << GuiTiming{QStringLiteral("gui search name"), inCategory, timed([&] { selection.search(); }), 0.5};
    check(selection.currentStartNr() ==
              db.scalar(QStringLiteral("SELECT max(PERS_ID) FROM PERSON WHERE KAT_ID = ?"), {category}).toInt(),
          "Teilnehmerauswahl: Suche fand den Namen nicht");
    selection.hide();

    // The ranking-list editor on the largest list, its last position, and "&Drucken" with preview.
    rq::ranking::RankingListModels models(db, op);
    rq::windows::RankingListEditor editor(models, op, ini, work + u'/', &main);
    const qint64 positions =
        db.scalar(QStringLiteral("SELECT count(*) FROM RANGPOS WHERE KAT_NR = ? AND KLASSE_NR = 0"), {category})
            .toLongLong();
    table << GuiTiming{QStringLiteral("gui open editor"), positions, timed([&] {
                           editor.show();
                           models.setCurrentRow(models.rowOf({category, 0}));
                           editor.tabs()->setCurrentIndex(rq::windows::RankingListEditor::Erfassen);
                       }),
                       0.5};
    QTableView *grid = editor.grid(rq::ranking::Level::Position);
    grid->setFocus();
    table << GuiTiming{QStringLiteral("gui last position"), positions, timed([&] {
                           QKeyEvent press(QEvent::KeyPress, Qt::Key_End, Qt::ControlModifier);
                           QCoreApplication::sendEvent(grid, &press);
                       }),
                       0.5};
    check(grid->currentIndex().row() == positions - 1, "Ranglisten-Editor: nicht auf der letzten Position");

    editor.tabs()->setCurrentIndex(rq::windows::RankingListEditor::Auswahl);
    editor.findChild<QCheckBox *>(QStringLiteral("CheckBoxPreview"))->setChecked(true);
    settle();
    ProgressWatch watch(editor.findChild<QProgressBar *>());
    QElapsedTimer clock;
    double firstPage = 0;
    int pages = 0;
    // The preview runs modally; a timer finds it once it shows and closes it.
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto *preview = qobject_cast<rq::windows::PreviewWindow *>(QApplication::activeModalWidget());
        if (!preview || !preview->isVisible())
            return;
        firstPage = clock.nsecsElapsed() / 1e9;
        watch.mark();
        pages = preview->pageCount();
        poll.stop();
        preview->accept();
    });
    poll.start();
    clock.start();
    watch.mark();
    editor.button(QStringLiteral("BitBtnPrint"))->click();
    poll.stop();
    check(firstPage > 0, "Drucken: keine Vorschau");
    check(watch.waitCursorAlways(), "Drucken: der Fortschritt zeigte sich ohne Sanduhr");
    table << GuiTiming{QStringLiteral("gui print preview page 1"), pages, firstPage, 1.5};
    table << GuiTiming{QStringLiteral("gui print longest without progress"), pages, watch.longestSeconds(), 0.5};
    editor.hide();
    return table;
}
