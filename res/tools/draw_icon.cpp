// Draws icon 128 (res/vkrandom.png): a robot head beside a die, for a tool that switches the
// robot's random behaviours. Run once after a change and commit the PNGs (64 is the program's
// own, the others are the sizes desktops look for):
//   cmake --build build --target vkrandom-draw-icon && build/bin/vkrandom-draw-icon
//   res/vkrandom.png
//   for s in 16 22 24 32 48 128 256; do build/bin/vkrandom-draw-icon res/icons/$s.png $s; done
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>
#include <cstdlib>

namespace {

void drawHead(QPainter& p) {
    // Antenna first, so the head covers its foot.
    p.setPen(QPen(QColor(0x37, 0x47, 0x4f), 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(27, 13), QPointF(27, 5));
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xef, 0x53, 0x50));
    p.drawEllipse(QPointF(27, 5), 4, 4);

    QLinearGradient steel(0, 12, 0, 50);
    steel.setColorAt(0, QColor(0x90, 0xca, 0xf9));
    steel.setColorAt(1, QColor(0x1e, 0x88, 0xe5));
    p.setPen(QPen(QColor(0x0d, 0x47, 0xa1), 2));
    p.setBrush(steel);
    p.drawRoundedRect(QRectF(5, 13, 44, 36), 9, 9);
    // Ears.
    p.setBrush(QColor(0x37, 0x47, 0x4f));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(QRectF(1, 24, 5, 14), 2, 2);
    p.drawRoundedRect(QRectF(48, 24, 5, 14), 2, 2);
    // Eyes and mouth.
    p.setBrush(Qt::white);
    p.drawEllipse(QPointF(18, 28), 6, 6);
    p.drawEllipse(QPointF(36, 28), 6, 6);
    p.setBrush(QColor(0x26, 0x32, 0x38));
    p.drawEllipse(QPointF(19, 29), 3, 3);
    p.drawEllipse(QPointF(37, 29), 3, 3);
    p.setBrush(QColor(0x0d, 0x47, 0xa1));
    p.drawRoundedRect(QRectF(16, 39, 22, 5), 2, 2);
}

void drawDie(QPainter& p) {
    p.save();
    p.translate(48, 48);
    p.rotate(-15);
    p.setPen(QPen(QColor(0x42, 0x42, 0x42), 2));
    p.setBrush(QColor(0xff, 0xfd, 0xe7));
    p.drawRoundedRect(QRectF(-13, -13, 26, 26), 5, 5);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xd3, 0x2f, 0x2f));
    for (QPointF pip : {QPointF(-6, -6), QPointF(0, 0), QPointF(6, 6)})
        p.drawEllipse(pip, 2.6, 2.6);
    p.restore();
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    const int size = argc == 3 ? std::atoi(argv[2]) : 64;
    if (argc < 2 || argc > 3 || size < 16 || size > 1024) {
        std::fprintf(stderr, "usage: %s OUTPUT.png [SIZE, default 64]\n", argv[0]);
        return 2;
    }
    QImage image(size, size, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 64.0, size / 64.0);  // drawn on a 64-unit square
    drawHead(p);
    drawDie(p);
    p.end();
    return image.save(QString::fromLocal8Bit(argv[1]), "PNG") ? 0 : 1;
}
