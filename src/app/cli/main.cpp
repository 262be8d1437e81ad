// SPDX-License-Identifier: GPL-3.0-or-later
// voltrake-cli: the bill, the history, tariff comparisons and smart-meter data without a
// window.
#include "app/cli/cli.h"
#include "app/cli/commands.h"
#include "version.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QLocale>
#include <QSet>

#include <cstdio>

#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#endif

using namespace Qt::StringLiterals;

namespace cli {

void out(const QByteArray& bytes) {
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout);
}

void err(const QString& text) {
    std::fputs(text.toLocal8Bit().constData(), stderr);
    std::fputc('\n', stderr);
}

int fileError(const QString& path, const QString& message) {
    QString text = message;
    text.replace(u"\r\n"_s, u"\n"_s);
    err(u"voltrake-cli: "_s + path + u": "_s + text.trimmed());
    return FileError;
}

QByteArray table(const QList<QStringList>& rows, int leftColumns) {
    QList<qsizetype> width;
    for (const QStringList& row : rows) {
        width.resize(std::max(width.size(), row.size()));
        for (qsizetype c = 0; c < row.size(); ++c)
            width[c] = std::max(width[c], row[c].size());
    }
    QString text;
    for (const QStringList& row : rows) {
        QString line;
        for (qsizetype c = 0; c < row.size(); ++c) {
            if (c)
                line += u"  "_s;
            line +=
                c < leftColumns ? row[c].leftJustified(width[c]) : row[c].rightJustified(width[c]);
        }
        text += line.trimmed() + u'\n';
    }
    return text.toLocal8Bit();
}

} // namespace cli

namespace {

struct Command {
    const char* name;
    const char* usage;
    const char* help;
    QSet<QString> options;
};

const Command Commands[] = {
    {"bill",
     "voltrake-cli bill --from D1 --to D2 --normal R1 R2 [--cheap C1 C2] [--notes TEXT]\n"
     "                  [--config FILE] [--format report|json] [--save] [--dir DIR]\n"
     "       voltrake-cli bill --plan PLAN.csv --from D1 --to D2 --normal R1 R2 [--cheap C1 C2]\n"
     "                  [--export E1 E2] [--format table|csv|json] [--dir DIR]\n"
     "       voltrake-cli bill --usage --tariff FILE --from D1 --to D2 [--meter ID]\n"
     "                  [--export-meter ID] [--format table|csv|json] [--dir DIR]",
     "Works out the bill between two meter readings with the tariff of the configuration\n"
     "file and prints the results report (or JSON). Dates and numbers are read in the\n"
     "user's regional settings. --save appends the report and the history record to the\n"
     "logs as the Save button does.\n\n"
     "With --plan the readings are priced under the dated tariff plan PLAN.csv instead,\n"
     "one row for each price period the readings span, with --export readings credited at\n"
     "the plan's export rate. Nothing is saved: the logs hold bills of the configured tariff.\n\n"
     "With --usage the half-hours in Data/usage.sqlite from D1 up to D2 (local days of the\n"
     "tariff's zone, D2 not included) are priced under the time-of-use tariff FILE (JSON, or\n"
     "a plan CSV without cheap rates), one piece per price period, to check a supplier's\n"
     "bill against the household's own half-hours.\n",
     {u"from"_s, u"to"_s, u"normal"_s, u"cheap"_s, u"export"_s, u"notes"_s, u"config"_s, u"plan"_s,
      u"format"_s, u"save"_s, u"usage"_s, u"tariff"_s, u"meter"_s, u"export-meter"_s}},
    {"history",
     "voltrake-cli history [--format csv|json|table] [--config FILE] [--dir DIR]",
     "Lists every saved period of Log/Voltrake_H.log with its figures, recomputed from the\n"
     "tariff kept on each record (the CO2 factor from the configuration file). CSV has ISO\n"
     "dates, full-stop decimals, UTF-8 and LF line ends.\n",
     {u"format"_s, u"config"_s}},
    {"compare",
     "voltrake-cli compare --config OTHER.ini | --plan PLAN.csv [--format table|csv|json]\n"
     "                     [--dir DIR]",
     "Prices every saved period under the tariff kept on its record and under the tariff of\n"
     "OTHER.ini or the dated tariff plan PLAN.csv, and shows the difference for each period\n"
     "and in total. A period the plan has no prices for has no other total.\n",
     {u"format"_s, u"config"_s, u"plan"_s}},
    {"rank",
     "voltrake-cli rank --tariff FILE [--tariff FILE ...] [--current FILE] [--from D1 --to D2]\n"
     "                  [--meter ID] [--export-meter ID] [--format table|csv|json] [--dir DIR]",
     "Prices the half-hours in Data/usage.sqlite under every time-of-use tariff FILE (JSON,\n"
     "or a plan CSV without cheap rates) and lists them cheapest first, each with its\n"
     "difference from the current tariff (--current, or the first --tariff). Every tariff\n"
     "prices exactly the same slots: one import meter (--meter, or the only one) and one\n"
     "export meter (--export-meter, or the only one), over local days of the current\n"
     "tariff's zone from D1 up to D2 (not included; default: every stored day). A tariff\n"
     "that cannot price them is listed with its reason, and the exit status is 2.\n",
     {u"tariff"_s, u"current"_s, u"from"_s, u"to"_s, u"meter"_s, u"export-meter"_s, u"format"_s}},
    {"usage",
     "voltrake-cli usage import FILE... [--tz ZONE] [--meter ID] [--direction import|export]\n"
     "                        [--dir DIR]\n"
     "       voltrake-cli usage summary [--from D] [--to D] [--format table|csv|json] [--dir DIR]\n"
     "       voltrake-cli usage export [--meter ID] [--from D] [--to D] [--dir DIR]\n"
     "       voltrake-cli usage forget --from D --to D | --all [--dir DIR]",
     "Smart-meter interval data in Data/usage.sqlite. import reads the files that suppliers\n"
     "and network operators let households download (the format is told from the first\n"
     "line), one file at a time and each whole or not at all, and says how many slots were\n"
     "new, unchanged and replaced. --tz sets the zone of the Voltrake CSV and the API JSON;\n"
     "--meter and --direction name what a file that does not say belongs to.\n\n"
     "summary shows per meter and direction the first and last slot, the slots, kWh,\n"
     "missing and estimated slots and the days with a missing slot, then each month.\n"
     "export writes one meter's slots as Voltrake CSV (local times with offsets) to\n"
     "standard output; --meter picks the meter when the store holds more than one.\n"
     "forget removes the slots of the local days from --from up to --to, or all of them.\n"
     "Dates are local calendar days of each meter's zone, --to not included.\n",
     {u"tz"_s, u"meter"_s, u"direction"_s, u"from"_s, u"to"_s, u"format"_s, u"all"_s}},
    {"help", "voltrake-cli help COMMAND", "Shows the help of a command.\n", {}},
};

const Command* findCommand(const QString& name) {
    for (const Command& c : Commands) {
        if (name == QLatin1String(c.name))
            return &c;
    }
    return nullptr;
}

QString generalHelp() {
    QString text = u"Usage: voltrake-cli COMMAND [OPTIONS]\n"
                   u"       voltrake-cli --help | --version | help COMMAND\n\n"
                   u"Commands:\n"_s;
    for (const Command& c : Commands)
        text += u"  "_s + QLatin1String(c.usage) + u'\n';
    text += u"\nCommon options:\n"
            u"  --dir DIR     the working directory holding Data/ and Log/ (default .)\n"
            u"  --help        show this text\n"
            u"  --version     show the version\n\n"
            u"Exit status: 0 done, 1 a file could not be read or written, 2 the input was\n"
            u"refused, 64 a usage error. See voltrake-cli(1).\n"_s;
    return text;
}

QString commandHelp(const Command& c) {
    return u"Usage: "_s + QLatin1String(c.usage) + u"\n\n"_s + QLatin1String(c.help);
}

int usageError(const QString& message, const Command* command) {
    cli::err(u"voltrake-cli: "_s + message);
    cli::err(u"Usage: "_s +
             (command ? QLatin1String(command->usage)
                      : QLatin1String("voltrake-cli COMMAND [OPTIONS]; see voltrake-cli --help")));
    return cli::Usage;
}

// "--normal R1 R2", "--cheap C1 C2" and "--export E1 E2" take two values; the parser knows
// options of one value, so a pair is passed to it as two occurrences.
QStringList withPairs(const QStringList& args) {
    QStringList out;
    for (qsizetype i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if ((a == u"--normal"_s || a == u"--cheap"_s || a == u"--export"_s) &&
            i + 2 < args.size() && !args[i + 1].startsWith(u"--"_s) &&
            !args[i + 2].startsWith(u"--"_s)) {
            out << a << args[i + 1] << a << args[i + 2];
            i += 2;
        } else {
            out << a;
        }
    }
    return out;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(u"voltrake-cli"_s);
    QCoreApplication::setApplicationVersion(QString::number(VOLTRAKE_VERSION_MAJOR) + u'.' +
                                            QString::number(VOLTRAKE_VERSION_MINOR));
    // Numbers, money and dates follow the user's regional settings, as in the window.
    QLocale::setDefault(QLocale::system());
#ifdef Q_OS_WIN
    _setmode(_fileno(stdout), _O_BINARY); // the report keeps its CR LF
#endif

    QCommandLineParser parser;
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
    const QCommandLineOption help({u"h"_s, u"help"_s}, u"Show the help."_s);
    const QCommandLineOption version(u"version"_s, u"Show the version."_s);
    parser.addOption(help);
    parser.addOption(version);
    parser.addOption({u"dir"_s, u"Working directory."_s, u"DIR"_s, u"."_s});
    for (const char* name :
         {"from", "to", "normal", "cheap", "export", "notes", "config", "plan", "format", "tariff",
          "current", "meter", "export-meter", "tz", "direction"})
        parser.addOption({QString::fromLatin1(name), QString(), u"VALUE"_s});
    parser.addOption({u"save"_s, QString()});
    parser.addOption({u"usage"_s, QString()});
    parser.addOption({u"all"_s, QString()});

    if (!parser.parse(withPairs(QCoreApplication::arguments())))
        return usageError(parser.errorText(), nullptr);

    const QStringList positional = parser.positionalArguments();
    const Command* command = positional.isEmpty() ? nullptr : findCommand(positional.first());
    if (parser.isSet(version) && !command) {
        cli::out((u"voltrake-cli "_s + QCoreApplication::applicationVersion() + u'\n').toUtf8());
        return cli::Done;
    }
    if (parser.isSet(help) && !command) {
        cli::out(generalHelp().toLocal8Bit());
        return cli::Done;
    }
    if (positional.isEmpty())
        return usageError(u"no command given"_s, nullptr);
    if (!command)
        return usageError(u"unknown command \""_s + positional.first() + u'"', nullptr);
    if (parser.isSet(help)) {
        cli::out(commandHelp(*command).toLocal8Bit());
        return cli::Done;
    }

    if (command->name == QLatin1String("help")) {
        if (positional.size() != 2)
            return usageError(u"help takes one command name"_s, command);
        const Command* about = findCommand(positional[1]);
        if (!about)
            return usageError(u"unknown command \""_s + positional[1] + u'"', command);
        cli::out(commandHelp(*about).toLocal8Bit());
        return cli::Done;
    }
    const bool words = command->name == QLatin1String("usage"); // usage import FILE...
    if (positional.size() > 1 && !words)
        return usageError(u"unexpected argument \""_s + positional[1] + u'"', command);
    for (const QString& name : parser.optionNames()) {
        if (name != u"dir"_s && !command->options.contains(name))
            return usageError(u"option --"_s + name + u" does not belong to "_s +
                                  QLatin1String(command->name),
                              command);
    }
    for (const QString& name :
         {u"from"_s, u"to"_s, u"notes"_s, u"config"_s, u"plan"_s, u"format"_s, u"dir"_s,
          u"current"_s, u"meter"_s, u"export-meter"_s, u"tz"_s, u"direction"_s})
        if (parser.values(name).size() > 1)
            return usageError(u"option --"_s + name + u" given more than once"_s, command);

    const cli::Context context{parser.value(u"dir"_s)};
    cli::Options options;
    for (const QString& name : parser.optionNames())
        options.values[name] = parser.values(name);
    options.save = parser.isSet(u"save"_s);
    options.all = parser.isSet(u"all"_s);
    options.words = positional.mid(1);

    cli::CommandResult result;
    if (command->name == QLatin1String("bill"))
        result = cli::bill(context, options);
    else if (words)
        result = cli::usage(context, options);
    else if (command->name == QLatin1String("history"))
        result = cli::history(context, options);
    else if (command->name == QLatin1String("rank"))
        result = cli::rank(context, options);
    else
        result = cli::compare(context, options);
    if (result.usage)
        return usageError(*result.usage, command);
    std::fflush(stdout);
    return result.exit;
}
