#pragma once

#include <QIcon>
#include <QPixmap>

class QLabel;
class QPalette;
class QWidget;

// The lightning logo for a widget: the light-text variant on a dark palette, and the
// double-size drawing on a high-density screen.
QPixmap voltrakeLogo(const QWidget* widget);
QPixmap voltrakeLogo(const QPalette& palette, qreal devicePixelRatio);

// Shows the logo in a label and keeps it matching when the palette or screen changes.
void showLogo(QLabel* label);

// The application icon: the desktop theme's, else the copy built into the program.
QIcon voltrakeIcon();
