#pragma once

#include "reports/Report.h"

class QPrinter;

namespace rq {

// Prints a report on `printer`: A4 with no margins of the printer's own (the
// report carries its margins), one sheet per report page. Throws Error when the
// printer cannot be opened; nothing is then half printed.
void printReport(const reports::ReportDocument &document, QPrinter &printer);

// The same on the system's default printer, without a dialog. Throws Error
// when there is no printer.
void printOnDefaultPrinter(const reports::ReportDocument &document);

}  // namespace rq
