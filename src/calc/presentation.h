#pragma once

class MainForm;

void ClearInputs(MainForm& f);
void ClearActualResults(MainForm& f);
void ClearPredictedResults(MainForm& f);
void SetTaxWording(MainForm& f);
void SetModeLabels(MainForm& f);
void ShowMoneyResults(MainForm& f);

// Events
void Clear_Click(MainForm& f);
void Period_Click(MainForm& f);
void VAT_Change(MainForm& f);
void Disc1P_Click(MainForm& f);
void Disc2F_Click(MainForm& f);
void DRate_Click(MainForm& f);
