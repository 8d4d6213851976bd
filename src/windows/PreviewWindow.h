#pragma once

#include "reports/Report.h"

#include <QDialog>

class QLabel;
class QLayout;

namespace rq {
class Operator;
}

namespace rq::windows {

// The preview of a report: page navigation, zoom, printing on the default
// printer, and saving as PDF, plain text, CSV or HTML. Shown modally.
class PreviewWindow : public QDialog
{
    Q_OBJECT

public:
    // "Speichern" proposes `saveDirectory` (the PDF directory) when given.
    PreviewWindow(reports::ReportDocument document, Operator &op, QWidget *parent = nullptr,
                  QString saveDirectory = QString());

    int page() const { return m_page; }
    int pageCount() const { return int(m_document.pages.size()); }
    void showPage(int page);
    // Saves by the file's suffix: .pdf, .txt, .csv or .html.
    void saveAs(const QString &path);

private:
    static constexpr double kZoomStep = 1.25;
    static constexpr double kMinZoom = 0.25;
    static constexpr double kMaxZoom = 4.0;

    QLayout *buildButtonBar();
    QWidget *buildPageView();
    void zoom(double factor);
    void askAndSave();
    void render();

    reports::ReportDocument m_document;
    Operator &m_op;
    QString m_saveDirectory;
    int m_page = 0;
    double m_zoom = 1.0;
    QLabel *m_view = nullptr;
    QLabel *m_pageLabel = nullptr;
};

}  // namespace rq::windows
