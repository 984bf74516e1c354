#include "gui/updown.h"

#include <QKeyEvent>
#include <QLineEdit>
#include <QToolButton>
#include <QWheelEvent>
#include <algorithm>

#include "core/settings/number.h"

namespace pelmora {

UpDown::UpDown(QLineEdit* buddy, int minimum, int maximum, QWidget* parent)
    : QWidget(parent), buddy_(buddy), minimum_(minimum), maximum_(maximum) {
    const auto makeButton = [this](Qt::ArrowType arrow, const QString& name, int delta) {
        auto* b = new QToolButton(this);
        b->setArrowType(arrow);
        b->setObjectName(name);
        b->setAccessibleName(name);
        b->setFocusPolicy(Qt::NoFocus);
        b->setAutoRepeat(true);
        b->setAutoRaise(false);
        connect(b, &QToolButton::clicked, this, [this, delta] { stepBy(delta); });
        return b;
    };
    up_ = makeButton(Qt::UpArrow, QStringLiteral("up"), 1);
    down_ = makeButton(Qt::DownArrow, QStringLiteral("down"), -1);
    setFocusPolicy(Qt::NoFocus);
    // The arrow keys in the text box step as the buttons do.
    if (buddy_) buddy_->installEventFilter(this);
}

void UpDown::stepBy(int delta) {
    if (!buddy_) return;
    const int current =
        std::clamp<int>(ParseSettingNumber(buddy_->text()).value, minimum_, maximum_);
    const int next = std::clamp(current + delta, minimum_, maximum_);
    buddy_->setText(FormatSettingNumber(next));
}

bool UpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == buddy_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            stepBy(key == Qt::Key_Up ? 1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void UpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

}  // namespace pelmora
