#pragma once

class MainForm;

// Input checks: each appends its messages, one line each, to DataErrors and shows nothing.
void CheckBreakPoint(MainForm& f);
void CheckTariffData(MainForm& f, bool stripCurrency, bool addCurrency);
void CheckReadingValues(MainForm& f);
void CheckReadingRules(MainForm& f);
