// Draws the program's toolbar and window icons as PNG files at 16 and 32 pixels, and
// with a second folder the application icon at the icon theme's sizes (dist/icons holds
// the same drawing as SVG). Build and run by hand when an icon changes:
//   g++ -std=c++20 -fPIC make-icons.cpp $(pkg-config --cflags --libs Qt6Gui) -o /tmp/make-icons
//   QT_QPA_PLATFORM=offscreen /tmp/make-icons src/gui/resources/icons dist/icons
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <functional>

namespace {

const QColor kInk(40, 48, 64);
const QColor kPerson(52, 101, 164);
const QColor kPaper(250, 250, 246);

void Person(QPainter& p, QPointF at, double scale) {
    p.setPen(QPen(kInk, 0.6));
    p.setBrush(kPerson);
    p.drawEllipse(QPointF(at.x(), at.y() - 3.2 * scale), 2.4 * scale, 2.4 * scale);
    QPainterPath body;
    body.moveTo(at.x() - 4.6 * scale, at.y() + 5.2 * scale);
    body.cubicTo(at.x() - 4.6 * scale, at.y() - 0.4 * scale, at.x() + 4.6 * scale,
                 at.y() - 0.4 * scale, at.x() + 4.6 * scale, at.y() + 5.2 * scale);
    body.closeSubpath();
    p.drawPath(body);
}

void Card(QPainter& p, QRectF r) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(kPaper);
    p.drawRect(r);
    p.setPen(QPen(QColor(120, 130, 150), 0.8));
    for (double y = r.top() + 2.5; y < r.bottom() - 1; y += 2.5)
        p.drawLine(QPointF(r.left() + 2, y), QPointF(r.right() - 2, y));
}

void Printer(QPainter& p, QColor paper) {
    p.setPen(QPen(kInk, 0.8));
    p.setBrush(paper);
    p.drawRect(QRectF(4, 1.5, 8, 6));
    p.setBrush(QColor(150, 156, 166));
    p.drawRoundedRect(QRectF(1.5, 6.5, 13, 6), 1.2, 1.2);
    p.setBrush(kPaper);
    p.drawRect(QRectF(4, 10.5, 8, 4));
    p.setBrush(QColor(90, 200, 90));
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(12.5, 8.5), 0.8, 0.8);
}

void Plus(QPainter& p, QPointF c, QColor color) {
    p.setPen(QPen(color.darker(140), 1.0));
    p.setBrush(color);
    QPainterPath plus;
    plus.addRect(QRectF(c.x() - 3, c.y() - 1, 6, 2));
    plus.addRect(QRectF(c.x() - 1, c.y() - 3, 2, 6));
    p.drawPath(plus.simplified());
}

const std::vector<std::pair<const char*, std::function<void(QPainter&)>>> kIcons = {
    {"kinbook",
     [](QPainter& p) {
         p.setPen(QPen(kInk, 0.8));
         p.setBrush(kPaper);
         p.drawRoundedRect(QRectF(4.5, 1.5, 10, 13), 1, 1);
         p.setBrush(QColor(164, 52, 52));
         p.drawRoundedRect(QRectF(1.5, 0.8, 11, 14.4), 1.2, 1.2);
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(220, 180, 90));
         p.drawRect(QRectF(3, 0.8, 1, 14.4));
         p.setBrush(kPaper);
         p.drawEllipse(QPointF(8.2, 5.6), 1.8, 1.8);
         p.drawChord(QRectF(4.8, 8, 6.8, 6.5), 0, 180 * 16);
     }},
    {"new-contact",
     [](QPainter& p) {
         Person(p, QPointF(7, 8.5), 1.0);
         Plus(p, QPointF(12, 12), QColor(78, 170, 40));
     }},
    {"delete-record",
     [](QPainter& p) {
         Person(p, QPointF(7, 8.5), 1.0);
         p.setPen(QPen(QColor(200, 30, 30), 2.2, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(9.5, 9.5), QPointF(14.5, 14.5));
         p.drawLine(QPointF(14.5, 9.5), QPointF(9.5, 14.5));
     }},
    {"edit-record",
     [](QPainter& p) {
         Card(p, QRectF(1.5, 1.5, 10, 13));
         p.save();
         p.translate(11, 8);
         p.rotate(45);
         p.setPen(QPen(kInk, 0.7));
         p.setBrush(QColor(240, 170, 40));
         p.drawRect(QRectF(-1.6, -6, 3.2, 9));
         p.setBrush(QColor(230, 200, 160));
         QPainterPath tip;
         tip.moveTo(-1.6, 3);
         tip.lineTo(1.6, 3);
         tip.lineTo(0, 6);
         tip.closeSubpath();
         p.drawPath(tip);
         p.restore();
     }},
    {"copy-record",
     [](QPainter& p) {
         Card(p, QRectF(1.5, 1.5, 8.5, 10.5));
         Card(p, QRectF(6, 4.5, 8.5, 10));
     }},
    {"print-record", [](QPainter& p) { Printer(p, kPaper); }},
    {"print-book",
     [](QPainter& p) {
         Printer(p, kPaper);
         p.setPen(QPen(kInk, 0.6));
         p.setBrush(QColor(164, 52, 52));
         p.drawRect(QRectF(5.5, 0.8, 5, 5.5));
         p.setPen(Qt::NoPen);
         p.setBrush(QColor(220, 180, 90));
         p.drawRect(QRectF(6.3, 0.8, 0.8, 5.5));
     }},
    {"find-contact",
     [](QPainter& p) {
         p.setPen(QPen(QColor(90, 70, 50), 2.6, Qt::SolidLine, Qt::RoundCap));
         p.drawLine(QPointF(10, 10), QPointF(14.3, 14.3));
         p.setPen(QPen(kInk, 1.3));
         p.setBrush(QColor(200, 225, 250));
         p.drawEllipse(QPointF(6.5, 6.5), 4.6, 4.6);
     }},
};

QImage Draw(const std::function<void(QPainter&)>& draw, int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(size / 16.0, size / 16.0);
    draw(p);
    p.end();
    return image;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QString dir = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    for (const auto& [name, draw] : kIcons) {
        for (int size : {16, 32})
            Draw(draw, size).save(
                QStringLiteral("%1/%2-%3.png").arg(dir, QLatin1String(name)).arg(size));
    }
    if (argc > 2) {
        const QString theme = QString::fromLocal8Bit(argv[2]);
        for (int size : {16, 22, 24, 32, 48, 64, 128, 256})
            Draw(kIcons.front().second, size)
                .save(QStringLiteral("%1/org.feltmoor.Kinbook-%2.png").arg(theme).arg(size));
    }
    return 0;
}
