// tav_screenshot_check FILE: exits 0 when FILE is a picture of a window or a page that is not
// blank: large enough either way up, with many colours and with both dark and light areas (text on
// a background).

#include <QGuiApplication>
#include <QImage>
#include <QSet>
#include <algorithm>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: tav_screenshot_check FILE.png\n");
        return 2;
    }
    const QImage image(QString::fromLocal8Bit(argv[1]));
    if (image.isNull()) {
        std::fprintf(stderr, "%s: not a readable picture\n", argv[1]);
        return 1;
    }
    QSet<QRgb> colours;
    long dark = 0, light = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            colours.insert(pixel);
            const int grey = qGray(pixel);
            dark += grey < 80;
            light += grey > 200;
        }
    }
    const long area = long(image.width()) * image.height();
    std::printf("%s: %d x %d pixels, %lld colours, %.1f %% dark, %.1f %% light\n", argv[1],
                image.width(), image.height(), static_cast<long long>(colours.size()),
                100.0 * dark / area, 100.0 * light / area);
    // A window lies wide, a rendered report page stands upright.
    const int longer = std::max(image.width(), image.height());
    const int shorter = std::min(image.width(), image.height());
    const bool ok = longer >= 640 && shorter >= 400 && colours.size() >= 16 && dark > area / 500 &&
                    light > area / 4;
    if (!ok) std::fprintf(stderr, "%s looks blank\n", argv[1]);
    return ok ? 0 : 1;
}
