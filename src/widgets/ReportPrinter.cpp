#include "widgets/ReportPrinter.h"

#include "common/Errors.h"
#include "common/Operator.h"

#include <QPainter>
#include <QPrinter>
#include <QPrinterInfo>

namespace rq {

void printReport(const reports::ReportDocument &document, QPrinter &printer, Progress *progress)
{
    printer.setDocName(document.title);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(QPageLayout::Portrait);
    printer.setFullPage(true);
    QPainter painter;
    if (!painter.begin(&printer))
        throw Error(QStringLiteral("Der Drucker %1 kann nicht angesprochen werden").arg(printer.printerName()));
    for (int p = 0; p < document.pages.size(); ++p) {
        if (progress)
            progress->advance(p, document.pages.size());
        if (p > 0)
            printer.newPage();
        reports::paintPage(document, p, painter, printer.resolution() / 25.4);
    }
}

void printOnDefaultPrinter(const reports::ReportDocument &document, Progress *progress)
{
    const QPrinterInfo info = QPrinterInfo::defaultPrinter();
    if (info.isNull())
        throw Error(QStringLiteral("Es ist kein Standarddrucker eingerichtet; die Rangliste wurde nicht gedruckt"));
    QPrinter printer(info, QPrinter::HighResolution);
    printReport(document, printer, progress);
}

}  // namespace rq
