// The application icon: what iconbake made of the XPM sources, what the program
// has compiled in, and whether the drawing still is what the icon is meant to be.

#include <QImage>
#include <QImageReader>
#include <QRect>
#include <QSet>
#include <QTest>

namespace {

const QString SourceDir = QStringLiteral(SOURCE_DIR);
const QString IconDir = QStringLiteral(ICON_DIR);

constexpr QRgb Red = 0xffff0000;
constexpr QRgb Blue = 0xff0000ff;
constexpr QRgb White = 0xffffffff;
constexpr QRgb Ruling = 0xff00ffff;

// The 16-colour VGA palette.
const QSet<QRgb> Vga16 = {0xff000000, 0xff800000, 0xff008000, 0xff808000, 0xff000080, 0xff800080,
    0xff008080, 0xffc0c0c0, 0xff808080, 0xffff0000, 0xff00ff00, 0xffffff00, 0xff0000ff, 0xffff00ff,
    0xff00ffff, 0xffffffff};

QImage argb(const QImage &image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

QImage source(int size)
{
    return argb(QImage(SourceDir + QStringLiteral("/dayvane-%1.xpm").arg(size)));
}

// Transparent pixels may carry any colour, so they only have to agree on being
// transparent.
bool samePixels(const QImage &actual, const QImage &expected)
{
    if (actual.size() != expected.size())
        return false;
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            const QRgb a = actual.pixel(x, y);
            const QRgb e = expected.pixel(x, y);
            if (qAlpha(e) == 0 ? qAlpha(a) != 0 : a != e)
                return false;
        }
    }
    return true;
}

QSet<QRgb> colours(const QImage &image, const QRect &area)
{
    QSet<QRgb> result;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            result.insert(image.pixel(x, y));
    return result;
}

int count(const QImage &image, const QRect &area, QRgb colour)
{
    int n = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

#include "dayvane-16.xpm"
#include "dayvane-32.xpm"

} // namespace

class TestIcon : public QObject
{
    Q_OBJECT

private slots:
    void bakedFilesMatchTheDrawing_data() { sizes(); }
    void bakedFilesMatchTheDrawing();
    void compiledInMatchesTheDrawing_data() { sizes(); }
    void compiledInMatchesTheDrawing();
    void icoHoldsBothSizes();
    void drawing_data();
    void drawing();

private:
    static void sizes();
};

void TestIcon::sizes()
{
    QTest::addColumn<int>("size");
    QTest::newRow("16") << 16;
    QTest::newRow("32") << 32;
}

void TestIcon::bakedFilesMatchTheDrawing()
{
    QFETCH(int, size);
    const QImage expected = source(size);
    QVERIFY(!expected.isNull());

    const QImage png(IconDir + QStringLiteral("/dayvane-%1.png").arg(size), "png");
    QVERIFY(!png.isNull());
    QVERIFY(samePixels(argb(png), expected));

    QImageReader ico(IconDir + QStringLiteral("/dayvane.ico"), "ico");
    QImage entry;
    for (int i = 0; i < ico.imageCount() && entry.isNull(); ++i) {
        QVERIFY(ico.jumpToImage(i));
        const QImage candidate = ico.read();
        if (candidate.width() == size)
            entry = candidate;
    }
    QVERIFY2(!entry.isNull(), "no image of this size in the ICO");
    QVERIFY(samePixels(argb(entry), expected));
}

// The window icon is the XPM data compiled in; it has to be the picture that
// is installed for the desktop to show.
void TestIcon::compiledInMatchesTheDrawing()
{
    QFETCH(int, size);
    const QImage compiled(size == 16 ? dayvane_16 : dayvane_32);
    QVERIFY(!compiled.isNull());
    const QImage installed(IconDir + QStringLiteral("/dayvane-%1.png").arg(size), "png");
    QVERIFY(samePixels(argb(compiled), argb(installed)));
}

void TestIcon::icoHoldsBothSizes()
{
    QImageReader ico(IconDir + QStringLiteral("/dayvane.ico"), "ico");
    QCOMPARE(ico.imageCount(), 2);
    QSet<int> sizes;
    for (int i = 0; i < ico.imageCount(); ++i) {
        QVERIFY(ico.jumpToImage(i));
        const QImage image = ico.read();
        QCOMPARE(image.width(), image.height());
        sizes.insert(image.width());
    }
    QCOMPARE(sizes, QSet<int>({16, 32}));
}

void TestIcon::drawing_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<QRect>("coverBand"); // the cover as seen left of the left page
    QTest::addColumn<QRect>("leftPage"); // the left page, short of the spiral
    QTest::newRow("16") << 16 << QRect(1, 3, 1, 10) << QRect(3, 5, 3, 7);
    QTest::newRow("32") << 32 << QRect(1, 5, 2, 20) << QRect(4, 7, 8, 17);
}

void TestIcon::drawing()
{
    QFETCH(int, size);
    QFETCH(QRect, coverBand);
    QFETCH(QRect, leftPage);
    const QImage image = argb(QImage(IconDir + QStringLiteral("/dayvane-%1.png").arg(size)));
    QCOMPARE(image.size(), QSize(size, size));

    QSet<QRgb> opaque;
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            const QRgb pixel = image.pixel(x, y);
            QVERIFY2(qAlpha(pixel) == 0 || qAlpha(pixel) == 255,
                qPrintable(QStringLiteral("partly transparent pixel at %1,%2").arg(x).arg(y)));
            if (qAlpha(pixel) == 255)
                opaque.insert(pixel);
        }
    }
    QVERIFY(opaque.size() <= 16);
    for (QRgb colour : opaque)
        QVERIFY2(Vga16.contains(colour), qPrintable(QString::number(colour, 16)));

    for (const QPoint corner :
        {QPoint(0, 0), QPoint(size - 1, 0), QPoint(0, size - 1), QPoint(size - 1, size - 1)})
        QCOMPARE(qAlpha(image.pixel(corner)), 0);

    QCOMPARE(colours(image, coverBand), QSet<QRgb>({Red, Blue}));

    const int pageArea = leftPage.width() * leftPage.height();
    QVERIFY(count(image, leftPage, White) > pageArea / 2);
    QVERIFY(count(image, leftPage, Ruling) > 0);
}

QTEST_GUILESS_MAIN(TestIcon)
#include "tst_icon.moc"
