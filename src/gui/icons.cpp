#include "gui/icons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <QtMath>

namespace pelmora {

namespace {

// Every image is drawn on a 64 x 64 canvas; Qt scales it to the button.
constexpr int kCanvas = 64;

const QColor kInk(0x33, 0x3d, 0x4a);
const QColor kPaper(0xff, 0xff, 0xff);
const QColor kFolder(0xf2, 0xb6, 0x3c);
const QColor kFolderDark(0xd9, 0x93, 0x1e);
const QColor kBlue(0x2f, 0x7d, 0xd1);
const QColor kGreen(0x3a, 0xa6, 0x5b);
const QColor kRed(0xd6, 0x45, 0x3d);
const QColor kGrey(0x8a, 0x94, 0xa0);

QPen InkPen(qreal width = 3) {
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

// A sheet of paper with a folded corner and a few text lines.
void DrawPage(QPainter& p, const QRectF& r) {
    const qreal fold = r.width() * 0.3;
    QPainterPath page;
    page.moveTo(r.left(), r.top());
    page.lineTo(r.right() - fold, r.top());
    page.lineTo(r.right(), r.top() + fold);
    page.lineTo(r.right(), r.bottom());
    page.lineTo(r.left(), r.bottom());
    page.closeSubpath();
    p.setPen(InkPen(2.5));
    p.setBrush(kPaper);
    p.drawPath(page);
    QPainterPath corner;
    corner.moveTo(r.right() - fold, r.top());
    corner.lineTo(r.right() - fold, r.top() + fold);
    corner.lineTo(r.right(), r.top() + fold);
    p.setBrush(QColor(0xdd, 0xe3, 0xea));
    p.drawPath(corner);
    p.setPen(QPen(kBlue, 2.5, Qt::SolidLine, Qt::RoundCap));
    const qreal x0 = r.left() + r.width() * 0.18, x1 = r.right() - r.width() * 0.18;
    for (int i = 0; i < 4; ++i) {
        const qreal y = r.top() + r.height() * (0.42 + 0.14 * i);
        p.drawLine(QPointF(x0, y), QPointF(i == 3 ? (x0 + x1) / 2 : x1, y));
    }
}

void DrawFolder(QPainter& p, const QRectF& r) {
    QPainterPath back;
    back.moveTo(r.left(), r.top() + r.height() * 0.15);
    back.lineTo(r.left() + r.width() * 0.35, r.top() + r.height() * 0.15);
    back.lineTo(r.left() + r.width() * 0.45, r.top() + r.height() * 0.28);
    back.lineTo(r.right(), r.top() + r.height() * 0.28);
    back.lineTo(r.right(), r.bottom());
    back.lineTo(r.left(), r.bottom());
    back.closeSubpath();
    p.setPen(InkPen(2.5));
    p.setBrush(kFolderDark);
    p.drawPath(back);
    QPainterPath front;
    front.moveTo(r.left(), r.bottom());
    front.lineTo(r.left() + r.width() * 0.1, r.top() + r.height() * 0.42);
    front.lineTo(r.right() + r.width() * 0.06, r.top() + r.height() * 0.42);
    front.lineTo(r.right(), r.bottom());
    front.closeSubpath();
    p.setBrush(kFolder);
    p.drawPath(front);
}

// A round badge with a plus, placed at the lower right.
void DrawPlusBadge(QPainter& p, const QPointF& c) {
    p.setPen(InkPen(2));
    p.setBrush(kGreen);
    p.drawEllipse(c, 11, 11);
    p.setPen(QPen(kPaper, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(c.x() - 5.5, c.y()), QPointF(c.x() + 5.5, c.y()));
    p.drawLine(QPointF(c.x(), c.y() - 5.5), QPointF(c.x(), c.y() + 5.5));
}

void DrawDir(QPainter& p) {
    DrawFolder(p, QRectF(6, 10, 46, 40));
    DrawPlusBadge(p, QPointF(49, 49));
}

void DrawFile(QPainter& p) {
    DrawPage(p, QRectF(12, 5, 36, 48));
    DrawPlusBadge(p, QPointF(49, 49));
}

void DrawGetTitle(QPainter& p) {
    DrawPage(p, QRectF(8, 5, 36, 48));
    // The first line stands out as the title, under a magnifier.
    p.setPen(QPen(kRed, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(14, 17), QPointF(31, 17));
    p.setPen(InkPen(3));
    p.setBrush(QColor(0xcf, 0xe6, 0xfb, 200));
    p.drawEllipse(QPointF(40, 36), 11, 11);
    p.setPen(QPen(kInk, 6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(48, 44), QPointF(57, 53));
}

void DrawSetting(QPainter& p) {
    const QPointF c(32, 32);
    QPainterPath gear;
    constexpr int kTeeth = 8;
    for (int i = 0; i < kTeeth * 4; ++i) {
        const qreal a = (i - 0.5) * M_PI * 2 / (kTeeth * 4);
        const qreal rad = (i % 4 < 2) ? 26 : 19;
        const QPointF pt(c.x() + rad * qCos(a), c.y() + rad * qSin(a));
        if (i == 0)
            gear.moveTo(pt);
        else
            gear.lineTo(pt);
    }
    gear.closeSubpath();
    gear.addEllipse(c, 8, 8);
    gear.setFillRule(Qt::OddEvenFill);
    p.setPen(InkPen(2.5));
    p.setBrush(kGrey);
    p.drawPath(gear);
}

// A pencil at 45 degrees whose body ends at `at` (its tip points down-left):
// body of the given length, then the tip; an eraser at the top if asked.
void DrawPencil(QPainter& p, QPointF at, qreal length, qreal tipLength, bool eraser) {
    p.save();
    p.translate(at);
    p.rotate(-45);
    p.setPen(InkPen(2));
    p.setBrush(kFolder);
    p.drawRect(QRectF(-4, 10 - length, 8, length));
    if (eraser) {
        p.setBrush(kRed);
        p.drawRect(QRectF(-4, 4 - length, 8, 6));
    }
    QPainterPath tip;
    tip.moveTo(-4, 10);
    tip.lineTo(4, 10);
    tip.lineTo(0, 10 + tipLength);
    tip.closeSubpath();
    p.setBrush(QColor(0xf5, 0xd9, 0xb0));
    p.drawPath(tip);
    p.restore();
}

void DrawRename(QPainter& p) {
    // A name tag with a pencil across it.
    p.setPen(InkPen(2.5));
    p.setBrush(kPaper);
    p.drawRoundedRect(QRectF(5, 18, 44, 26), 4, 4);
    p.setPen(QPen(kBlue, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(12, 31), QPointF(30, 31));
    DrawPencil(p, QPointF(44, 30), 30, 8, true);
}

void DrawAbout(QPainter& p) {
    p.setPen(InkPen(2.5));
    p.setBrush(kBlue);
    p.drawEllipse(QPointF(32, 32), 25, 25);
    p.setPen(Qt::NoPen);
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(32, 19), 4, 4);
    p.drawRoundedRect(QRectF(28, 27, 8, 22), 2, 2);
}

void DrawQuit(QPainter& p) {
    // A door left ajar with an arrow going out.
    p.setPen(InkPen(2.5));
    p.setBrush(QColor(0xb0, 0x7a, 0x4a));
    p.drawRect(QRectF(8, 8, 30, 48));
    p.setBrush(kPaper);
    p.drawEllipse(QPointF(32, 33), 2.5, 2.5);
    p.setPen(QPen(kRed, 5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.drawLine(QPointF(30, 32), QPointF(56, 32));
    p.drawLine(QPointF(47, 23), QPointF(56, 32));
    p.drawLine(QPointF(47, 41), QPointF(56, 32));
}

void DrawApp(QPainter& p) {
    p.setPen(Qt::NoPen);
    p.setBrush(kBlue);
    p.drawRoundedRect(QRectF(2, 2, 60, 60), 12, 12);
    DrawPage(p, QRectF(14, 8, 30, 40));
    p.setPen(QPen(kRed, 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19, 19), QPointF(33, 19));
    DrawPencil(p, QPointF(46, 38), 26, 7, false);
}

template <typename Draw>
QIcon Render(Draw draw) {
    QPixmap pixmap(kCanvas, kCanvas);
    pixmap.fill(Qt::transparent);
    {
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        draw(p);
    }
    return QIcon(pixmap);
}

}  // namespace

QIcon ToolbarIcon(const QString& key) {
    if (key == QLatin1String("btnDir")) return Render(DrawDir);
    if (key == QLatin1String("btnFile")) return Render(DrawFile);
    if (key == QLatin1String("btnGetTitle")) return Render(DrawGetTitle);
    if (key == QLatin1String("btnSetting")) return Render(DrawSetting);
    if (key == QLatin1String("btnRename")) return Render(DrawRename);
    if (key == QLatin1String("btnAbout")) return Render(DrawAbout);
    if (key == QLatin1String("btnQuit")) return Render(DrawQuit);
    return QIcon();
}

QIcon AppIcon() { return Render(DrawApp); }

QImage AppIconImage(int size) {
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.scale(qreal(size) / kCanvas, qreal(size) / kCanvas);
    DrawApp(p);
    return image;
}

}  // namespace pelmora
