#pragma once

#include <QString>
#include <QUrl>

class MainForm;

void Help1_Click(MainForm& f);
// The address of a page on the maker's web site: an http or https address under the root, the
// page percent-encoded where it needs to be and its dot segments resolved. Empty when the root
// is no such address or the page would leave it.
QUrl webPageAddress(const QString& root, const QString& page);
// Opens the maker's web site root followed by the page path in the browser.
void OpenWebPage(MainForm& f, const QString& page);
void About_Click(MainForm& f);
void Logo_Click(MainForm& f);
