#pragma once

class MainForm;

// The main window's own events that clear results and relabel: the Clear button, the mode
// check boxes' click actions and the VAT box's change action.
void Clear_Click(MainForm& f);
void Period_Click(MainForm& f);
void VAT_Change(MainForm& f);
void Disc1P_Click(MainForm& f);
void Disc2F_Click(MainForm& f);
void DRate_Click(MainForm& f);
