#pragma once

class MainForm;
class QWidget;

// Shows the About window modally over parent.
void showAboutWindow(MainForm& f, QWidget* parent);
