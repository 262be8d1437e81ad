#pragma once

#include <QString>

class MainForm;

// Load, first activation, exit, keep-on-top and the status timer of the main window.
void Form_Load(MainForm& f);
void Form_Activate(MainForm& f);
void Exit_Click(MainForm& f);
void OnTop_Click(MainForm& f);
void Timer1_Timer(MainForm& f);

// RunMode from the raw command line (the arguments joined by single blanks).
int RunModeFromCommandLine(const QString& commandLine);
