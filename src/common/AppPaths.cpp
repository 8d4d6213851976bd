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
    // An installed program (its desktop entry lies in the prefix's share
    // folder) keeps its data in the user's folders, also when root could write
    // beside it; a build or an unpacked copy keeps them beside itself.
    const bool installed =
        QFileInfo::exists(programDirectory + QStringLiteral("/../share/applications/ranquill.desktop"));
    if (!installed && program.isDir() && program.isWritable()) {
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
