#include "text/programversion.h"

#include "version.h"

QString versionText() {
    return QStringLiteral("%1.%2").arg(VOLTRAKE_VERSION_MAJOR).arg(VOLTRAKE_VERSION_MINOR);
}
int versionMajor() {
    return VOLTRAKE_VERSION_MAJOR;
}
int versionMinor() {
    return VOLTRAKE_VERSION_MINOR;
}
