// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// The update document the web site publishes, read without the window that shows it.
namespace records {

// Each element's text, or "Error" when its tags are missing.
struct UpdateDocument {
    QString name;        // Name
    QString version1;    // Version1
    QString version2;    // Version2
    QString download;    // Download
    QString history;     // History
    QString knownIssues; // KIssues
    QString index;       // Index
    QString message;     // Message
    QString uninstall;   // Uninstall
    int missingTags = 9;
};

// An element runs from the first opening tag to the first closing tag; a closing tag in front
// of its opening tag counts as missing. No input makes it fail.
UpdateDocument parseUpdateDocument(const QString& document);

enum class VersionOrder { Same, Newer, Unrecognised };

// The published version against the running one, each read as major "." minor up to its
// second full stop. An older or unreadable published version is not recognised.
VersionOrder compareVersions(const QString& published1, const QString& published2,
                             const QString& running, const QString& runningBuild);

} // namespace records
