#pragma once

class MainForm;

void SaveCalculation(MainForm& f);
void Save_Click(MainForm& f);
void AutoSave_Click(MainForm& f);
