#include "form/mainform.h"
#include "records/instance.h"
#include "ui/logo.h"
#include "ui/mainwindow.h"
#include "ui/menubar.h"
#include "ui/qthost.h"
#include "version.h"

#include <QApplication>
#include <QFont>
#include <QLocale>
#include <QStringList>
#include <cstdio>
#include <cstring>

namespace {

const char kUsage[] =
    "Usage: voltrake [-InhibitErrorCheck | -ShortUpdateTime]\n"
    "       voltrake --help | --version\n"
    "\n"
    "Works out and predicts a household electricity bill from two meter readings.\n"
    "\n"
    "Start options (the command line must begin with one of them):\n"
    "  -InhibitErrorCheck  the input checks accept every value\n"
    "  -ShortUpdateTime    a short update check that poses as an old version\n"
    "  --help              show this text and exit\n"
    "  --version           show the version and exit\n"
    "\n"
    "Files, relative to the working directory (the voltrake launcher uses\n"
    "$XDG_DATA_HOME/voltrake, by default ~/.local/share/voltrake):\n"
    "  Data/Voltrake.ini   tariff and option switches\n"
    "  Log/Voltrake.log    results log\n"
    "  Log/Voltrake_H.log  history log\n"
    "  Help/index.htm      help pages\n"
    "\n"
    "See voltrake(1).\n";

// Answered before any window, display or file is touched, and only when the option is the
// whole command line: everything else stays the program's own start options.
bool answeredOnTerminal(int argc, char** argv) {
    if (argc != 2)
        return false;
    if (std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return true;
    }
    if (std::strcmp(argv[1], "--version") == 0) {
        std::printf("Voltrake %d.%d\n", VOLTRAKE_VERSION_MAJOR, VOLTRAKE_VERSION_MINOR);
        return true;
    }
    return false;
}

} // namespace

// StartProgram
int main(int argc, char** argv) {
    if (answeredOnTerminal(argc, argv))
        return std::fflush(stdout) == 0 ? 0 : 1;
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
    // The desktop theme's icon where it has one; the other windows share it.
    window.setWindowIcon(voltrakeIcon());
    QApplication::setWindowIcon(window.windowIcon());
    QGuiApplication::setDesktopFileName(QStringLiteral("org.voltrake.Voltrake"));
    attachMenuBar(form, &window);
    window.ensureLoaded();
    if (host.ended())
        return 0;
    window.show();
    if (host.ended())
        return 0;
    return QApplication::exec();
}
