#include "ui/qthost.h"

#include "ui/frmabout.h"
#include "ui/frmupdater.h"
#include "ui/mainwindow.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileInfo>
#include <QFontMetrics>
#include <QGridLayout>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QSpacerItem>
#include <QStandardPaths>
#include <QUrl>
#include <QWindow>

void QtHost::attach(MainForm* form, MainWindow* mainWindow) {
    form_ = form;
    mainWindow_ = mainWindow;
}

Host::Answer QtHost::messageBox(const QString& title, const QString& text, Buttons buttons,
                                Icon icon) {
    QMessageBox box(mainWindow_ && mainWindow_->isVisible() ? mainWindow_ : nullptr);
    box.setWindowTitle(title);
    // The texts break their lines with CR LF; the box wants bare line feeds, and plain text so
    // that nothing in a message is taken for markup.
    box.setTextFormat(Qt::PlainText);
    box.setText(QString(text).replace(QLatin1String("\r\n"), QLatin1String("\n")));
    switch (icon) {
    case Icon::None:
        box.setIcon(QMessageBox::NoIcon);
        break;
    case Icon::Warning:
        box.setIcon(QMessageBox::Warning);
        break;
    case Icon::Error:
        box.setIcon(QMessageBox::Critical);
        break;
    case Icon::Question:
        box.setIcon(QMessageBox::Question);
        break;
    }

    // Escape and the frame's close control give the answer of the box's way out.
    Answer escapeAnswer = Answer::Ok;
    switch (buttons) {
    case Buttons::Ok:
        box.setStandardButtons(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Ok);
        escapeAnswer = Answer::Ok;
        break;
    case Buttons::OkCancel:
        box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Ok);
        box.setEscapeButton(QMessageBox::Cancel);
        escapeAnswer = Answer::Cancel;
        break;
    case Buttons::YesNo:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::No);
        escapeAnswer = Answer::No;
        break;
    case Buttons::YesNoCancel:
        box.setStandardButtons(QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        box.setDefaultButton(QMessageBox::Yes);
        box.setEscapeButton(QMessageBox::Cancel);
        escapeAnswer = Answer::Cancel;
        break;
    }

    // Wide enough that the window frame shows the whole title, not an elided one.
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout())) {
        QFont titleFont = box.font();
        titleFont.setBold(true);
        const int width = QFontMetrics(titleFont).horizontalAdvance(title) + 120;
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Expanding),
                      grid->rowCount(), 0, 1, grid->columnCount());
    }
    box.exec();
    switch (box.standardButton(box.clickedButton())) {
    case QMessageBox::Ok:
        return Answer::Ok;
    case QMessageBox::Cancel:
        return Answer::Cancel;
    case QMessageBox::Yes:
        return Answer::Yes;
    case QMessageBox::No:
        return Answer::No;
    default:
        return escapeAnswer;
    }
}

bool QtHost::openDocument(const QString& target) {
    // Web pages come checked and fully encoded; anything else is a local file (the help pages).
    const QUrl address(target, QUrl::StrictMode);
    if (address.isValid() &&
        (address.scheme() == QLatin1String("http") || address.scheme() == QLatin1String("https")))
        return QDesktopServices::openUrl(address);
    return QDesktopServices::openUrl(QUrl::fromLocalFile(QFileInfo(target).absoluteFilePath()));
}

const QStringList& QtHost::editors() {
    static const QStringList list = {QStringLiteral("gedit"),   QStringLiteral("mousepad"),
                                     QStringLiteral("kate"),    QStringLiteral("kwrite"),
                                     QStringLiteral("xed"),     QStringLiteral("pluma"),
                                     QStringLiteral("leafpad"), QStringLiteral("featherpad")};
    return list;
}

bool QtHost::startEditor(const QString& path) {
    const QString file = QFileInfo(path).absoluteFilePath();
    // $VISUAL and $EDITOR name terminal editors more often than not; a desktop editor is wanted.
    for (const QString& name : editors()) {
        const QString program = QStandardPaths::findExecutable(name);
        if (!program.isEmpty() && QProcess::startDetached(program, {file}))
            return true;
    }
    return QDesktopServices::openUrl(QUrl::fromLocalFile(file));
}

QWidget* QtHost::topLevel(const QString& objectName) const {
    if (mainWindow_ && mainWindow_->objectName() == objectName)
        return mainWindow_;
    const auto windows = QApplication::topLevelWidgets();
    for (QWidget* w : windows) {
        if (w->objectName() == objectName)
            return w;
    }
    return nullptr;
}

void QtHost::setOnTop(const QString& window, bool onTop) {
    QWidget* w = topLevel(window);
    if (!w)
        return;
    if (w->windowFlags().testFlag(Qt::WindowStaysOnTopHint) == onTop) {
        if (onTop && w->isVisible())
            w->raise();
        return;
    }
    const Qt::WindowFlags flags = w->windowFlags().setFlag(Qt::WindowStaysOnTopHint, onTop);
    QWindow* native = w->windowHandle();
    if (native && w->isVisible()) {
        // Set on the live window the flag only moves it between z-order bands. Going through
        // QWidget::setWindowFlags would hide and re-show it, and on X11 the re-shown window
        // loses its focus.
        w->overrideWindowFlags(flags);
        native->setFlags(flags);
        return;
    }
    // Not on screen: it takes the flag with it when it is shown. Nothing is shown here.
    const QRect geometry = w->geometry();
    w->setWindowFlags(flags);
    w->setGeometry(geometry);
}

void QtHost::setFocus(const QString& control) {
    if (mainWindow_)
        mainWindow_->focusControl(control);
}

QDateTime QtHost::now() {
    return QDateTime::currentDateTime();
}

void QtHost::showAbout() {
    if (form_)
        showAboutWindow(*form_, mainWindow_);
}

void QtHost::startUpdateCheck(bool automatic) {
    if (form_)
        openUpdateWindow(*form_, automatic, mainWindow_);
}

void QtHost::closeUpdateWindow() {
    ::closeUpdateWindow();
}

void QtHost::endProgram() {
    ended_ = true;
    QApplication::closeAllWindows();
    QCoreApplication::exit(0);
}
