#include "text/errors.h"
#include "text/values.h"

#include <QRandomGenerator>
#include <QTest>
#include <cfloat>
#include <cmath>

using namespace values;

class TestValues : public QObject {
    Q_OBJECT
  private slots:
    // clang-format off
    void leading_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<double>("expected");
        QTest::newRow("empty") << "en_GB" << "" << 0.0;
        QTest::newRow("plain") << "en_GB" << "12.5" << 12.5;
        QTest::newRow("trailing letters") << "en_GB" << "12abc" << 12.0;
        QTest::newRow("blanks anywhere") << "en_GB" << " 1 2\t3\n.5" << 123.5;
        QTest::newRow("sign") << "en_GB" << "-4.25x" << -4.25;
        QTest::newRow("exponent") << "en_GB" << "1.5e3kg" << 1500.0;
        QTest::newRow("bare exponent letter") << "en_GB" << "7e" << 7.0;
        QTest::newRow("currency first") << "en_GB" << "£5.00" << 0.0;
        QTest::newRow("second point stops") << "en_GB" << "2.6.0.0" << 2.6;
        QTest::newRow("comma stops in en_GB") << "en_GB" << "1,05" << 1.0;
        QTest::newRow("comma is a point in de_DE") << "de_DE" << "0,140000" << 0.14;
        QTest::newRow("full stop still in de_DE") << "de_DE" << "0.14" << 0.14;
        QTest::newRow("huge is largest") << "en_GB" << "1e999" << DBL_MAX;
        QTest::newRow("tiny is zero") << "en_GB" << "1e-999" << 0.0;
        QTest::newRow("nan is no number") << "en_GB" << "nan" << 0.0;
        QTest::newRow("minus zero") << "en_GB" << "-0" << 0.0;
        QTest::newRow("long digits") << "en_GB" << QString(10000, '9') << DBL_MAX;
    }
    // clang-format on

    void leading() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(double, expected);
        QCOMPARE(leadingValue(text, QLocale(locale)), expected);
    }

    // clang-format off
    void strict_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("reads");
        QTest::addColumn<double>("expected");
        QTest::newRow("plain") << "en_GB" << "12.5" << true << 12.5;
        QTest::newRow("blanks around") << "en_GB" << " 7 " << true << 7.0;
        QTest::newRow("symbol") << "en_GB" << "£1,234.50" << true << 1234.5;
        QTest::newRow("symbol then minus") << "en_GB" << "£-3.50" << true << -3.5;
        QTest::newRow("minus then symbol") << "en_GB" << "-£5.00" << true << -5.0;
        QTest::newRow("parenthesised") << "en_GB" << "(£5.00)" << true << -5.0;
        QTest::newRow("euro in front") << "en_IE" << "€0.140000" << true << 0.14;
        QTest::newRow("dollar") << "en_US" << "$12.00" << true << 12.0;
        QTest::newRow("symbol behind") << "de_DE" << "-3,50 €" << true << -3.5;
        QTest::newRow("de grouping") << "de_DE" << "1.234,5" << true << 1234.5;
        QTest::newRow("de full stop input") << "de_DE" << "0.5" << true << 0.5;
        QTest::newRow("C locale") << "C" << "-5.00" << true << -5.0;
        QTest::newRow("empty") << "en_GB" << "" << false << 0.0;
        QTest::newRow("trailing letters") << "en_GB" << "12abc" << false << 0.0;
        QTest::newRow("bare exponent letter") << "en_GB" << "7e" << false << 0.0;
        QTest::newRow("only symbol") << "en_GB" << "£" << false << 0.0;
        QTest::newRow("two symbols") << "en_GB" << "££5" << false << 0.0;
        QTest::newRow("nan") << "en_GB" << "nan" << false << 0.0;
        QTest::newRow("inf") << "en_GB" << "inf" << false << 0.0;
        QTest::newRow("overflow") << "en_GB" << "1e999" << false << 0.0;
        QTest::newRow("two signs") << "en_GB" << "--5" << false << 0.0;
        QTest::newRow("unicode") << "en_GB" << "５" << false << 0.0;
    }
    // clang-format on

    void strict() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(bool, reads);
        QFETCH(double, expected);
        const QLocale l(locale);
        QCOMPARE(readsAsNumber(text, l), reads);
        if (reads)
            QCOMPARE(strictValue(text, l), expected);
        else
            QVERIFY_THROWS_EXCEPTION(RuntimeError, strictValue(text, l));
    }

    // clang-format off
    void plain_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("expected");
        QTest::newRow("zero") << "en_GB" << 0.0 << "0";
        QTest::newRow("minus zero") << "en_GB" << -0.0 << "0";
        QTest::newRow("offset") << "en_GB" << 1.05 - 1 << "0.05";
        QTest::newRow("fraction") << "en_GB" << 0.1 + 0.2 << "0.3";
        QTest::newRow("negative") << "en_GB" << -2.5 << "-2.5";
        QTest::newRow("15 digits") << "en_GB" << 123456789012345.0 << "123456789012345";
        QTest::newRow("large") << "en_GB" << 1e16 << "1E+16";
        QTest::newRow("large mantissa") << "en_GB" << 1.5e20 << "1.5E+20";
        QTest::newRow("small") << "en_GB" << 0.0001 << "0.0001";
        QTest::newRow("smaller") << "en_GB" << 0.00001 << "1E-05";
        QTest::newRow("huge") << "en_GB" << 1e308 << "1E+308";
        QTest::newRow("six decimals") << "en_GB" << 0.007875 << "0.007875";
        QTest::newRow("seven decimals") << "en_GB" << 0.0078751 << "0.0078751";
        QTest::newRow("third") << "en_GB" << 1.0 / 3 << "0.333333333333333";
        QTest::newRow("billions and a half") << "en_GB" << -1e9 - 0.5 << "-1000000000.5";
        QTest::newRow("comma locale") << "de_DE" << 17.5 << "17,5";
    }
    // clang-format on

    void plain() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, expected);
        const QLocale l(locale);
        QCOMPARE(plainNumber(value, l), expected);
        QCOMPARE(strictValue(expected, l), value == 0 ? 0.0 : value);
        QByteArray bytes = "x";
        appendPlainNumber(bytes, value);
        QCOMPARE(bytes, "x" + plainNumber(value, QLocale::c()).toLatin1());
    }

    void roundingAsText_data() {
        QTest::addColumn<double>("magnitude");
        for (double m : {1e-9, 1e-4, 0.01, 1.0, 150.0, 1e5, 1e9, 1e13, 1e16})
            QTest::newRow(qPrintable(QString::number(m))) << m;
    }

    // The numeric roundings give what writing the digits out and reading them back gives.
    void roundingAsText() {
        QFETCH(double, magnitude);
        const QLocale c = QLocale::c();
        QRandomGenerator random(42);
        for (int i = 0; i < 3000; ++i) {
            // Half are amounts as the bill makes them: a six-decimal rate times whole units.
            const double v = i % 2 ? magnitude * (random.generateDouble() - 0.3)
                                   : random.bounded(1000000) / 1e6 * std::round(magnitude);
            // Exactly equal, not merely close as QCOMPARE takes doubles.
            const auto same = [&](double got, const QString& text) {
                if (got != c.toDouble(text))
                    QFAIL(qPrintable(QStringLiteral("%1: %2 is not %3")
                                         .arg(v, 0, 'g', 17)
                                         .arg(got, 0, 'g', 17)
                                         .arg(text)));
            };
            same(round15(v), plainNumber(v, c));
            for (Fixed f : {Fixed::Zero, Fixed::One, Fixed::Two, Fixed::Six})
                same(roundHalfAway(v, f == Fixed::Six ? 6 : int(f)), fixed(v, f, c));
        }
    }

    // clang-format off
    void fixedFormats_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("expected");
        const int zero = int(Fixed::Zero), one = int(Fixed::One), two = int(Fixed::Two),
                  six = int(Fixed::Six);
        QTest::newRow("2.675 rounds up") << "en_GB" << 2.675 << two << "2.68";
        QTest::newRow("1.005 rounds up") << "en_GB" << 1.005 << two << "1.01";
        QTest::newRow("half away negative") << "en_GB" << -2.5 << zero << "-3";
        QTest::newRow("carry") << "en_GB" << 9.995 << two << "10.00";
        QTest::newRow("rate") << "en_GB" << 0.1 << six << "0.100000";
        QTest::newRow("vat") << "en_GB" << 17.45 << one << "17.5";
        QTest::newRow("tiny to zero") << "en_GB" << -0.001 << two << "0.00";
        QTest::newRow("below half") << "en_GB" << 0.004 << two << "0.00";
        QTest::newRow("comma locale") << "de_DE" << 0.14 << six << "0,140000";
        QTest::newRow("large") << "en_GB" << 1e17 << two << "100000000000000000.00";
        // A price (format -1): two decimals, or every one it has.
        QTest::newRow("price in pence") << "en_GB" << 24.5 << -1 << "24.50";
        QTest::newRow("price finer") << "en_GB" << 24.567 << -1 << "24.567";
        QTest::newRow("price, comma locale") << "de_DE" << 14.125 << -1 << "14,125";
    }
    // clang-format on

    void fixedFormats() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(int, format);
        QFETCH(QString, expected);
        const QLocale l(locale);
        if (format < 0) {
            QCOMPARE(price(value, l), expected);
        } else {
            QCOMPARE(fixed(value, Fixed(format), l), expected);
            QCOMPARE(fixedText(plainNumber(value, l), Fixed(format), l), expected);
        }
        // Every formatted text reads back as a number in its own locale.
        QVERIFY(readsAsNumber(expected, l));
    }

    // clang-format off
    void currencyForms_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("currencyForm");
        QTest::addColumn<QString>("resultForm");
        QTest::addColumn<QString>("prefix");
        QTest::newRow("en_GB") << "en_GB" << 1234.5 << "£1,234.50" << "£1,234.50" << "£";
        QTest::newRow("en_GB half") << "en_GB" << 2.675 << "£2.68" << "£2.68" << "£";
        QTest::newRow("en_GB negative") << "en_GB" << -5.0 << "-£5.00" << "£-5.00" << "£";
        QTest::newRow("en_GB rounds to zero") << "en_GB" << -0.001 << "£0.00" << "£0.00" << "£";
        QTest::newRow("en_IE") << "en_IE" << -3.5 << "-€3.50" << "€-3.50" << "€";
        QTest::newRow("en_US") << "en_US" << 12.0 << "$12.00" << "$12.00" << "$";
        QTest::newRow("de_DE") << "de_DE" << -3.5 << "-3,50\u00A0€" << "-3,50\u00A0€" << "";
        QTest::newRow("C") << "C" << 7.0 << "7.00" << "7.00" << "";
    }
    // clang-format on

    void currencyForms() {
        QFETCH(QString, locale);
        QFETCH(double, value);
        QFETCH(QString, currencyForm);
        QFETCH(QString, resultForm);
        QFETCH(QString, prefix);
        const QLocale l(locale);
        QCOMPARE(currency(value, l), currencyForm);
        QCOMPARE(moneyResult(value, l), resultForm);
        QCOMPARE(currencyPrefix(l), prefix);
        const double rounded = roundHalfAway(value, 2);
        QCOMPARE(strictValue(currencyForm, l), rounded == 0 ? 0.0 : rounded);
        QCOMPARE(strictValue(resultForm, l), rounded == 0 ? 0.0 : rounded);
    }

    // clang-format off
    void readDates_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QDate>("expected");
        QTest::newRow("gb short") << "en_GB" << "05/01/2012" << QDate(2012, 1, 5);
        QTest::newRow("gb dashes") << "en_GB" << "5-1-2012" << QDate(2012, 1, 5);
        QTest::newRow("gb two-digit year") << "en_GB" << "1/5/12" << QDate(2012, 5, 1);
        QTest::newRow("window low") << "en_GB" << "1/5/30" << QDate(1930, 5, 1);
        QTest::newRow("window high") << "en_GB" << "1/5/29" << QDate(2029, 5, 1);
        QTest::newRow("us order") << "en_US" << "1/5/12" << QDate(2012, 1, 5);
        QTest::newRow("de dots") << "de_DE" << "05.01.12" << QDate(2012, 1, 5);
        QTest::newRow("iso") << "en_US" << "2012-01-05" << QDate(2012, 1, 5);
        QTest::newRow("dd-mmm-yyyy") << "en_GB" << "05-Jan-2012" << QDate(2012, 1, 5);
        QTest::newRow("dd-mmm-yy") << "en_US" << "05-Jan-12" << QDate(2012, 1, 5);
        QTest::newRow("english month in de") << "de_DE" << "05-Mar-2012" << QDate(2012, 3, 5);
        QTest::newRow("german abbreviation") << "de_DE" << "05-Mär-2012" << QDate(2012, 3, 5);
        QTest::newRow("german full month") << "de_DE" << "5 März 2012" << QDate(2012, 3, 5);
        QTest::newRow("french abbreviation") << "fr_FR" << "05-janv.-2012" << QDate(2012, 1, 5);
        QTest::newRow("C short") << "C" << "5 Jan 2012" << QDate(2012, 1, 5);
        QTest::newRow("31 February") << "en_GB" << "31/02/2012" << QDate();
        QTest::newRow("mixed separators") << "en_GB" << "05/01-2012" << QDate();
        QTest::newRow("letters") << "en_GB" << "yesterday" << QDate();
        QTest::newRow("empty") << "en_GB" << "" << QDate();
        QTest::newRow("long") << "en_GB" << QString(10000, '1') << QDate();
    }
    // clang-format on

    void readDates() {
        QFETCH(QString, locale);
        QFETCH(QString, text);
        QFETCH(QDate, expected);
        const auto d = readDate(text, QLocale(locale));
        QCOMPARE(d.value_or(QDate()), expected);
    }

    void datesRoundTrip_data() {
        QTest::addColumn<QString>("locale");
        for (const char* l : {"en_GB", "en_IE", "en_US", "de_DE", "C", "fr_FR"})
            QTest::newRow(l) << QString::fromLatin1(l);
    }

    // Every date the program writes reads back as the same date, whatever the locale.
    void datesRoundTrip() {
        QFETCH(QString, locale);
        const QLocale l(locale);
        for (const QDate d :
             {QDate(2000, 1, 1), QDate(2012, 2, 29), QDate(2020, 12, 31), QDate(1925, 6, 30),
              QDate(2026, 12, 7), QDate(2035, 9, 9), QDate(2099, 12, 31)}) {
            QCOMPARE(readDate(shortDate(d, l), l).value_or(QDate()), d);
            QVERIFY(shortDate(d, l).size() <= 11); // the history log's date field
            QCOMPARE(readDate(ddMmmYyyy(d, l), l).value_or(QDate()), d);
            QCOMPARE(ddMmmYyyy(d, l).size(), 11);
        }
    }

    void fixedDateForms() {
        const QDateTime moment(QDate(2026, 12, 5), QTime(4, 40, 50));
        QCOMPARE(ddMmmYyTime(moment, QLocale("en_GB")), QStringLiteral("05-Dec-26 04:40:50"));
        QCOMPARE(ddMmmYyTime(moment, QLocale("de_DE")), QStringLiteral("05-Dec-26 04:40:50"));
        QCOMPARE(timeOfDay(QTime(16, 5, 0)), QStringLiteral("16:05:00"));
        QVERIFY(!ddMmmYyyy(QDate(), QLocale("en_GB")).isNull()); // no month: no crash
        QCOMPARE(yymmdd(moment.date()), QStringLiteral("261205"));
        QCOMPARE(isoDate(QDate(2029, 12, 19)), QStringLiteral("2029-12-19"));
        QCOMPARE(shortDate(moment.date(), QLocale("en_US")), QStringLiteral("12/5/26"));
        // Past the two-digit window the year is written whole, so it cannot read as 1930.
        QCOMPARE(shortDate(QDate(2030, 1, 2), QLocale("en_US")), QStringLiteral("1/2/2030"));
        QCOMPARE(addMonths(QDate(2012, 1, 31), 3), QDate(2012, 4, 30)); // month-end clamping
    }
};

QTEST_GUILESS_MAIN(TestValues)
#include "tst_values.moc"
