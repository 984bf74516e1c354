#include "gui/frmabout.h"

#include <gtest/gtest.h>

#include <QFontInfo>
#include <QFrame>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::FakeDialogs;

// Without a main window (and no application icon) the box draws its own.
TEST(AboutDialog, StandsAloneWithADrawnIcon) {
    frmAbout d;
    EXPECT_EQ(d.picIcon->pixmap().size(), QSize(48, 48));
    EXPECT_FALSE(d.picIcon->pixmap().toImage().allGray());
    EXPECT_EQ(d.lblTitle->font().pointSize(), 12);
    EXPECT_TRUE(d.lblDescription->wordWrap());
}

TEST(AboutDialog, EtchedRuleIsGreyAboveWhite) {
    frmAbout d;
    d.show();
    const QImage image = d.grab().toImage();
    EXPECT_EQ(image.pixelColor(100, 163), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(100, 164), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(100, 165), QColor(255, 255, 255));
    EXPECT_EQ(image.pixelColor(6, 163), QColor(128, 128, 128));
    EXPECT_EQ(image.pixelColor(377, 163), QColor(128, 128, 128));
    EXPECT_NE(image.pixelColor(100, 170), QColor(128, 128, 128));
}

// Enter, Escape and the button each close the box.
TEST(AboutDialog, EnterEscapeAndOkClose) {
    const std::function<void(frmAbout&)> closers[] = {
        [](frmAbout& d) { QTest::keyClick(&d, Qt::Key_Return); },
        [](frmAbout& d) { QTest::keyClick(&d, Qt::Key_Enter, Qt::KeypadModifier); },
        [](frmAbout& d) { QTest::keyClick(&d, Qt::Key_Escape); },
        [](frmAbout& d) { d.cmdOK->click(); },
    };
    for (const auto& close : closers) {
        frmAbout d;
        d.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_TRUE(d.cmdOK->isDefault());
        EXPECT_EQ(d.focusWidget(), d.cmdOK);
        close(d);
        EXPECT_FALSE(d.isVisible());
    }
}

TEST(AboutDialog, OpensFromToolbarAndButtonComesBack) {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    const std::unique_ptr<Form1> window = test::OpenWindow(dir.path(), dialogs);
    Form1& form = *window;
    QToolButton* button = form.toolButton(QStringLiteral("btnAbout"));
    ASSERT_NE(button, nullptr);
    bool seen = false;
    dialogs.onExec = [&](QDialog& d) {
        seen = qobject_cast<frmAbout*>(&d) != nullptr;
        EXPECT_FALSE(button->isEnabled());
        // The box carries the main window's icon.
        EXPECT_EQ(static_cast<frmAbout&>(d).picIcon->pixmap().toImage(),
                  form.windowIcon().pixmap(48, 48).toImage());
        static_cast<frmAbout&>(d).cmdOK->click();
        return d.result();
    };
    button->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(button->isEnabled());
    EXPECT_EQ(dialogs.execCalls.back(), QStringLiteral("frmAbout"));
}

// The box names the folder the window keeps its settings in, whole in the
// tooltip even when the line has to cut it; without a folder the line is gone.
TEST(AboutDialog, ShowsTheSettingsFolderInUse) {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    Form1Options options;
    options.settingsDir =
        dir.path() + QStringLiteral("/一个很长的文件夹名字/") + QString(60, QLatin1Char('x'));
    options.dialogs = &dialogs;
    Form1 form(options);
    QString shown, tip;
    bool visible = false;
    dialogs.onExec = [&](QDialog& d) {
        auto& about = static_cast<frmAbout&>(d);
        shown = about.lblSettings->text();
        tip = about.lblSettings->toolTip();
        visible = !about.lblSettings->isHidden();
        EXPECT_LE(about.lblSettings->geometry().bottom(), about.Line1[1]->geometry().top());
        EXPECT_GE(about.lblSettings->geometry().top(), about.lblDisclaimer->geometry().bottom());
        return 0;
    };
    form.toolButton(QStringLiteral("btnAbout"))->click();
    EXPECT_TRUE(visible);
    EXPECT_EQ(tip, options.settingsDir);
    EXPECT_TRUE(shown.startsWith(QStringLiteral("设置文件夹:")));
    EXPECT_TRUE(shown.contains(QChar(0x2026))) << shown.toStdString();  // cut in the middle
    EXPECT_TRUE(shown.endsWith(QStringLiteral("xxx")));

    frmAbout alone;
    EXPECT_TRUE(alone.lblSettings->isHidden());
}

// A CJK font is taller than the 15 pixels of the other lines: the settings
// line gets its font's height, still above the rule, and a usual folder
// shows whole.
TEST(AboutDialog, TheSettingsLineIsWholeAboveTheRule) {
    const QString folder = QStringLiteral("/home/user/.config/pelmora");
    frmAbout about(nullptr, folder);
    const QRect line = about.lblSettings->geometry();
    EXPECT_GE(line.height(), about.lblSettings->sizeHint().height());
    EXPECT_LT(line.bottom(), about.Line1[1]->geometry().top());
    EXPECT_EQ(about.lblSettings->text(), QStringLiteral("设置文件夹:") + folder);
}

}  // namespace
}  // namespace pelmora
