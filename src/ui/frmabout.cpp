#include "ui/frmabout.h"

#include "form/mainform.h"
#include "form/web.h"
#include "ui/logo.h"
#include "ui_frmAbout.h"

#include <QDialog>
#include <memory>

// The logo is a resource of this static library; the linker keeps it only when it is named.
static void initAboutResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

// The address as people write it: no scheme, no closing "/".
QString shownAddress(QString address) {
    for (const char* scheme : {"https://", "http://"}) {
        if (address.startsWith(QLatin1String(scheme), Qt::CaseInsensitive)) {
            address = address.mid(qsizetype(qstrlen(scheme)));
            break;
        }
    }
    while (address.endsWith(QLatin1Char('/')))
        address.chop(1);
    return address;
}

class AboutWindow : public QDialog {
  public:
    AboutWindow(MainForm& f, QWidget* parent) : QDialog(parent), f_(f) {
        ui_.setupUi(this);
        setWindowTitle(QStringLiteral("About ") + QStringLiteral("Voltrake"));
        ui_.ProgName->setText(QStringLiteral("Voltrake"));
        ui_.ProgVersion->setText(QStringLiteral("Version ") + versionText());
        // The window follows the desktop's font size; the name stands out at 16/9 of it.
        QFont name = ui_.ProgName->font();
        name.setPointSizeF(font().pointSizeF() * 16 / 9);
        ui_.ProgName->setFont(name);
        setAccessibleName(windowTitle());

        showLogo(ui_.Logo);

        ui_.WebSite->setText(
            QStringLiteral("<a href=\"%1\">%2</a>")
                .arg(f.webSiteRoot.toHtmlEscaped(), shownAddress(f.webSiteRoot).toHtmlEscaped()));
        ui_.WebSite->setToolTip(f.webSiteRoot);
        connect(ui_.WebSite, &QLabel::linkActivated, this, [this] { OpenWebPage(f_, QString()); });
        connect(ui_.ExitAbout, &QPushButton::clicked, this, &QDialog::close);

        // Kept above other windows for as long as it is open, so every activation finds it
        // in the always-on-top band.
        if (f.RunOnTop == 2)
            setWindowFlag(Qt::WindowStaysOnTopHint, true);
        adjustSize(); // at the size its text takes in the desktop's font
    }

  private:
    MainForm& f_;
    Ui::frmAbout ui_;
};

} // namespace

QDialog* createAboutWindow(MainForm& f, QWidget* parent) {
    initAboutResources();
    return new AboutWindow(f, parent);
}

void showAboutWindow(MainForm& f, QWidget* parent) {
    const std::unique_ptr<QDialog> window(createAboutWindow(f, parent));
    window->exec();
}
