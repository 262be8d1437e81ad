#include "ui/contrast.h"

#include <QWidget>
#include <algorithm>
#include <cmath>

namespace {

double channel(double v) {
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
}

} // namespace

double relativeLuminance(const QColor& c) {
    const QColor rgb = c.toRgb();
    return 0.2126 * channel(rgb.redF()) + 0.7152 * channel(rgb.greenF()) +
           0.0722 * channel(rgb.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a), lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette& p) {
    return relativeLuminance(p.color(QPalette::Active, QPalette::Window)) < 0.18;
}

QColor lightFieldColour(const QPalette& p, bool result) {
    QColor field = p.color(QPalette::Active, QPalette::Light);
    // The result tone below must still give the normal text 4.5:1 and the credit orange the
    // contrast it has on a light theme's button face.
    if (relativeLuminance(field) < 0.95)
        field = Qt::white;
    return result ? QColor(0xF0, 0xF0, 0xF0) : field;
}

void applyFieldBackground(QWidget* box, const QPalette& window, bool result) {
    const bool dark = isDarkPalette(window);
    QPalette p = box->palette();
    for (auto g : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        const QColor field = dark ? lightFieldColour(window, result)
                                  : window.color(g, result ? QPalette::Button : QPalette::Base);
        p.setColor(g, QPalette::Base, field);
    }
    // A dark theme's greyed text would vanish on the light field.
    if (dark)
        p.setColor(QPalette::Disabled, QPalette::Text, QColor(0x6E, 0x6E, 0x6E));
    else
        p.setColor(QPalette::Disabled, QPalette::Text,
                   window.color(QPalette::Disabled, QPalette::Text));
    box->setPalette(p);
}
