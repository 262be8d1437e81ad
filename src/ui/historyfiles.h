// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "records/historyimport.h"

#include <QString>
#include <vector>

class MainForm;
class QWidget;

// File > Export History as CSV: asks where, then writes the CSV of the saved periods.
void exportHistoryCsv(MainForm& f, QWidget* parent);
// Writes the CSV to path in one go; tells the user and returns false on failure.
bool exportHistoryTo(MainForm& f, const QString& path);

// File > Import Readings from CSV: asks which file, then imports it.
void importReadingsCsv(MainForm& f, QWidget* parent);
// Checks every row of a readings file first; a refused row refuses all with one message that
// names every bad line. False when nothing was written.
bool importReadingsFrom(MainForm& f, const QString& csvPath);
// Writes checked readings to the history log as saves with the window's current tariff would,
// in one rewrite of the log, and says how many were imported. False when nothing was written.
bool importReadings(MainForm& f, const std::vector<records::ImportedReading>& readings);
