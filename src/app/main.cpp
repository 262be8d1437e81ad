#include "form/mainform.h"
#include "records/instance.h"
#include "ui/mainwindow.h"
#include "ui/qthost.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QStringList>

// StartProgram
int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Voltrake"));
    QApplication::setApplicationVersion(versionText());
    // Numbers, money and dates follow the user's regional settings.
    QLocale::setDefault(QLocale::system());
    QFont font = QApplication::font();
    font.setFamily(QStringLiteral("Arial"));
    QApplication::setFont(font);

    // A second copy starts and runs like the first; it only leaves the running-copy mark alone.
    IsRunning(QStringLiteral("Voltrake"));

    QtHost host;
    MainForm form(host);
    form.CommandLine = QApplication::arguments().mid(1).join(QLatin1Char(' '));

    MainWindow window(form);
    host.attach(&form, &window);
    // The other windows and the desktop show the main window's icon.
    QApplication::setWindowIcon(window.windowIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("voltrake"));
    window.ensureLoaded();
    if (host.ended())
        return 0;
    window.show();
    if (host.ended())
        return 0;
    return QApplication::exec();
}
