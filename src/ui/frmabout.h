#pragma once

class MainForm;
class QDialog;
class QWidget;

// Builds the About window without showing it; the caller owns it.
QDialog* createAboutWindow(MainForm& f, QWidget* parent);
// Shows the About window modally over parent.
void showAboutWindow(MainForm& f, QWidget* parent);
