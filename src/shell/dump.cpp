#include "shell/dump.h"

#include "calc/mainform.h"

void FatalErrorDump(MainForm& f, const QString& where, int location)
{
    f.message(QStringLiteral("Voltrake Fatal Error"),
              QStringLiteral("Error Number %1\r\nA Fatal %2 Has Occurred\r\nThe Program Will Now "
                             "Terminate")
                  .arg(location)
                  .arg(where),
              Host::Buttons::Ok, Host::Icon::Error);
    f.endProgram();
}
