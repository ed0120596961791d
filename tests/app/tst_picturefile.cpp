#include "core/base/picturefile.h"
#include "support/testsupport.h"
#include "support/testsupport.h"

#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QImageWriter>
#include <QTemporaryDir>
#include <QtEndian>
#include <QtTest>

#include <sys/stat.h>

using testsupport::succeeded;

namespace {

void put16(QByteArray &out, int v)
{
    char b[2];
    qToLittleEndian(quint16(v), b);
    out.append(b, 2);
}
void put32(QByteArray &out, qint64 v)
{
    char b[4];
    qToLittleEndian(quint32(v), b);
    out.append(b, 4);
}

/// A placeable wmf of 100 x 50 pixels (96 units an inch): one rectangle
/// filled with the colour (0x00BBGGRR).
QByteArray wmfRectangle(quint32 colour)
{
    QByteArray head;
    put32(head, 0x9AC6CDD7);
    put16(head, 0);
    for (int v : {0, 0, 100, 50})
        put16(head, v);
    put16(head, 96);
    put32(head, 0);
    quint16 sum = 0;
    for (int i = 0; i < 10; ++i)
        sum ^= qFromLittleEndian<quint16>(head.constData() + 2 * i);
    put16(head, sum);

    QByteArray records;
    const auto record = [&records](int function, std::initializer_list<int> words) {
        put32(records, 3 + qint64(words.size()));
        put16(records, function);
        for (int w : words)
            put16(records, w);
    };
    record(0x020B, {0, 0});                                          // window origin y, x
    record(0x020C, {50, 100});                                       // window extent y, x
    record(0x02FC, {0, int(colour & 0xFFFF), int(colour >> 16), 0}); // solid brush
    record(0x012D, {0});                                             // select it
    record(0x041B, {50, 100, 0, 0});                                 // rectangle bottom, right, top, left
    record(0x0000, {});                                              // end
    QByteArray meta;
    put16(meta, 1);
    put16(meta, 9);
    put16(meta, 0x0300);
    put32(meta, 9 + records.size() / 2);
    put16(meta, 1);
    put32(meta, 7);
    put16(meta, 0);
    return head + meta + records;
}

/// An emf of 100 x 50 pixels: one rectangle filled with the colour.
QByteArray emfRectangle(quint32 colour)
{
    QByteArray records;
    put32(records, 39); // brush
    put32(records, 24);
    put32(records, 1);
    put32(records, 0);
    put32(records, colour);
    put32(records, 0);
    put32(records, 37); // select it
    put32(records, 12);
    put32(records, 1);
    put32(records, 43); // rectangle
    put32(records, 24);
    for (int v : {0, 0, 100, 50})
        put32(records, v);
    put32(records, 14); // end
    put32(records, 20);
    put32(records, 0);
    put32(records, 16);
    put32(records, 20);

    QByteArray head;
    put32(head, 1);
    put32(head, 108);
    for (int v : {0, 0, 99, 49}) // bounds in pixels
        put32(head, v);
    for (int v : {0, 0, 2646, 1323}) // frame in 0.01 mm
        put32(head, v);
    put32(head, 0x464D4520);
    put32(head, 0x10000);
    put32(head, 108 + records.size());
    put32(head, 5);
    put16(head, 2);
    put16(head, 0);
    put32(head, 0);
    put32(head, 0);
    put32(head, 0);
    put32(head, 1024); // reference device in pixels and millimetres
    put32(head, 768);
    put32(head, 271);
    put32(head, 203);
    put32(head, 0);
    put32(head, 0);
    put32(head, 0);
    put32(head, 270933);
    put32(head, 203200);
    return head + records;
}

} // namespace

/// The picture loader on real files: every common format, broken and
/// mis-named files, huge pictures.
class TestPictureFile : public QObject
{
    Q_OBJECT

private:
    QString m_dir;
    QString data(const QString &name) const { return m_dir + QLatin1Char('/') + name; }
    /// A picture that must survive every failed load untouched.
    static QImage previous()
    {
        QImage image(7, 5, QImage::Format_RGB32);
        image.fill(Qt::darkMagenta);
        return image;
    }

private slots:
    void initTestCase()
    {
        m_dir = testsupport::testData(QStringLiteral("pictures"));
        QVERIFY2(QFileInfo(m_dir).isDir(), "picture fixtures not found");
    }

    void loadsEveryCommonFormat_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QSize>("size");
        QTest::addColumn<QPoint>("at");
        QTest::addColumn<QColor>("color");
        QTest::newRow("png") << "square.png" << QSize(40, 40) << QPoint(5, 5) << QColor(0, 0, 255);
        QTest::newRow("bmp") << "bitmap.bmp" << QSize(40, 40) << QPoint(30, 30) << QColor(255, 0, 0);
        QTest::newRow("jpg") << "photo.jpg" << QSize(60, 30) << QPoint(30, 15) << QColor(0, 160, 0);
        QTest::newRow("ico") << "icon.ico" << QSize(32, 32) << QPoint(16, 16) << QColor(255, 255, 0);
        QTest::newRow("gif") << "anim.gif" << QSize(30, 20) << QPoint(10, 10) << QColor(255, 0, 255);
        QTest::newRow("svg") << "vector.svg" << QSize(50, 25) << QPoint(25, 12) << QColor(0, 255, 255);
        // A png saved under the wrong extension is read by its content.
        QTest::newRow("png named jpg") << "png-named.jpg" << QSize(40, 40) << QPoint(30, 30)
                                       << QColor(255, 0, 0);
    }
    void loadsEveryCommonFormat()
    {
        QFETCH(QString, file);
        QFETCH(QSize, size);
        QFETCH(QPoint, at);
        QFETCH(QColor, color);
        if (file.endsWith(QLatin1String(".svg"))
            && !QImageReader::supportedImageFormats().contains("svg"))
            QSKIP("no svg reader on this machine");
        QImage image = previous();
        const Result loaded = PictureFile::load(data(file), &image);
        QVERIFY2(loaded, qPrintable(loaded.text));
        QVERIFY(loaded.text.isEmpty());
        QCOMPARE(image.size(), size);
        const QColor got = image.pixelColor(at);
        // jpeg is lossy: allow a small difference per channel.
        QVERIFY2(qAbs(got.red() - color.red()) < 8 && qAbs(got.green() - color.green()) < 8
                     && qAbs(got.blue() - color.blue()) < 8,
                 qPrintable(got.name()));
    }

    void refusesUnknownExtensions_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("xyz") << "unknown.xyz" << "Unknown picture file extension (.xyz)";
        QTest::newRow("no extension") << "noext" << "Unknown picture file extension (.)";
        // The extension decides before the file is looked at.
        QTest::newRow("missing doc") << "gone.doc" << "Unknown picture file extension (.doc)";
    }
    void refusesUnknownExtensions()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QImage image = previous();
        QString error;
        QVERIFY(!succeeded(PictureFile::load(data(file), &image), &error));
        QCOMPARE(error, message);
        QCOMPARE(image, previous());
    }

    void refusesBrokenContent_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<QString>("message");
        QTest::newRow("zero-byte bmp") << "zero.bmp" << "Bitmap image is not valid";
        QTest::newRow("truncated bmp") << "truncated.bmp" << "Bitmap image is not valid";
        QTest::newRow("text renamed bmp") << "text.bmp" << "Bitmap image is not valid";
        QTest::newRow("truncated png") << "truncated.png" << "PNG image is not valid";
        QTest::newRow("truncated ico") << "truncated.ico" << "Icon image is not valid";
        if (QImageReader::supportedImageFormats().contains("svg"))
            QTest::newRow("broken svg") << "broken.svg" << "SVG image is not valid";
    }
    void refusesBrokenContent()
    {
        QFETCH(QString, file);
        QFETCH(QString, message);
        QImage image = previous();
        QString error;
        QVERIFY(!succeeded(PictureFile::load(data(file), &image), &error));
        QCOMPARE(error, message);
        QCOMPARE(image, previous());
    }

    void metafilesTheTestWrites()
    {
        QTemporaryDir tmp;
        const QByteArray files[] = {wmfRectangle(0x0000FF00), emfRectangle(0x00FF0000)};
        const QColor colours[] = {QColor(0, 255, 0), QColor(0, 0, 255)};
        const char *const names[] = {"clip.wmf", "clip.EMF"};
        for (int i = 0; i < 2; ++i) {
            const QString path = tmp.filePath(QLatin1String(names[i]));
            QVERIFY(testsupport::writeFile(path, files[i]));
            QImage image = previous();
            const Result loaded = PictureFile::load(path, &image);
            QVERIFY2(loaded, qPrintable(QLatin1String(names[i]) + QLatin1Char(' ') + loaded.text));
            // Drawn at its own size, or smaller where it must be (the emf
            // library takes the inclusive bounds as one pixel less).
            const auto near = [](QSize got, QSize want) {
                return qAbs(got.width() - want.width()) <= 1 && qAbs(got.height() - want.height()) <= 1;
            };
            QVERIFY2(near(image.size(), QSize(100, 50)), names[i]);
            QCOMPARE(image.pixelColor(50, 25), colours[i]);
            QVERIFY(PictureFile::load(path, &image, 40));
            QVERIFY2(near(image.size(), QSize(40, 20)), names[i]);

            // Damaged: cut short, or its header spoiled, is a picture that cannot be loaded.
            for (const QByteArray &damaged : {files[i].left(files[i].size() / 2),
                                              QByteArray(8, '\xff') + files[i].mid(8)}) {
                QVERIFY(testsupport::writeFile(path, damaged));
                image = previous();
                QString error;
                QVERIFY2(!succeeded(PictureFile::load(path, &image), &error), names[i]);
                QCOMPARE(error, QStringLiteral("Metafile is not valid"));
                QCOMPARE(image, previous());
            }
        }
    }

    void refusesMissingAndUnreadableFiles()
    {
        QTemporaryDir tmp;
        QVERIFY(tmp.isValid());
        const QString path = tmp.filePath(QStringLiteral("gone.png"));
        QVERIFY(QFile::copy(data(QStringLiteral("square.png")), path));
        QVERIFY(QFile::remove(path)); // chosen once, deleted since
        QImage image = previous();
        QString error;
        QVERIFY(!succeeded(PictureFile::load(path, &image), &error));
        QVERIFY2(error.contains(QStringLiteral("غير موجود")) && error.contains(path),
                 qPrintable(error));
        QCOMPARE(image, previous());

        // A folder that happens to carry a picture extension.
        const QString folder = tmp.filePath(QStringLiteral("album.png"));
        QVERIFY(QDir().mkdir(folder));
        QVERIFY(!succeeded(PictureFile::load(folder, &image), &error));
        QVERIFY2(error.contains(folder), qPrintable(error));
        QCOMPARE(image, previous());

        // No error pointer: still refused, nothing written anywhere.
        QVERIFY(!PictureFile::load(path, &image));
        QCOMPARE(image, previous());
    }

    void extensionCaseDoesNotMatter()
    {
        QTemporaryDir tmp;
        const QString path = tmp.filePath(QStringLiteral("PHOTO.JPG"));
        QVERIFY(QFile::copy(data(QStringLiteral("photo.jpg")), path));
        QImage image;
        QString error;
        QVERIFY2(succeeded(PictureFile::load(path, &image), &error), qPrintable(error));
        QCOMPARE(image.size(), QSize(60, 30));
        QCOMPARE(PictureFile::invalidText(QStringLiteral("BMP")),
                 QStringLiteral("Bitmap image is not valid"));
    }

    void hugePictures()
    {
        // A jpeg is decoded straight to a reduced size: it arrives scaled
        // down to the bound, never at its full 256 MB.
        QImage image = previous();
        QString error;
        QVERIFY2(succeeded(PictureFile::load(data(QStringLiteral("huge.jpg")), &image), &error),
                 qPrintable(error));
        QCOMPARE(image.size(), QSize(PictureFile::DefaultMaxSide, PictureFile::DefaultMaxSide));

        // A png would be decoded pixel by pixel first: refused at once with
        // its size named, the previous picture kept.
        image = previous();
        QVERIFY(!succeeded(PictureFile::load(data(QStringLiteral("huge.png")), &image), &error));
        QVERIFY2(error.contains(QStringLiteral("كبيرة جداً"))
                     && error.contains(QStringLiteral("%L1×%L1").arg(8000)),
                 qPrintable(error));
        QCOMPARE(image, previous());
    }

    // Pictures of odd shapes and from odd places: each loads within the
    // bounds or is refused with its reason, and reads nothing but itself.
    void oddPicturesStayWithinTheirBounds()
    {
        QTemporaryDir tmp;
        QImage image = previous();
        QString error;
        // One pixel wide, 100,000 high: read, its long side at the bound.
        QImage tall(1, 100'000, QImage::Format_RGB32);
        tall.fill(Qt::blue);
        const QString tallPath = tmp.filePath(QStringLiteral("tall.png"));
        QVERIFY(tall.save(tallPath));
        QVERIFY2(succeeded(PictureFile::load(tallPath, &image), &error), qPrintable(error));
        QCOMPARE(image.size(), QSize(1, PictureFile::DefaultMaxSide));

        // A drawing whose picture lies elsewhere: not read, refused.
        const QString elsewhere = tmp.filePath(QStringLiteral("elsewhere.png"));
        QVERIFY(QFile::copy(data(QStringLiteral("square.png")), elsewhere));
        testsupport::FileOpenWatch watch(elsewhere);
        QVERIFY(watch.isValid());
        const QString svgPath = tmp.filePath(QStringLiteral("outside.svg"));
        QVERIFY(testsupport::writeFile(svgPath, QStringLiteral(
            "<svg xmlns=\"http://www.w3.org/2000/svg\" xmlns:xlink=\"http://www.w3.org/1999/xlink\" "
            "width=\"40\" height=\"40\"><image width=\"40\" height=\"40\" xlink:href=\"%1\"/></svg>")
                                                             .arg(elsewhere).toUtf8()));
        image = previous();
        if (QImageReader::supportedImageFormats().contains("svg")) {
            QVERIFY(!succeeded(PictureFile::load(svgPath, &image), &error));
            QCOMPARE(error, QStringLiteral("SVG image is not valid"));
            QCOMPARE(image, previous());
            // Also when it is named as another kind of picture.
            const QString named = tmp.filePath(QStringLiteral("outside.png"));
            QVERIFY(QFile::copy(svgPath, named));
            QVERIFY(!PictureFile::load(named, &image));
            QVERIFY(!watch.opened());
        }

        // A progressive jpeg keeps its whole frame while it decodes: beyond
        // the pixel budget of the other readers it is refused by its size.
        QImage big(4100, 4100, QImage::Format_RGB32);
        big.fill(Qt::green);
        QImageWriter writer(tmp.filePath(QStringLiteral("progressive.jpg")));
        writer.setProgressiveScanWrite(true);
        QVERIFY(writer.write(big));
        big = QImage();
        image = previous();
        QVERIFY(!succeeded(PictureFile::load(tmp.filePath(QStringLiteral("progressive.jpg")), &image), &error));
        QVERIFY2(error.contains(QStringLiteral("كبيرة جداً")), qPrintable(error));
        QCOMPARE(image, previous());

        // A file beyond the size read into memory: refused before it is read.
        QFile sparse(tmp.filePath(QStringLiteral("vast.png")));
        QVERIFY(sparse.open(QIODevice::WriteOnly) && sparse.resize(PictureFile::MaxFileBytes + 1));
        sparse.close();
        QVERIFY(!succeeded(PictureFile::load(sparse.fileName(), &image), &error));
        QVERIFY2(error.contains(QStringLiteral("كبير جداً")) && error.contains(sparse.fileName()), qPrintable(error));
        // A compressed drawing cannot be looked through first: not offered.
        QVERIFY(!succeeded(PictureFile::load(tmp.filePath(QStringLiteral("x.svgz")), &image), &error));
        QCOMPARE(error, PictureFile::unknownExtensionText(QStringLiteral("svgz")));

        // A pipe or a device is no picture: refused at once, never read.
        const QString pipe = tmp.filePath(QStringLiteral("pipe.png"));
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QVERIFY(!succeeded(PictureFile::load(pipe, &image), &error));
        QVERIFY2(error.contains(pipe), qPrintable(error));
        QCOMPARE(image, previous());
    }

    void smallBoundScalesKeepingProportions()
    {
        QImage image;
        QVERIFY(PictureFile::load(data(QStringLiteral("photo.jpg")), &image, 20));
        QCOMPARE(image.size(), QSize(20, 10));
        // Pictures within the bound keep their own size.
        QVERIFY(PictureFile::load(data(QStringLiteral("photo.jpg")), &image, 60));
        QCOMPARE(image.size(), QSize(60, 30));
    }

    void dialogFiltersFollowTheReaders()
    {
        const QStringList suffixes = PictureFile::supportedSuffixes();
        for (const char *s : {"bmp", "ico", "png", "jpg", "jpeg", "gif"})
            QVERIFY2(suffixes.contains(QLatin1String(s)), s);
        // Metafiles, which old clip-art collections hold.
        QVERIFY(suffixes.contains(QLatin1String("emf")) && suffixes.contains(QLatin1String("wmf")));

        const QStringList filters = PictureFile::dialogFilters();
        QCOMPARE(filters.size(), suffixes.size() + 2);
        for (const QString &s : suffixes) {
            QVERIFY2(filters.first().contains(QStringLiteral("*.") + s + QLatin1Char(' '))
                         || filters.first().contains(QStringLiteral("*.") + s + QLatin1Char(')')),
                     qPrintable(s));
            QVERIFY(PictureFile::isKnownSuffix(QStringLiteral("a.") + s.toUpper()));
        }
        QVERIFY(filters.last().contains(QStringLiteral("(*)")));
        QVERIFY(!PictureFile::isKnownSuffix(QStringLiteral("a.xyz")));
        QVERIFY(!PictureFile::isKnownSuffix(QStringLiteral("png")));
    }
};

QTEST_MAIN(TestPictureFile)
#include "tst_picturefile.moc"

