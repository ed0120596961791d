// The options file's line format: conversions, reference files, round trips,
// damaged input and texts the file cannot hold.

#include "core/settings/optionsfile.h"
#include "core/settings/windows1256.h"
#include "settingstestutil.h"

#include <QTest>

Q_DECLARE_METATYPE(OptionsValues)

class TestOptionsFile : public QObject
{
    Q_OBJECT

private:
    static QString fixture(const QString &name)
    {
        return testsupport::testData(name);
    }

    // The values held by tests/data/options-reference/arabic.txt.
    static OptionsValues arabicValues()
    {
        OptionsValues v;
        v.askedChoice = 3;
        v.medium = 1;
        v.fontName = QStringLiteral("DejaVu Sans Mono");
        v.fontSize = 48;
        v.fontColor = -2147483633;
        v.questionType = 1;
        v.text1 = QStringLiteral(u"أحمر");
        v.text2 = QStringLiteral(u"أصفر");
        v.text3 = QStringLiteral(u"أزرق");
        v.color1 = 128;
        v.color2 = -16777201;
        v.color3 = 2147483647;
        v.videoLocation = 3;
        v.videoWidth = 320;
        v.videoHeight = 240;
        v.picture1 = QStringLiteral(u"/home/معلمة/صور/قطة.png");
        v.picture2 = QStringLiteral("/tmp/b c.jpg");
        v.picture3 = QString();
        v.stretch = true;
        v.childNo = 17;
        v.waitSeconds = 60;
        return v;
    }

    static OptionsValues defaultFileValues()
    {
        OptionsValues v;
        v.fontName = QStringLiteral("DejaVu Sans");
        return v;
    }

    static bool anyFallback(const OptionsRead &r)
    {
        for (bool b : r.fellBack) {
            if (b)
                return true;
        }
        return false;
    }

private slots:
    void windows1256KeepsEveryByteAndArabic()
    {
        QVERIFY2(Windows1256::isAvailable(), "Qt has no Windows-1256 converter");
        QByteArray all;
        for (int i = 0; i < 256; ++i)
            all.append(char(i));
        const QString decoded = Windows1256::decode(all);
        QCOMPARE(decoded.size(), 256);
        QVERIFY(!decoded.contains(QChar(QChar::ReplacementCharacter)));
        bool ok = false;
        QCOMPARE(Windows1256::encode(decoded, &ok), all);
        QVERIFY(ok);

        QVERIFY(Windows1256::canHold(QStringLiteral(u"التلقائي أحمر؟، é")));
        QCOMPARE(Windows1256::encode(LessonName(), &ok), QByteArray("\xc7\xe1\xca\xe1\xde\xc7\xc6\xed"));
    }

    void windows1256RefusesWhatItCannotHold()
    {
        // An emoji, Chinese, and look-alikes a converter might quietly map to
        // plain letters: a fullwidth A and the lam-alef presentation form.
        const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
        for (const QString &text : {emoji, QStringLiteral(u"中文"), QStringLiteral(u"Ａ"),
                                    QStringLiteral(u"ﻻ"), QStringLiteral(u"abc") + emoji}) {
            bool ok = true;
            QVERIFY2(!Windows1256::canHold(text), qPrintable(text));
            QVERIFY(Windows1256::encode(text, &ok).isEmpty());
            QVERIFY(!ok);
        }
        QCOMPARE(Windows1256::unholdableCharacters(QStringLiteral(u"a中b中") + emoji + QStringLiteral(u"ب")),
                 QStringLiteral(u"中") + emoji);
        QVERIFY(!Windows1256::refusalMessage().isEmpty());
    }

    void integerConversion_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<int>("value");
        QTest::newRow("zero") << QByteArray("0") << true << 0;
        QTest::newRow("negative") << QByteArray("-1") << true << -1;
        QTest::newRow("plus") << QByteArray("+5") << true << 5;
        QTest::newRow("leading zeros") << QByteArray("007") << true << 7;
        QTest::newRow("max") << QByteArray("2147483647") << true << 2147483647;
        QTest::newRow("min") << QByteArray("-2147483648") << true << int(-2147483647 - 1);
        QTest::newRow("empty") << QByteArray("") << false << 0;
        QTest::newRow("sign only") << QByteArray("-") << false << 0;
        QTest::newRow("double sign") << QByteArray("--1") << false << 0;
        QTest::newRow("above max") << QByteArray("2147483648") << false << 0;
        QTest::newRow("below min") << QByteArray("-2147483649") << false << 0;
        QTest::newRow("huge") << QByteArray("99999999999999999999999") << false << 0;
        QTest::newRow("hex") << QByteArray("0x10") << false << 0;
        QTest::newRow("leading blank") << QByteArray(" 5") << false << 0;
        QTest::newRow("trailing blank") << QByteArray("5 ") << false << 0;
        QTest::newRow("decimal point") << QByteArray("1.5") << false << 0;
        QTest::newRow("nul inside") << QByteArray("1\0" "7", 3) << false << 0;
        QTest::newRow("arabic digits") << QByteArray("\xd9\xa1") << false << 0;
    }

    void integerConversion()
    {
        QFETCH(QByteArray, text);
        QFETCH(bool, ok);
        QFETCH(int, value);
        const std::optional<int> result = OptionsFile::parseInteger(text);
        QCOMPARE(result.has_value(), ok);
        if (ok)
            QCOMPARE(*result, value);
    }

    void booleanConversion()
    {
        const QList<QByteArray> checked{"-1", "1", "7", "True", "true", "TRUE", "tRuE"};
        const QList<QByteArray> unchecked{"0", "False", "fAlSe", "-0"};
        const QList<QByteArray> broken{"", "yes", "no", "1.0", " true", "true ", "truex", "0x1"};
        for (const QByteArray &t : checked)
            QCOMPARE(OptionsFile::parseBoolean(t), std::optional<bool>(true));
        for (const QByteArray &t : unchecked)
            QCOMPARE(OptionsFile::parseBoolean(t), std::optional<bool>(false));
        for (const QByteArray &t : broken)
            QVERIFY2(!OptionsFile::parseBoolean(t).has_value(), t.constData());
    }

    void referenceFilesReadAndWriteExactly_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<OptionsValues>("values");
        QTest::newRow("defaults") << QStringLiteral("options-reference/defaults.txt") << defaultFileValues();
        QTest::newRow("arabic") << QStringLiteral("options-reference/arabic.txt") << arabicValues();
    }

    void referenceFilesReadAndWriteExactly()
    {
        QFETCH(QString, file);
        QFETCH(OptionsValues, values);
        const QByteArray bytes = readBytes(fixture(file));
        const OptionsRead read = OptionsFile::read(bytes);
        QVERIFY(!anyFallback(read));
        QVERIFY(read.appliedTo(OptionsValues()) == values);
        QString error;
        QCOMPARE(OptionsFile::toBytes(values, &error), bytes);
        QVERIFY(error.isEmpty());
    }

    void theShippedDefaultFileIsComplete()
    {
        const QByteArray bytes = readBytes(testsupport::appDirTemplate() + QStringLiteral("/Data/options.txt"));
        const OptionsRead read = OptionsFile::read(bytes);
        QVERIFY(!anyFallback(read));
        QCOMPARE(bytes.count("\r\n"), OptionsFile::LineCount);
        QCOMPARE(OptionsFile::toBytes(read.appliedTo(OptionsValues())), bytes);
    }

    void writtenValuesReadBackUnchanged()
    {
        OptionsValues v = arabicValues();
        v.text1 = QStringLiteral("  blanks kept  ");
        v.text2 = QString();
        v.text3 = QString(QChar(0)) + QStringLiteral("x");
        v.fontColor = int(-2147483647 - 1);
        v.stretch = false;
        v.childNo = -3;
        const QByteArray first = OptionsFile::toBytes(v);
        QVERIFY(first.endsWith("\r\n"));
        QCOMPARE(first.count("\r\n"), OptionsFile::LineCount);
        const OptionsRead read = OptionsFile::read(first);
        QVERIFY(!anyFallback(read));
        QVERIFY(read.appliedTo(OptionsValues()) == v);
        QCOMPARE(OptionsFile::toBytes(read.appliedTo(OptionsValues())), first);
    }

    void damagedFiles()
    {
        const OptionsValues arabic = arabicValues();
        // Other line ends and a missing final line end read like the original.
        for (const char *name : {"options-bad/lf-only.txt", "options-bad/no-final-crlf.txt"}) {
            const OptionsRead r = OptionsFile::read(readBytes(fixture(QString::fromLatin1(name))));
            QVERIFY2(!anyFallback(r), name);
            QVERIFY2(r.appliedTo(OptionsValues()) == arabic, name);
        }

        // A file re-saved as UTF-8 with a byte-order mark: the mark spoils line 1
        // only; the rest is read as the code page's bytes, never crashing.
        const OptionsRead bom = OptionsFile::read(readBytes(fixture("options-bad/utf8-bom.txt")));
        QCOMPARE(bom.askedChoice, 0);
        QVERIFY(bom.fellBack[0]);
        QCOMPARE(bom.medium, 1);
        QCOMPARE(bom.fontSize, 40);
        QVERIFY(bom.stretch);
        QCOMPARE(bom.childNo, std::optional<int>(4));
        QCOMPARE(bom.waitSeconds, 5);
        QVERIFY(Windows1256::canHold(bom.text1));

        // Only five lines: the rest are empty lines with their forms' results.
        const OptionsRead five = OptionsFile::read(readBytes(fixture("options-bad/five-lines.txt")));
        QCOMPARE(five.askedChoice, 3);
        QCOMPARE(five.fontColor, -2147483633);
        QCOMPARE(five.questionType, 0);
        QCOMPARE(five.text1, QString());
        QCOMPARE(five.text3, QString());
        QCOMPARE(five.color1, 255);
        QCOMPARE(five.color2, 65535);
        QCOMPARE(five.color3, 16711680);
        QCOMPARE(five.videoWidth, 200);
        QCOMPARE(five.picture1, std::optional<QString>(QString()));
        QVERIFY(!five.stretch);
        QVERIFY(!five.childNo.has_value());
        QCOMPARE(five.waitSeconds, 2);

        // Numbers the conversion refuses take their fallbacks; radio indices
        // and the waiting time are handed on as read for the controls to clamp.
        const OptionsRead bad = OptionsFile::read(readBytes(fixture("options-bad/bad-numbers.txt")));
        QCOMPARE(bad.askedChoice, -5);
        QCOMPARE(bad.medium, 99);
        QVERIFY(!bad.fontName.has_value());
        QCOMPARE(bad.questionType, 7);
        QCOMPARE(bad.color1, 255);
        QCOMPARE(bad.color2, 65535);
        QCOMPARE(bad.color3, 16711680);
        QVERIFY(bad.fellBack[9] && bad.fellBack[10] && bad.fellBack[11]);
        QCOMPARE(bad.videoLocation, 99);
        QCOMPARE(bad.videoWidth, 200);
        QCOMPARE(bad.videoHeight, 200);
        QVERIFY(!bad.stretch);
        QVERIFY(!bad.fellBack[18]);
        QVERIFY(!bad.childNo.has_value());
        QCOMPARE(bad.waitSeconds, 100);
        QCOMPARE(bad.appliedTo(arabic).fontName, arabic.fontName);
        QCOMPARE(bad.appliedTo(arabic).childNo, 17);

        // NUL bytes stay part of a text and spoil a number.
        const OptionsRead nul = OptionsFile::read(readBytes(fixture("options-bad/nul-bytes.txt")));
        QCOMPARE(nul.text1, QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QVERIFY(!nul.childNo.has_value());
        QCOMPARE(nul.waitSeconds, 60);
    }

    void emptyAndHugeInput()
    {
        const OptionsRead empty = OptionsFile::read(QByteArray());
        QCOMPARE(empty.askedChoice, 0);
        QVERIFY(!empty.fontName.has_value());
        QCOMPARE(empty.fontSize, 36);
        QCOMPARE(empty.text1, QString());
        QCOMPARE(empty.color3, 16711680);
        QCOMPARE(empty.picture2, std::optional<QString>(QString()));
        QVERIFY(!empty.childNo.has_value());
        QCOMPARE(empty.waitSeconds, 2);

        // A 1 MB text line and a 1 MB line of digits.
        QList<QByteArray> lines = OptionsFile::toBytes(arabicValues()).split('\n');
        lines[6] = QByteArray(1024 * 1024, 'x') + '\r';
        lines[3] = QByteArray(1024 * 1024, '7') + '\r';
        const OptionsRead huge = OptionsFile::read(lines.join('\n'));
        QCOMPARE(huge.text1.size(), 1024 * 1024);
        QCOMPARE(huge.fontSize, 36);
        QVERIFY(huge.fellBack[3]);
        QCOMPARE(huge.text2, QStringLiteral(u"أصفر"));
        QCOMPARE(huge.waitSeconds, 60);
    }

    void lineEnds()
    {
        // CR LF, a lone LF and a lone CR each end one line; LF CR ends two.
        const auto lines = OptionsFile::splitLines("a\r\nb\nc\rd\n\re");
        QCOMPARE(lines[0], QByteArray("a"));
        QCOMPARE(lines[1], QByteArray("b"));
        QCOMPARE(lines[2], QByteArray("c"));
        QCOMPARE(lines[3], QByteArray("d"));
        QCOMPARE(lines[4], QByteArray(""));
        QCOMPARE(lines[5], QByteArray("e"));
        QCOMPARE(lines[20], QByteArray());
    }

    void aReadThatBrokeOffTakesReadFallbacks()
    {
        const QByteArray full = OptionsFile::toBytes(arabicValues());
        // Cut inside line 8 (the second text).
        bool ok = false;
        const qsizetype cut = full.indexOf(Windows1256::encode(QStringLiteral(u"أصفر"), &ok)) + 2;
        QVERIFY(ok && cut > 2);
        const OptionsRead r = OptionsFile::read(full.left(cut), false);
        QCOMPARE(r.text1, QStringLiteral(u"أحمر"));
        QCOMPARE(r.text2, QStringLiteral("2"));
        QVERIFY(r.fellBack[7]);
        QCOMPARE(r.fontName, std::optional<QString>(QStringLiteral("DejaVu Sans Mono")));
        QVERIFY(!r.picture1.has_value());
        QVERIFY(!r.childNo.has_value());
        QCOMPARE(r.waitSeconds, 2);

        const OptionsRead nothing = OptionsFile::read(QByteArray("3"), false);
        QCOMPARE(nothing.fontName, std::optional<QString>(QStringLiteral("Times New Roman")));
        QCOMPARE(nothing.askedChoice, 0);
        QVERIFY(nothing.fellBack[0]);
    }

    void writerRefusesTextsTheFileCannotHold()
    {
        const QString emoji = QString::fromUtf8("\xf0\x9f\x98\x80");
        QList<OptionsValues> refused;
        OptionsValues v = arabicValues();
        v.text1 = QStringLiteral(u"قطة") + emoji;
        refused << v;
        v = arabicValues();
        v.picture3 = QStringLiteral(u"/tmp/中.png");
        refused << v;
        v = arabicValues();
        v.picture1 = QStringLiteral("/tmp/a\nb.png");
        refused << v;
        v = arabicValues();
        v.fontName = QStringLiteral("Dejavu\rSans");
        refused << v;
        for (const OptionsValues &values : refused) {
            QString error;
            QVERIFY(OptionsFile::toBytes(values, &error).isEmpty());
            QVERIFY(error.contains(Windows1256::refusalMessage()));
        }
    }

private:
    static QString LessonName() { return QStringLiteral(u"التلقائي"); }
};

QTEST_GUILESS_MAIN(TestOptionsFile)
#include "tst_optionsfile.moc"
