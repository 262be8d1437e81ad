// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QStringList>

class MainForm;
class QWidget;

// Opens the smart-meter window (objectName frmUsage), or brings the open one forward: there is
// only ever one. It is not modal and follows the On Top setting. The store (Data/usage.sqlite)
// is opened by the window, on a thread of its own, never at start-up.
QWidget* showUsageWindow(MainForm& f, QWidget* parent);
// The open smart-meter window, or nullptr.
QWidget* usageWindow();
// What Import… does once files are chosen: reads them into the store one after another off
// the interface thread, listing each file's outcome. False when the window is not open or busy.
bool importUsageFiles(const QStringList& paths);
// What Add… does once tariff files are chosen.
bool addUsageTariffs(const QStringList& paths);
// What Export Ranking as CSV… does once a file is chosen: the last ranking, as
// `voltrake-cli rank --format csv` writes it. False (after telling the user) when it fails.
bool exportUsageRanking(const QString& path);
