// Index expressions evaluated on raw records, their error messages, and the date style.
#include "dbase/error.h"
#include "dbase/expression.h"
#include "helpers.h"

#include <QTest>

using namespace dbase;

namespace
{

// A record laid out like a table's: fields in order after the deleted flag.
struct Layout {
    std::vector<FieldInfo> fields;
    std::string record;

    explicit Layout(const std::vector<FieldDef> &defs)
    {
        int offset = 1;
        for (const FieldDef &d : defs) {
            FieldInfo f;
            static_cast<FieldDef &>(f) = d;
            f.offset = offset;
            offset += d.length;
            fields.push_back(f);
        }
        record.assign(offset, ' ');
    }
    void set(int i, const std::string &text, bool right = false)
    {
        const FieldInfo &f = fields[i];
        std::string v = text.substr(0, f.length);
        if (right)
            v.insert(0, f.length - v.size(), ' ');
        else
            v.resize(f.length, ' ');
        record.replace(f.offset, f.length, v);
    }
};

Layout sample()
{
    Layout l({FieldDef::text("Country", 20), FieldDef::floating("PurchasePr"),
              FieldDef::integer("Quantity"), FieldDef::date("PurchDate"),
              FieldDef::text("Miscellane", 110), FieldDef::text("Topic", 20),
              FieldDef::floating("PremiumVal"),
              FieldDef::date("Bought")}); // the last two stay blank
    l.set(0, "france");
    l.set(1, "12.5000", true);
    l.set(2, "3", true);
    l.set(3, "20010203");
    l.set(4, "Proof, toned");
    l.set(5, "\xE9t\xE9"); // "été" in Windows-1252
    return l;
}

std::string pad(const std::string &s, std::size_t n)
{
    std::string out = s;
    out.resize(n, ' ');
    return out;
}

} // namespace

class ExpressionTests : public QObject
{
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QByteArray>("key");
        auto row = [](const char *name, const char *expr, const std::string &key) {
            QTest::newRow(name) << QString::fromLatin1(expr) << QByteArray::fromStdString(key);
        };
        row("default sort", "Upper(Left(Miscellane,80))", pad("PROOF, TONED", 80));
        row("three levels", "Upper(Left(Country,26))+DTOS(PurchDate)+STR(PurchasePr,12,2)",
            pad("FRANCE", 20) + "20010203" + "       12.50");
        row("any letter case", "upper(LEFT(country,5))", "FRANC");
        row("quantity without decimals", "STR(Quantity,12,0)", "           3");
        row("blank number is zero", "STR(PremiumVal,12,2)", "        0.00");
        row("empty date is blank", "DTOS(Bought)", std::string(8, ' '));
        row("text field alone", "Country", pad("france", 20));
        row("accented letters", "Upper(Topic)", pad("\xC9T\xC9", 20));
        row("number too wide", "STR(PurchasePr,3,1)", "***");
        row("spaces and parentheses", " ( Upper( Left( Country , 2 ) ) ) + 'x' ", "FRx");
    }
    void keys()
    {
        QFETCH(QString, expression);
        QFETCH(QByteArray, key);
        const Layout l = sample();
        const Expression e(expression.toStdString(), l.fields);
        QCOMPARE(e.keyLength(), key.size());
        QCOMPARE(QByteArray::fromStdString(e.evaluate(l.record.data())), key);
    }

    // STR() at the edges of its width and of rounding.
    void strBoundaries_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QByteArray>("key");
        QTest::newRow("exactly the width") << "12.5"
                                           << "STR(PurchasePr,5,2)" << QByteArray("12.50");
        QTest::newRow("one more than the width") << "112.5"
                                                 << "STR(PurchasePr,5,2)" << QByteArray("*****");
        QTest::newRow("negative, exactly the width")
            << "-3.5"
            << "STR(PurchasePr,5,2)" << QByteArray("-3.50");
        QTest::newRow("negative that rounds to zero")
            << "-0.004"
            << "STR(PurchasePr,12,2)" << QByteArray("        0.00");
        QTest::newRow("negative that rounds to zero, no decimals")
            << "-0.4"
            << "STR(PurchasePr,5,0)" << QByteArray("    0");
        QTest::newRow("negative that rounds to zero in a narrow key")
            << "-0.004"
            << "STR(PurchasePr,4,2)" << QByteArray("0.00");
    }
    void strBoundaries()
    {
        QFETCH(QString, value);
        QFETCH(QString, expression);
        QFETCH(QByteArray, key);
        Layout l = sample();
        l.set(1, value.toStdString(), true);
        const Expression e(expression.toStdString(), l.fields);
        QCOMPARE(QByteArray::fromStdString(e.evaluate(l.record.data())), key);
    }

    void negativeNumber()
    {
        Layout l = sample();
        l.set(1, "-3.5", true);
        const Expression e("STR(PurchasePr,12,2)", l.fields);
        QCOMPARE(QByteArray::fromStdString(e.evaluate(l.record.data())),
                 QByteArray("       -3.50"));
    }

    void errors_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<QString>("fragment");
        QTest::newRow("missing parenthesis") << "Upper(Left(Country,26)"
                                             << "')' expected";
        QTest::newRow("unknown field") << "Upper(Bogus)"
                                       << "Field 'BOGUS' not found";
        QTest::newRow("number key") << "PurchasePr"
                                    << "must be character";
        QTest::newRow("joining a number") << "Country+PurchasePr"
                                          << "joins character terms only";
        QTest::newRow("DTOS of text") << "DTOS(Country)"
                                      << "needs a date field";
        QTest::newRow("STR of a date") << "STR(PurchDate,12,2)"
                                       << "needs a numeric field";
        QTest::newRow("key too long") << "Left(Miscellane,81)"
                                      << "at most 80";
        QTest::newRow("trailing plus") << "Upper(Left(Country,26))+"
                                       << "ends too soon";
        QTest::newRow("unknown function") << "Soundex(Country)"
                                          << "unknown function";
        QTest::newRow("empty") << ""
                               << "ends too soon";
        QTest::newRow("junk after") << "Country)"
                                    << "unexpected ')'";
        QTest::newRow("Left without count") << "Left(Country)"
                                            << "',' expected";
    }
    void errors()
    {
        QFETCH(QString, expression);
        QFETCH(QString, fragment);
        const Layout l = sample();
        try {
            Expression e(expression.toStdString(), l.fields);
            QFAIL("no error");
        } catch (const Error &err) {
            const QString msg = QString::fromStdString(err.what());
            QVERIFY2(msg.contains(fragment), qPrintable(msg));
            QVERIFY2(msg.contains(QLatin1Char('\'') + expression + QLatin1Char('\'')),
                     qPrintable(msg));
        }
    }

    void centuryWindow_data()
    {
        QTest::addColumn<int>("yy");
        QTest::addColumn<int>("currentYear");
        QTest::addColumn<int>("year");
        QTest::newRow("this century") << 1 << 2026 << 2001;
        QTest::newRow("49 years on") << 75 << 2026 << 2075;
        QTest::newRow("50 years back") << 76 << 2026 << 1976;
        QTest::newRow("same year") << 26 << 2026 << 2026;
        QTest::newRow("across 2000") << 99 << 2001 << 1999;
        QTest::newRow("later run") << 76 << 2030 << 2076;
    }
    void centuryWindow()
    {
        QFETCH(int, yy);
        QFETCH(int, currentYear);
        QFETCH(int, year);
        QCOMPARE(expandTwoDigitYear(yy, currentYear), year);
    }

    void dateStyle_data()
    {
        QTest::addColumn<QString>("pattern");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("parsed"); // yyyymmdd, "" for an empty date, "bad" when refused
        QTest::addColumn<QString>("formatted");
        QTest::newRow("us short") << "m/d/yy"
                                  << "2/3/01"
                                  << "20010203"
                                  << "2/3/01";
        QTest::newRow("four digits") << "mm/dd/yyyy"
                                     << "2/3/1899"
                                     << "18990203"
                                     << "02/03/1899";
        QTest::newRow("german") << "dd.mm.yyyy"
                                << "3.2.2001"
                                << "20010203"
                                << "03.02.2001";
        QTest::newRow("iso") << "yyyy-mm-dd"
                             << "2024-02-29"
                             << "20240229"
                             << "2024-02-29";
        QTest::newRow("blank") << "m/d/yy"
                               << "  "
                               << ""
                               << "";
        QTest::newRow("no leap day") << "m/d/yyyy"
                                     << "2/29/2023"
                                     << "bad"
                                     << "";
        QTest::newRow("month 13") << "m/d/yy"
                                  << "13/1/01"
                                  << "bad"
                                  << "";
        QTest::newRow("letters") << "m/d/yy"
                                 << "a/b/c"
                                 << "bad"
                                 << "";
        QTest::newRow("two parts") << "m/d/yy"
                                   << "1/2"
                                   << "bad"
                                   << "";
        QTest::newRow("wrong separator") << "dd.mm.yyyy"
                                         << "3/2/2001"
                                         << "bad"
                                         << "";
        QTest::newRow("bad pattern falls back") << "xyz"
                                                << "2/3/01"
                                                << "20010203"
                                                << "2/3/01";
    }
    void dateStyle()
    {
        QFETCH(QString, pattern);
        QFETCH(QString, text);
        QFETCH(QString, parsed);
        QFETCH(QString, formatted);
        const DateStyle style(pattern.toStdString());
        Date d{1, 1, 1};
        const bool ok = style.parse(text.toStdString(), d);
        QCOMPARE(ok, parsed != QLatin1String("bad"));
        if (!ok) return;
        QCOMPARE(QString::fromStdString(d.isNull() ? std::string() : d.toDtos()), parsed);
        QCOMPARE(QString::fromStdString(style.format(d)), formatted);
    }
};

REGISTER_TEST(ExpressionTests)
#include "tst_expression.moc"
