// The logo: the light-lettering drawing on dark palettes, the double-size one on dense screens,
// and a label that follows a palette change.

#include "ui/logo.h"

#include <QtTest>
#include <QtWidgets>

namespace {

QPalette windowPalette(const char* colour) {
    QPalette p;
    p.setColor(QPalette::Window, QColor(colour));
    return p;
}

// Mean lightness of the opaque pixels of the "Volt" lettering, right of the square.
int letteringLightness(const QPixmap& logo) {
    const QImage image = logo.toImage().convertToFormat(QImage::Format_ARGB32);
    const qreal r = logo.devicePixelRatio();
    long sum = 0, count = 0;
    for (int y = int(10 * r); y < int(50 * r); ++y)
        for (int x = int(68 * r); x < int(130 * r); ++x) {
            const QColor c = image.pixelColor(x, y);
            if (c.alpha() == 255) {
                sum += c.lightness();
                ++count;
            }
        }
    return count ? int(sum / count) : -1;
}

} // namespace

class TestLogo : public QObject {
    Q_OBJECT

  private slots:
    void chosenDrawing_data() {
        QTest::addColumn<QString>("window");
        QTest::addColumn<qreal>("ratio");
        QTest::addColumn<qreal>("pixelRatio");
        QTest::addColumn<bool>("lightLettering");
        QTest::newRow("light, 1x") << "#efefef" << 1.0 << 1.0 << false;
        QTest::newRow("light, 1.25x takes the sharper 2x") << "#ffffff" << 1.25 << 2.0 << false;
        QTest::newRow("dark, 1x") << "#2b2b2b" << 1.0 << 1.0 << true;
        QTest::newRow("dark, 2x") << "#000000" << 2.0 << 2.0 << true;
        QTest::newRow("mid grey counts as light") << "#808080" << 1.0 << 1.0 << false;
    }
    void chosenDrawing() {
        QFETCH(QString, window);
        QFETCH(qreal, ratio);
        QFETCH(qreal, pixelRatio);
        QFETCH(bool, lightLettering);
        const QPixmap logo = voltrakeLogo(windowPalette(window.toLatin1()), ratio);
        QVERIFY(!logo.isNull());
        QCOMPARE(logo.devicePixelRatio(), pixelRatio);
        // The same place in the layout whatever the drawing.
        QCOMPARE(logo.deviceIndependentSize().toSize(), QSize(209, 64));
        const int lightness = letteringLightness(logo);
        QVERIFY2(lightLettering ? lightness > 200 : lightness < 100,
                 qPrintable(QString::number(lightness)));
    }

    // A label follows a palette change; the icon, with no icon theme offscreen, is the copy
    // built into the program.
    void labelAndIcon() {
        QLabel label;
        label.setPalette(windowPalette("#efefef"));
        showLogo(&label);
        QVERIFY(letteringLightness(label.pixmap()) < 100);
        label.setPalette(windowPalette("#202020"));
        QVERIFY(letteringLightness(label.pixmap()) > 200);
        QVERIFY(!voltrakeIcon().isNull());
    }
};

QTEST_MAIN(TestLogo)
#include "tst_logo.moc"
