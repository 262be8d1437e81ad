// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class MainForm;
class QString;
class QWidget;

// Opens the history window (objectName frmHistory), or brings the open one forward: there is
// only ever one. It is not modal and follows the On Top setting.
QWidget* showHistoryWindow(MainForm& f, QWidget* parent);
// The open history window, or nullptr.
QWidget* historyWindow();
// Reads the history log again into the open window, if there is one.
void refreshHistoryWindow();
// Prices the open window's periods under the tariff of another configuration file, or under
// the plan of a .csv file, as well; false (after telling the user) when the file gives neither.
bool compareHistoryWith(const QString& configPath);
