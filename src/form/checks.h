#pragma once

#include <QString>

class MainForm;

// Input checks: each appends its messages, one line each, to DataErrors and shows nothing.
void CheckBreakPoint(MainForm& f);
void CheckTariffData(MainForm& f, bool stripCurrency, bool addCurrency);
// Under -InhibitErrorCheck, after CheckTariffData: the check messages of the tariff fields whose
// text does not read as a number at all. Out-of-range numbers pass there, but such a text must
// never reach the configuration file, whose reader would refuse it.
// Looked at before CheckTariffData, which formats the fields.
QString UnreadableTariffNumbers(MainForm& f);
void CheckReadingValues(MainForm& f);
void CheckReadingRules(MainForm& f);
