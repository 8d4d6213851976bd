#pragma once

#include <QString>

namespace rq {

// Where settings, data and the database alias live. Beside the executable when
// that directory is writable; otherwise settings in $XDG_CONFIG_HOME/Ranquill/
// and data in $XDG_DATA_HOME/Ranquill/. Computed once at start-up.
struct AppPaths
{
    QString settingsFile;  // ".../Ranquill.ini"
    QString baseDirectory;  // holds "Daten" and "PDF-Temp"; ends with "/"
    QString aliasFile;  // the engine configuration holding the alias RANBASE

    // The paths for the running executable.
    static AppPaths detect();
    // The paths when the program lives in `programDirectory`: beside it when that
    // is writable and the program is not installed (no
    // ../share/applications/ranquill.desktop), else in the XDG folders.
    static AppPaths forProgramDirectory(const QString &programDirectory);

    QString defaultDataDirectory() const { return baseDirectory + QStringLiteral("Daten/"); }
    QString defaultPdfDirectory() const { return baseDirectory + QStringLiteral("PDF-Temp/"); }
};

}  // namespace rq
