#pragma once

class MainForm;

void ReadConfiguration(MainForm& f);
void Save_Defaults_Click(MainForm& f);
void Reset_Defaults_Click(MainForm& f);
