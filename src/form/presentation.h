#pragma once

class MainForm;

void ClearInputs(MainForm& f);
void ClearActualResults(MainForm& f);
void ClearPredictedResults(MainForm& f);
void SetTaxWording(MainForm& f);
void SetModeLabels(MainForm& f);
void ShowMoneyResults(MainForm& f);
