// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class MainForm;
class QMenuBar;
class QWidget;

// The main window's menu bar: File, View and Help. The items that stand for a button run that
// button through the form and are disabled while the button is. The window owns the bar.
QMenuBar* createMenuBar(MainForm& f, QWidget* window);

// Puts the menu bar above the window's layout.
void attachMenuBar(MainForm& f, QWidget* window);
