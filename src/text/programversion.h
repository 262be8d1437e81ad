#pragma once

#include <QString>

// The running version as written in files and captions: "3.1".
QString versionText();
int versionMajor();
int versionMinor();
