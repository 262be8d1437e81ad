// The history log readers: a calculation's record building, Get Last, Remove Last's line
// counting and the upgrade's conversion, on arbitrary file content.
//
// The input's first line steers the form: "<answer>|<Date2>|<Field>=<text>|...", where an
// answer starting with "n" declines Remove Last's question and the fields are tariff fields of
// the record. The rest of the input is the history log.
#include "form/history.h"
#include "fuzzhost.h"

#include <cstdint>

namespace {

const QStringList recordFields = {"VAT",    "NormalR1", "NormalR2", "BPoint", "CheapR",
                                  "Disc1",  "Disc2",    "TSCharge", "NRead1", "NRead2",
                                  "CRead1", "CRead2",   "Date1",    "Notes"};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const auto input = controlAndRest(data, size);
    const QByteArray& log = input.second;
    const QStringList parts = QString::fromLatin1(input.first).split('|');
    AnsweringHost host(!parts.value(0).startsWith('n'));
    withForm(host, [&](MainForm& f) {
        writeFile(f.path("Log/Voltrake_H.log"), reinterpret_cast<const uint8_t*>(log.data()),
                  size_t(log.size()));
        f.setText("Date2", parts.size() > 1 ? parts[1] : QStringLiteral("05/01/2012"));
        for (const QString& part : parts.mid(2)) {
            const QString name = part.section('=', 0, 0);
            if (recordFields.contains(name))
                f.setText(name, part.section('=', 1));
        }
        BuildHistoryRecord(f);
        Get_Last_Click(f);
        Del_Last_Click(f);
    });
    withForm([&](MainForm& f) {
        writeFile(f.path("Log/Voltrake_H.log"), reinterpret_cast<const uint8_t*>(log.data()),
                  size_t(log.size()));
        f.HistoryVersion = "3.0";
        UpgradeHistoryLog(f);
        QDir(f.path("Log")).removeRecursively();
        QDir(f.baseDir).mkdir("Log");
    });
    return 0;
}
