#include "windows/PreviewWindow.h"

#include "common/CodePage1252.h"
#include "common/Errors.h"
#include "common/Operator.h"
#include "widgets/ReportPrinter.h"

#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QImage>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

namespace rq::windows {

PreviewWindow::PreviewWindow(reports::ReportDocument document, Operator &op, QWidget *parent, QString saveDirectory)
    : QDialog(parent)
    , m_document(std::move(document))
    , m_op(op)
    , m_saveDirectory(std::move(saveDirectory))
{
    setWindowTitle(QStringLiteral("Druckvorschau - ") + m_document.title);
    resize(900, 700);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(buildButtonBar());
    layout->addWidget(buildPageView(), 1);
    render();
}

QLayout *PreviewWindow::buildButtonBar()
{
    auto *bar = new QHBoxLayout;
    const auto button = [&](const QString &caption, const std::function<void()> &action) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(caption);
        b->setAutoDefault(false);
        connect(b, &QPushButton::clicked, this, [this, action] { runGuarded(m_op, action); });
        bar->addWidget(b);
        return b;
    };
    button(QStringLiteral("Erste"), [this] { showPage(0); });
    button(QStringLiteral("Vorherige"), [this] { showPage(m_page - 1); });
    m_pageLabel = new QLabel(this);
    bar->addWidget(m_pageLabel);
    button(QStringLiteral("Nächste"), [this] { showPage(m_page + 1); });
    button(QStringLiteral("Letzte"), [this] { showPage(int(m_document.pages.size()) - 1); });
    button(QStringLiteral("Vergrössern"), [this] { zoom(kZoomStep); });
    button(QStringLiteral("Verkleinern"), [this] { zoom(1 / kZoomStep); });
    bar->addStretch();
    button(QStringLiteral("Drucken"), [this] {
        printOnDefaultPrinter(m_document, m_op.progress(QStringLiteral("Rangliste wird gedruckt …")).get());
    });
    button(QStringLiteral("Speichern"), [this] { askAndSave(); });
    button(QStringLiteral("Schliessen"), [this] { accept(); })->setDefault(true);
    return bar;
}

QWidget *PreviewWindow::buildPageView()
{
    auto *scroll = new QScrollArea(this);
    m_view = new QLabel(scroll);
    m_view->setAlignment(Qt::AlignCenter);
    scroll->setWidget(m_view);
    scroll->setWidgetResizable(true);
    scroll->setBackgroundRole(QPalette::Dark);
    return scroll;
}

void PreviewWindow::zoom(double factor)
{
    m_zoom = std::clamp(m_zoom * factor, kMinZoom, kMaxZoom);
    render();
}

void PreviewWindow::askAndSave()
{
    FileDialogRequest request;
    request.title = QStringLiteral("Bericht speichern");
    request.filter = QStringLiteral("PDF-Datei (*.pdf)|*.pdf|Textdatei (*.txt)|*.txt|CSV-Datei (*.csv)|*.csv|"
                                    "HTML-Datei (*.html)|*.html");
    request.fileName = m_document.title + QStringLiteral(".pdf");
    request.promptOverwrite = true;
    if (!m_saveDirectory.isEmpty()) {
        QDir().mkpath(m_saveDirectory);
        request.initialDirectory = m_saveDirectory;
    }
    if (const auto path = m_op.chooseSaveFile(request))
        saveAs(*path);
}

void PreviewWindow::showPage(int page)
{
    m_page = std::clamp(page, 0, std::max(0, int(m_document.pages.size()) - 1));
    render();
}

void PreviewWindow::render()
{
    const double pxPerMm = 96 / 25.4 * m_zoom;
    QImage image(int(m_document.pageSize.width() * pxPerMm), int(m_document.pageSize.height() * pxPerMm),
                 QImage::Format_RGB32);
    image.setDotsPerMeterX(int(pxPerMm * 1000));
    image.setDotsPerMeterY(int(pxPerMm * 1000));
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    reports::paintPage(m_document, m_page, painter, pxPerMm);
    painter.end();
    m_view->setPixmap(QPixmap::fromImage(image));
    m_pageLabel->setText(QStringLiteral("Seite %1 von %2").arg(m_page + 1).arg(m_document.pages.size()));
}

void PreviewWindow::saveAs(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QStringLiteral("txt"))
        cp1252::writeLines(path, reports::plainText(m_document));
    else if (suffix == QStringLiteral("csv"))
        cp1252::writeLines(path, reports::csvText(m_document));
    else if (suffix == QStringLiteral("html") || suffix == QStringLiteral("htm"))
        cp1252::writeLines(path, reports::htmlText(m_document));
    else
        reports::writePdf(m_document, path);
}

}  // namespace rq::windows
