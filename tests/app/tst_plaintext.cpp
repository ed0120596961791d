#include "core/base/plaintext.h"

#include <QTextDocument>
#include <QtTest>

/// Texts from outside as they are shown and kept: what goes, what stays,
/// where they are cut.
class TestPlainText : public QObject
{
    Q_OBJECT

private slots:
    void cleanText_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("length");
        QTest::addColumn<QString>("clean");
        // Arabic spelling with its joiners, and the marks the code page holds.
        const QString arabic = QStringLiteral("\u0644\u200D\u0627 \u0645\u200C\u064A \u200F(5)\u200E \u061C\u0628");
        QTest::newRow("arabic kept") << arabic << 50 << arabic;
        QTest::newRow("controls") << QStringLiteral("a\u0000b\tc\nd\re\u001Bf\u007Fg\u0085h\u009Fi") << 50
                                  << QStringLiteral("abcdefghi");
        QTest::newRow("embeddings, overrides, isolates")
            << QStringLiteral("\u202Aa\u202Bb\u202Cc\u202Dd\u202Ee\u2066f\u2067g\u2068h\u2069") << 50
            << QStringLiteral("abcdefgh");
        QTest::newRow("line and paragraph separators") << QStringLiteral("a\u2028b\u2029c") << 50
                                                       << QStringLiteral("abc");
        QTest::newRow("markup stays as characters") << QStringLiteral("<img src=\"/dev/zero\">") << 50
                                                    << QStringLiteral("<img src=\"/dev/zero\">");
        // Characters are counted after cleaning, a pair as one, never split.
        QTest::newRow("cut after cleaning") << QStringLiteral("\u202E\u202Eabcdef") << 3 << QStringLiteral("abc");
        const QString face = QStringLiteral("\U0001F600");
        QTest::newRow("pair counts as one") << QString(face + face + face) << 2 << QString(face + face);
        QTest::newRow("lone surrogates") << (QStringLiteral("a") + QChar(0xD800) + QStringLiteral("b") + QChar(0xDC00))
                                         << 50 << QStringLiteral("ab");
        QTest::newRow("empty and zero length") << QStringLiteral("abc") << 0 << QString();
        QTest::newRow("10,000 characters") << QString(10000, QChar(0x0645)) << 50 << QString(50, QChar(0x0645));
    }
    void cleanText()
    {
        QFETCH(QString, text);
        QFETCH(int, length);
        QFETCH(QString, clean);
        QCOMPARE(PlainText::cleanText(text, length), clean);
        QCOMPARE(PlainText::isClean(text, length), text == clean);
        QVERIFY(PlainText::isClean(clean, length));
    }

    void markupOnlyPlacesGetEscapedText()
    {
        const QString name = QStringLiteral("<b>a & b</b>");
        QCOMPARE(PlainText::escaped(name), QStringLiteral("&lt;b&gt;a &amp; b&lt;/b&gt;"));
        // A tooltip shows exactly the characters: as escaped markup.
        const QString tip = PlainText::toolTip(name);
        QVERIFY(Qt::mightBeRichText(tip));
        QTextDocument shown;
        shown.setHtml(tip);
        QCOMPARE(shown.toPlainText(), name);
        QCOMPARE(PlainText::toolTip(QString()), QString());
    }
};

QTEST_GUILESS_MAIN(TestPlainText)
#include "tst_plaintext.moc"
