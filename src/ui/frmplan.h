// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

class MainForm;
class QWidget;

// Opens the window that prices a reading period under a dated tariff plan (objectName frmPlan),
// or brings the open one forward: there is only ever one. Its readings start as the main
// window's. It is not modal and follows the On Top setting.
QWidget* showPlanWindow(MainForm& f, QWidget* parent);
// The open plan window, or nullptr.
QWidget* planWindow();
