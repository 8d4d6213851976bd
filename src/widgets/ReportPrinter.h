#pragma once

#include "reports/Report.h"

class QPrinter;

namespace rq {

class Progress;

// Prints a report on `printer`: A4 with no margins of the printer's own (the
// report carries its margins), one sheet per report page. Throws Error when the
// printer cannot be opened; nothing is then half printed.
// `progress` counts the pages, when given.
void printReport(const reports::ReportDocument &document, QPrinter &printer, Progress *progress = nullptr);

// The same on the system's default printer, without a dialog. Throws Error
// when there is no printer.
void printOnDefaultPrinter(const reports::ReportDocument &document, Progress *progress = nullptr);

}  // namespace rq
