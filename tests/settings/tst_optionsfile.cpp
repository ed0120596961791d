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
        QCOMPARE(bom.values.askedChoice, 0);
        QVERIFY(bom.fellBack[0]);
        QCOMPARE(bom.values.medium, 1);
        QCOMPARE(bom.values.fontSize, 40);
        QVERIFY(bom.values.stretch);
        QVERIFY(!bom.keeps(OptionsLine::ChildNo));
        QCOMPARE(bom.values.childNo, 4);
        QCOMPARE(bom.values.waitSeconds, 5);
        QVERIFY(Windows1256::canHold(bom.values.text1));

        // Only five lines: the rest are empty lines with their forms' results.
        const OptionsRead five = OptionsFile::read(readBytes(fixture("options-bad/five-lines.txt")));
        QCOMPARE(five.values.askedChoice, 3);
        QCOMPARE(five.values.fontColor, -2147483633);
        QCOMPARE(five.values.questionType, 0);
        QCOMPARE(five.values.text1, QString());
        QCOMPARE(five.values.text3, QString());
        QCOMPARE(five.values.color1, 255);
        QCOMPARE(five.values.color2, 65535);
        QCOMPARE(five.values.color3, 16711680);
        QCOMPARE(five.values.videoWidth, 200);
        QVERIFY(!five.keeps(OptionsLine::Picture1));
        QCOMPARE(five.values.picture1, QString());
        QVERIFY(!five.values.stretch);
        QVERIFY(five.keeps(OptionsLine::ChildNo));
        QCOMPARE(five.values.waitSeconds, 2);

        // Numbers the conversion refuses take their fallbacks; radio indices
        // and the waiting time are handed on as read for the controls to clamp.
        const OptionsRead bad = OptionsFile::read(readBytes(fixture("options-bad/bad-numbers.txt")));
        QCOMPARE(bad.values.askedChoice, -5);
        QCOMPARE(bad.values.medium, 99);
        QVERIFY(bad.keeps(OptionsLine::FontName));
        QCOMPARE(bad.values.questionType, 7);
        QCOMPARE(bad.values.color1, 255);
        QCOMPARE(bad.values.color2, 65535);
        QCOMPARE(bad.values.color3, 16711680);
        QVERIFY(bad.fellBack[9] && bad.fellBack[10] && bad.fellBack[11]);
        QCOMPARE(bad.values.videoLocation, 99);
        QCOMPARE(bad.values.videoWidth, 200);
        QCOMPARE(bad.values.videoHeight, 200);
        QVERIFY(!bad.values.stretch);
        QVERIFY(!bad.fellBack[18]);
        QVERIFY(bad.keeps(OptionsLine::ChildNo));
        QCOMPARE(bad.values.waitSeconds, 100);
        QCOMPARE(bad.appliedTo(arabic).fontName, arabic.fontName);
        QCOMPARE(bad.appliedTo(arabic).childNo, 17);

        // NUL bytes stay part of a text and spoil a number.
        const OptionsRead nul = OptionsFile::read(readBytes(fixture("options-bad/nul-bytes.txt")));
        QCOMPARE(nul.values.text1, QStringLiteral("a") + QChar(0) + QStringLiteral("b"));
        QVERIFY(nul.keeps(OptionsLine::ChildNo));
        QCOMPARE(nul.values.waitSeconds, 60);
    }

    void emptyAndHugeInput()
    {
        const OptionsRead empty = OptionsFile::read(QByteArray());
        QCOMPARE(empty.values.askedChoice, 0);
        QVERIFY(empty.keeps(OptionsLine::FontName));
        QCOMPARE(empty.values.fontSize, 36);
        QCOMPARE(empty.values.text1, QString());
        QCOMPARE(empty.values.color3, 16711680);
        QVERIFY(!empty.keeps(OptionsLine::Picture2));
        QCOMPARE(empty.values.picture2, QString());
        QVERIFY(empty.keeps(OptionsLine::ChildNo));
        QCOMPARE(empty.values.waitSeconds, 2);

        // A 1 MB text line and a 1 MB line of digits.
        QList<QByteArray> lines = OptionsFile::toBytes(arabicValues()).split('\n');
        lines[6] = QByteArray(1024 * 1024, 'x') + '\r';
        lines[3] = QByteArray(1024 * 1024, '7') + '\r';
        const OptionsRead huge = OptionsFile::read(lines.join('\n'));
        QCOMPARE(huge.values.text1.size(), 1024 * 1024);
        QCOMPARE(huge.values.fontSize, 36);
        QVERIFY(huge.fellBack[3]);
        QCOMPARE(huge.values.text2, QStringLiteral(u"أصفر"));
        QCOMPARE(huge.values.waitSeconds, 60);
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
        QCOMPARE(r.values.text1, QStringLiteral(u"أحمر"));
        QCOMPARE(r.values.text2, QStringLiteral("2"));
        QVERIFY(r.fellBack[7]);
        QVERIFY(!r.keeps(OptionsLine::FontName));
        QCOMPARE(r.values.fontName, QStringLiteral("DejaVu Sans Mono"));
        QVERIFY(r.keeps(OptionsLine::Picture1));
        QVERIFY(r.keeps(OptionsLine::ChildNo));
        QCOMPARE(r.values.waitSeconds, 2);

        const OptionsRead nothing = OptionsFile::read(QByteArray("3"), false);
        QVERIFY(!nothing.keeps(OptionsLine::FontName));
        QCOMPARE(nothing.values.fontName, QStringLiteral("Times New Roman"));
        QCOMPARE(nothing.values.askedChoice, 0);
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
