#pragma once

#include <QString>

// Build data compiled into the program and facts of the running system,
// shown by the about box.
namespace rq::build {

QString productVersion();  // the project version, "0.1.0"
QString fileVersion();  // version and git revision, "0.1.0+1a2b3c4"

// The operating-system line in the shape "%s %d.%d (Build %d: %s)": kernel name,
// kernel major and minor version, the kernel's patch level as build, and the
// distribution's name in the place of a service pack. Without a distribution
// name: "%s %d.%d (Build %d)".
QString osLine();
// Same shape from given parts, for tests.
QString osLine(const QString &kernelName, const QString &kernelRelease, const QString &distribution);

// Total physical memory in kilobytes (bytes / 1024, rounded down).
qint64 physicalMemoryKb();

}  // namespace rq::build
