// The six shape kinds: where each is drawn within its area, and what the
// drawn pixels look like.
#include "ui/window/shapecontrol.h"

#include <QImage>
#include <QSignalSpy>
#include <QtTest>

using Kind = ShapeControl::Kind;
Q_DECLARE_METATYPE(ShapeControl::Kind)

class TestShapes : public QObject
{
    Q_OBJECT

private:
    /// The shape as it shows on screen, over a white background.
    static QImage render(Kind kind, QSize size, QColor brush = QColor(255, 0, 0))
    {
        QWidget parent;
        parent.setAutoFillBackground(true);
        QPalette pal = parent.palette();
        pal.setColor(QPalette::Window, Qt::white);
        parent.setPalette(pal);
        parent.resize(size);
        auto *shape = new ShapeControl(&parent);
        shape->setGeometry(QRect(QPoint(0, 0), size));
        shape->setKind(kind);
        shape->setBrushColor(brush);
        return parent.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static bool isRed(const QImage &im, int x, int y)
    {
        return im.pixel(x, y) == qRgb(255, 0, 0);
    }
    static bool isWhite(const QImage &im, int x, int y)
    {
        return im.pixel(x, y) == qRgb(255, 255, 255);
    }
    static bool isDark(const QImage &im, int x, int y)
    {
        const QRgb p = im.pixel(x, y);
        return qRed(p) < 110 && qGreen(p) < 110 && qBlue(p) < 110;
    }

private slots:
    void geometryOfEachKind_data()
    {
        QTest::addColumn<Kind>("kind");
        QTest::addColumn<QRect>("area");
        QTest::addColumn<QRect>("figure");
        QTest::addColumn<int>("corner");
        QTest::addColumn<bool>("ellipse");
        const QRect wide(0, 0, 300, 100);
        QTest::newRow("rectangle") << Kind::Rectangle << wide << wide << 0 << false;
        QTest::newRow("square") << Kind::Square << wide << QRect(100, 0, 100, 100) << 0 << false;
        // The corner ellipse is a quarter of the shorter side wide and high.
        QTest::newRow("rounded rectangle") << Kind::RoundRect << wide << wide << 25 << false;
        QTest::newRow("rounded square") << Kind::RoundSquare << wide << QRect(100, 0, 100, 100)
                                        << 25 << false;
        QTest::newRow("ellipse") << Kind::Ellipse << wide << wide << 0 << true;
        QTest::newRow("circle") << Kind::Circle << wide << QRect(100, 0, 100, 100) << 0 << true;

        // A tall area: the square is centred vertically.
        const QRect tall(0, 0, 80, 200);
        QTest::newRow("tall square") << Kind::Square << tall << QRect(0, 60, 80, 80) << 0 << false;
        QTest::newRow("tall rounded rectangle") << Kind::RoundRect << tall << tall << 20 << false;
        QTest::newRow("tall circle") << Kind::Circle << tall << QRect(0, 60, 80, 80) << 0 << true;

        // An odd leftover splits with the extra pixel after the figure, and
        // an area away from the origin keeps its offset.
        QTest::newRow("odd width") << Kind::Square << QRect(0, 0, 301, 100)
                                   << QRect(100, 0, 100, 100) << 0 << false;
        QTest::newRow("offset area") << Kind::Circle << QRect(10, 20, 50, 90)
                                     << QRect(10, 40, 50, 50) << 0 << true;
        QTest::newRow("offset rounded square") << Kind::RoundSquare << QRect(7, 3, 41, 30)
                                               << QRect(12, 3, 30, 30) << 7 << false;
        // A panel of the real window: 1003 wide, 195 high.
        QTest::newRow("panel rounded square") << Kind::RoundSquare << QRect(0, 0, 1003, 195)
                                              << QRect(404, 0, 195, 195) << 48 << false;
    }
    void geometryOfEachKind()
    {
        QFETCH(Kind, kind);
        QFETCH(QRect, area);
        QFETCH(QRect, figure);
        QFETCH(int, corner);
        QFETCH(bool, ellipse);
        const ShapeControl::Geometry g = ShapeControl::geometry(kind, area);
        QCOMPARE(g.rect, figure);
        QCOMPARE(g.corner, corner);
        QCOMPARE(g.ellipse, ellipse);
        QVERIFY(area.contains(g.rect));
    }

    void emptyAreasGiveEmptyFigures()
    {
        for (int k = Kind::Rectangle; k <= Kind::Circle; ++k) {
            const ShapeControl::Geometry g = ShapeControl::geometry(Kind(k), QRect(0, 0, 0, 40));
            QVERIFY(g.rect.width() <= 0);
            QCOMPARE(g.corner, 0);
        }
    }

    void kindsOutsideTheRangeChangeNothing()
    {
        ShapeControl shape;
        shape.setKind(Kind::Circle);
        for (int bad : {-1, 6, 100}) {
            shape.setKind(bad);
            QCOMPARE(shape.kind(), Kind::Circle);
        }
        shape.setKind(0);
        QCOMPARE(shape.kind(), Kind::Rectangle);
    }

    void rectangleFillsWithAOnePixelOutline()
    {
        const QImage im = render(Kind::Rectangle, QSize(120, 60));
        for (QPoint p : {QPoint(0, 0), QPoint(119, 0), QPoint(0, 59), QPoint(119, 59), QPoint(60, 0),
                         QPoint(0, 30)})
            QVERIFY2(isDark(im, p.x(), p.y()), qPrintable(QStringLiteral("%1,%2").arg(p.x()).arg(p.y())));
        QVERIFY(isRed(im, 1, 1));
        QVERIFY(isRed(im, 118, 58));
        QVERIFY(isRed(im, 60, 30));
    }

    void squareAndCircleAreCentred()
    {
        const QImage square = render(Kind::Square, QSize(120, 60));
        QVERIFY(isWhite(square, 10, 30));  // left of the square
        QVERIFY(isWhite(square, 109, 30)); // right of it
        QVERIFY(isDark(square, 30, 30));   // its left edge
        QVERIFY(isDark(square, 89, 30));   // its right edge
        QVERIFY(isRed(square, 31, 1));     // its inner corner

        const QImage circle = render(Kind::Circle, QSize(120, 60));
        QVERIFY(isRed(circle, 60, 30));
        QVERIFY(isWhite(circle, 31, 1)); // the square's corner lies outside the circle
        QVERIFY(isWhite(circle, 10, 30));
        QVERIFY(isDark(circle, 60, 0)); // top of the outline
        QVERIFY(isDark(circle, 30, 30) || isDark(circle, 31, 30)); // left of the outline
    }

    void ellipseAndRoundedCornersLeaveTheCornersOut()
    {
        const QImage ellipse = render(Kind::Ellipse, QSize(200, 80));
        QVERIFY(isWhite(ellipse, 2, 2));
        QVERIFY(isWhite(ellipse, 197, 77));
        QVERIFY(isRed(ellipse, 100, 40));
        QVERIFY(isRed(ellipse, 5, 40)); // reaches the sides

        // Corners of an ellipse 20 wide (a quarter of 80): the corner pixel
        // is out, a point 10 pixels in along the edge is in.
        const QImage rounded = render(Kind::RoundRect, QSize(200, 80));
        QVERIFY(isWhite(rounded, 0, 0));
        QVERIFY(isWhite(rounded, 199, 79));
        QVERIFY(isRed(rounded, 3, 40));
        QVERIFY(isRed(rounded, 100, 3));
        QVERIFY(isRed(rounded, 12, 12));
        // The square corner of the rectangle kind is filled there instead.
        QVERIFY(isRed(render(Kind::Rectangle, QSize(200, 80)), 2, 2));

        const QImage roundSquare = render(Kind::RoundSquare, QSize(200, 80));
        QVERIFY(isWhite(roundSquare, 60, 0));  // the square's rounded corner
        QVERIFY(isWhite(roundSquare, 30, 40)); // outside the square
        QVERIFY(isRed(roundSquare, 100, 40));
        QVERIFY(isRed(roundSquare, 62, 40));
    }

    void brushColourAndMouseRelease()
    {
        const QImage blue = render(Kind::Rectangle, QSize(40, 40), QColor(0, 0, 255));
        QCOMPARE(blue.pixel(20, 20), qRgb(0, 0, 255));

        ShapeControl shape;
        shape.resize(50, 50);
        QSignalSpy spy(&shape, &ShapeControl::mouseUp);
        // Any button released over the shape counts.
        QTest::mouseClick(&shape, Qt::LeftButton, {}, QPoint(25, 25));
        QTest::mouseClick(&shape, Qt::RightButton, {}, QPoint(25, 25));
        QCOMPARE(spy.count(), 2);
    }
};

QTEST_MAIN(TestShapes)
#include "tst_shapes.moc"
