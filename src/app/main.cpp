#include "app/Application.h"
#include "app/MainWindow.h"
#include "common/AppPaths.h"
#include "common/IniFile.h"
#include "common/SingleInstance.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QMessageBox>
#include <QProxyStyle>
#include <QTranslator>

#include <csignal>

namespace {

// Tooltips show after half a second and follow each other within 100 ms.
class RanquillStyle : public QProxyStyle
{
public:
    int styleHint(StyleHint hint, const QStyleOption *option, const QWidget *widget,
                  QStyleHintReturn *returnData) const override
    {
        if (hint == SH_ToolTip_WakeUpDelay)
            return 500;
        if (hint == SH_ToolTip_FallAsleepDelay)
            return 100;
        return QProxyStyle::styleHint(hint, option, widget, returnData);
    }
};

}  // namespace

int main(int argc, char *argv[])
{
    // Beyond a file-size limit a write fails and is reported, instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    rq::SingleInstance instance;
    QApplication app(argc, argv);
    const auto lock = instance.acquire();
    if (lock != rq::SingleInstance::Result::Acquired) {
        // A lock that cannot be taken for another reason than a running copy says why.
        QMessageBox box(QMessageBox::NoIcon, QStringLiteral("Ranquill"),
                        lock == rq::SingleInstance::Result::HeldElsewhere ? rq::SingleInstance::alreadyRunningMessage()
                                                                          : instance.failure(),
                        QMessageBox::Ok);
        box.exec();
        return 1;
    }
    QApplication::setApplicationName(QStringLiteral("Ranquill"));
    QApplication::setStyle(new RanquillStyle);
    // Qt's own dialogs (file dialogs, input boxes) speak German as the program does.
    QTranslator qtTranslator;
    if (qtTranslator.load(QLocale(QLocale::German), QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtTranslator);
    // Numbers in widgets follow the program's fixed formats, not the system's.
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
    QLocale::setDefault(c);

    const rq::AppPaths paths = rq::AppPaths::detect();
    rq::IniFile ini(paths.settingsFile);

    // Created once, in this order; they live until the process ends.
    rq::Application application(paths, ini);
    rq::MainWindow &mainWindow = application.mainWindow();
    mainWindow.showStored();
    mainWindow.activateWindow();
    return app.exec();
}
