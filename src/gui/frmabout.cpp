#include "gui/frmabout.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <algorithm>

#include "gui/namedwidget.h"

namespace pelmora {

namespace {

// A page with a title bar and a rename arrow, in case the application set
// no icon of its own.
QPixmap DrawnIcon() {
    QPixmap pixmap(48, 48);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(40, 70, 140), 2));
    p.setBrush(Qt::white);
    p.drawRoundedRect(QRectF(8, 4, 28, 38), 3, 3);
    p.fillRect(QRectF(12, 10, 20, 5), QColor(40, 90, 190));
    p.setPen(QPen(QColor(150, 150, 150), 2));
    for (int y = 20; y <= 34; y += 5) p.drawLine(12, y, 30, y);
    QPainterPath arrow;
    arrow.moveTo(26, 34);
    arrow.lineTo(38, 34);
    arrow.lineTo(38, 28);
    arrow.lineTo(46, 38);
    arrow.lineTo(38, 46);
    arrow.lineTo(38, 40);
    arrow.lineTo(26, 40);
    arrow.closeSubpath();
    p.setPen(QPen(QColor(160, 90, 0), 1));
    p.setBrush(QColor(240, 160, 30));
    p.drawPath(arrow);
    return pixmap;
}

// SimSun where it is installed, else the nearest CJK serif or sans font.
QFont TitleFont() {
    QFont font;
    const QStringList wanted{
        QStringLiteral("SimSun"),           QStringLiteral("宋体"),
        QStringLiteral("NSimSun"),          QStringLiteral("Noto Serif CJK SC"),
        QStringLiteral("Noto Sans CJK SC"), QStringLiteral("WenQuanYi Micro Hei")};
    QStringList installed;
    const QStringList families = QFontDatabase::families();
    for (const QString& f : wanted) {
        if (families.contains(f)) installed.append(f);
    }
    if (!installed.isEmpty()) font.setFamilies(installed);
    font.setPointSize(12);
    font.setWeight(QFont::Normal);
    return font;
}

}  // namespace

QPixmap frmAbout::IconPixmap(const QWidget* parent) {
    QIcon icon = parent ? parent->window()->windowIcon() : QIcon();
    if (icon.isNull()) icon = QApplication::windowIcon();
    const QPixmap pixmap = icon.isNull() ? QPixmap() : icon.pixmap(48, 48);
    return pixmap.isNull() ? DrawnIcon() : pixmap;
}

frmAbout::frmAbout(QWidget* parent, const QString& settingsFolder) : QDialog(parent) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("关于Pelmora"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setFixedSize(382, 237);

    picIcon = Named(new QLabel(this), "picIcon", 16, 16, 52, 52);
    picIcon->setPixmap(IconPixmap(parent));
    picIcon->setAlignment(Qt::AlignCenter);

    lblTitle = Named(new QLabel(QStringLiteral("Pelmora"), this), "lblTitle", 72, 16, 171, 16);
    lblTitle->setFont(TitleFont());
    lblVersion = Named(new QLabel(QStringLiteral("版本:2.0"), this), "lblVersion", 72, 48, 259, 15);
    lblDescription = Named(
        new QLabel(QStringLiteral("功能介绍：自动提取WORD文档标题(页眉、页脚等),批量改名。"), this),
        "lblDescription", 72, 80, 203, 38);
    lblDescription->setWordWrap(true);
    lblDescription->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblDisclaimer = Named(new QLabel(QStringLiteral("Pelmora 开发组 · 自由使用"), this),
                          "lblDisclaimer", 72, 128, 241, 15);
    // Between the credit line and the rule; a long folder is cut in the
    // middle and shown whole in the tooltip.
    lblSettings = Named(new QLabel(this), "lblSettings", 72, 145, 303, 15);
    const QString settingsText = QStringLiteral("设置文件夹:") + settingsFolder;
    lblSettings->setText(lblSettings->fontMetrics().elidedText(settingsText, Qt::ElideMiddle, 303));
    // As tall as its line (the CJK fallback font is taller than 15 pixels,
    // and than the label's own font), and above the rule at 163.
    const int height = std::max(15, lblSettings->sizeHint().height());
    lblSettings->setGeometry(72, std::min(145, 162 - height), 303, height);
    lblSettings->setToolTip(settingsFolder);
    lblSettings->setTextInteractionFlags(Qt::TextSelectableByMouse);
    lblSettings->setVisible(!settingsFolder.isEmpty());

    // The etched rule: a grey line with a white one of double width below it.
    const auto line = [this](const char* name, QColor colour, int x, int y, int w, int h) {
        auto* frame = Named(new QFrame(this), name, x, y, w, h);
        frame->setFrameShape(QFrame::NoFrame);
        frame->setAutoFillBackground(true);
        QPalette pal = frame->palette();
        pal.setColor(QPalette::Window, colour);
        frame->setPalette(pal);
        return frame;
    };
    Line1[1] = line("Line1_1", QColor(128, 128, 128), 6, 163, 372, 1);
    Line1[0] = line("Line1_0", QColor(255, 255, 255), 7, 164, 371, 2);

    cmdOK = Named(new QPushButton(QStringLiteral("确定"), this), "cmdOK", 275, 175, 100, 23);
    cmdOK->setDefault(true);
    connect(cmdOK, &QPushButton::clicked, this, &QDialog::accept);
    cmdOK->setFocus();
}

}  // namespace pelmora
