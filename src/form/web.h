#pragma once

#include <QString>

class MainForm;

void Help1_Click(MainForm& f);
// Opens the maker's web site root followed by the page path in the browser.
void OpenWebPage(MainForm& f, const QString& page);
void About_Click(MainForm& f);
void Logo_Click(MainForm& f);
