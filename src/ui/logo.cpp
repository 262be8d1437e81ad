#include "ui/logo.h"

#include <QEvent>
#include <QLabel>
#include <QObject>
#include <QPalette>

// The pictures live in this static library, whose resources the linker keeps only when named.
static void initLogoResources() {
    Q_INIT_RESOURCE(resources);
}

namespace {

class LogoRefresher : public QObject {
  public:
    explicit LogoRefresher(QLabel* label) : QObject(label), label_(label) {
        label->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::PaletteChange:
        case QEvent::ApplicationPaletteChange:
        case QEvent::StyleChange:
        case QEvent::Show:
        case QEvent::ScreenChangeInternal:
            refresh();
            break;
        default:
            break;
        }
        return QObject::eventFilter(watched, event);
    }

  public:
    void refresh() {
        const QPixmap logo = voltrakeLogo(label_);
        // Setting an equal pixmap would still relayout the window; skip it.
        if (logo.cacheKey() != current_) {
            current_ = logo.cacheKey();
            label_->setPixmap(logo);
        }
    }

  private:
    QLabel* label_;
    qint64 current_ = 0;
};

} // namespace

QPixmap voltrakeLogo(const QWidget* widget) {
    return voltrakeLogo(widget->palette(), widget->devicePixelRatioF());
}

QPixmap voltrakeLogo(const QPalette& palette, qreal devicePixelRatio) {
    static const bool registered = (initLogoResources(), true);
    Q_UNUSED(registered);
    // A dark window background would swallow the dark "Volt" lettering.
    const bool dark = palette.color(QPalette::Window).lightness() < 128;
    // From 1.25 up the double-size drawing scaled down is sharper than the single one scaled up.
    const bool dense = devicePixelRatio > 1.2;
    const QString name = QStringLiteral(":/logo%1%2.png")
                             .arg(dark ? QStringLiteral("-dark") : QString())
                             .arg(dense ? QStringLiteral("@2x") : QString());
    QPixmap logo(name);
    if (dense)
        logo.setDevicePixelRatio(2.0);
    return logo;
}

void showLogo(QLabel* label) {
    auto* refresher = new LogoRefresher(label);
    refresher->refresh();
}

QIcon voltrakeIcon() {
    initLogoResources();
    return QIcon::fromTheme(QStringLiteral("org.voltrake.Voltrake"),
                            QIcon(QStringLiteral(":/icon.png")));
}
