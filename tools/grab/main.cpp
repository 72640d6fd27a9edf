// Saves the screen of the current X display as a PNG, cropped to the part
// that windows cover, so a screenshot holds the window and not the empty
// root around it.
//
//   tarvik-grab OUT.png
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>

#include <cstdio>

namespace {

// The smallest rectangle holding every pixel that differs from the corner
// pixel (the bare root window's colour).
QRect CoveredArea(const QImage &image)
{
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    QRect area;
    for (int y = 0; y < image.height(); ++y) {
        const auto *line = reinterpret_cast<const QRgb *>(image.constScanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            if (line[x] != background)
                area |= QRect(x, y, 1, 1);
        }
    }
    return area.isEmpty() ? image.rect() : area;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUT.png\n", argv[0]);
        return 2;
    }
    QScreen *screen = QGuiApplication::primaryScreen();
    if (!screen) {
        std::fprintf(stderr, "%s: no screen\n", argv[0]);
        return 1;
    }
    const QImage image = screen->grabWindow(0).toImage().convertToFormat(QImage::Format_RGB32);
    if (!image.copy(CoveredArea(image)).save(QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
        return 1;
    }
    return 0;
}
