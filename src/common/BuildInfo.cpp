#include "common/BuildInfo.h"

#include <QRegularExpression>
#include <QSysInfo>

#include <unistd.h>

namespace rq::build {

QString productVersion()
{
    return QStringLiteral(RANQUILL_VERSION);
}

QString fileVersion()
{
    return QStringLiteral(RANQUILL_VERSION "+" RANQUILL_GIT_REVISION);
}

QString osLine(const QString &kernelName, const QString &kernelRelease, const QString &distribution)
{
    static const QRegularExpression re(QStringLiteral("^(\\d+)(?:\\.(\\d+))?(?:\\.(\\d+))?"));
    const QRegularExpressionMatch m = re.match(kernelRelease);
    const int major = m.captured(1).toInt();
    const int minor = m.captured(2).toInt();
    const int build = m.captured(3).toInt();
    const QString name = kernelName.isEmpty() ? QStringLiteral("Linux") : kernelName;
    if (!m.hasMatch())
        return QStringLiteral("%1 %2.%3").arg(name).arg(major).arg(minor);
    if (!distribution.isEmpty())
        return QStringLiteral("%1 %2.%3 (Build %4: %5)").arg(name).arg(major).arg(minor).arg(build).arg(distribution);
    return QStringLiteral("%1 %2.%3 (Build %4)").arg(name).arg(major).arg(minor).arg(build);
}

QString osLine()
{
    QString kernel = QSysInfo::kernelType();
    if (!kernel.isEmpty())
        kernel[0] = kernel[0].toUpper();
    return osLine(kernel, QSysInfo::kernelVersion(), QSysInfo::prettyProductName());
}

qint64 physicalMemoryKb()
{
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0)
        return 0;
    return qint64(pages) * qint64(pageSize) / 1024;
}

}  // namespace rq::build
