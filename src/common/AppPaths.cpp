#include "common/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace rq {
namespace {

QString withSlash(QString dir)
{
    if (!dir.endsWith(u'/'))
        dir += u'/';
    return dir;
}

}  // namespace

AppPaths AppPaths::detect()
{
    return forProgramDirectory(QCoreApplication::applicationDirPath());
}

AppPaths AppPaths::forProgramDirectory(const QString &programDirectory)
{
    AppPaths paths;
    const QString configBase = withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) +
                               QStringLiteral("Ranquill/");
    const QFileInfo program(programDirectory);
    if (program.isDir() && program.isWritable()) {
        paths.settingsFile = withSlash(programDirectory) + QStringLiteral("Ranquill.ini");
        paths.baseDirectory = withSlash(programDirectory);
    } else {
        paths.settingsFile = configBase + QStringLiteral("Ranquill.ini");
        paths.baseDirectory = withSlash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)) +
                              QStringLiteral("Ranquill/");
        QDir().mkpath(configBase);
    }
    paths.aliasFile = configBase + QStringLiteral("RANBASE.cfg");
    return paths;
}

}  // namespace rq
