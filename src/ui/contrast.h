#pragma once

#include <QColor>
#include <QPalette>

class QWidget;

// Contrast as the accessibility guidelines measure it: 1:1 (same colour) to 21:1 (black on
// white). Normal text needs 4.5:1.
double relativeLuminance(const QColor& c);
double contrastRatio(const QColor& a, const QColor& b);

// A palette whose windows are dark (a dark desktop theme).
bool isDarkPalette(const QPalette& p);

// The boxes are drawn in fixed dark text colours, so under a dark palette they need a light
// field of their own: the palette's light colour when it is light enough, else white. Result
// boxes take a slightly greyer tone, so that they still read as output.
QColor lightFieldColour(const QPalette& p, bool result);

// Gives a text box the field background that suits the window's palette: the palette's own in
// a light theme (the base for inputs, the button face for results), a light one in a dark theme.
void applyFieldBackground(QWidget* box, const QPalette& window, bool result);
