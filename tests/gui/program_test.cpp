// The program's own command-line options, and Qt's Chinese translations for
// the dialogs Qt draws.

#include "gui/program.h"

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLocale>
#include <QMessageBox>
#include <QProcess>
#include <QProcessEnvironment>
#include <QPushButton>
#include <QTest>
#include <QTranslator>

#include "core/dialogs.h"
#include "gui/messagebox.h"

namespace pelmora {
namespace {

using Kind = ProgramArguments::Kind;

TEST(ProgramArguments, HelpAndVersionWinUnknownOptionsFailPathsRun) {
    const struct {
        QStringList args;
        Kind kind;
    } cases[] = {
        {{}, Kind::Run},
        {{"/docs", "a.doc"}, Kind::Run},
        {{"--help"}, Kind::Help},
        {{"a.doc", "-h"}, Kind::Help},
        {{"--version"}, Kind::Version},
        {{"-V", "--help"}, Kind::Version},
        {{"-x", "--help"}, Kind::Help},
        {{"--frobnicate", "a.doc"}, Kind::Error},
        {{"--", "--help", "-x"}, Kind::Run},  // names, after "--"
        {{"-"}, Kind::Run},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ParseProgramArguments(c.args).kind, c.kind) << c.args.join(' ').toStdString();
    EXPECT_EQ(ParseProgramArguments({"--frobnicate"}).error, "unknown option --frobnicate");
}

// Run as the desktop would not: from a terminal, with no display at all.
TEST(ProgramArguments, TheProgramPrintsHelpAndVersionAndExitsWithoutADisplay) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) env.remove(name);
    auto run = [&](const QStringList& args, QString* out, QString* err) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(QStringLiteral(PELMORA_EXE), args);
        EXPECT_TRUE(p.waitForFinished(20000));
        *out = QString::fromLocal8Bit(p.readAllStandardOutput());
        *err = QString::fromLocal8Bit(p.readAllStandardError());
        return p.exitCode();
    };
    QString out, err;
    EXPECT_EQ(run({"--help"}, &out, &err), 0);
    EXPECT_TRUE(out.startsWith("Usage: pelmora")) << out.toStdString();
    EXPECT_TRUE(out.contains("--version"));
    EXPECT_TRUE(out.contains("自动识别"));
    EXPECT_EQ(run({"--version"}, &out, &err), 0);
    EXPECT_EQ(out, "pelmora 2.0\n");
    // An unknown option fails before any window, here on the offscreen platform.
    env.insert("QT_QPA_PLATFORM", "offscreen");
    EXPECT_EQ(run({"--frobnicate"}, &out, &err), 2);
    EXPECT_TRUE(err.contains("unknown option --frobnicate")) << err.toStdString();
}

class QtTranslations : public ::testing::Test {
  protected:
    void TearDown() override {
        if (translator_) {
            QCoreApplication::removeTranslator(translator_);
            delete translator_;
        }
    }
    void Install(const QLocale& system) {
        translator_ = InstallQtTranslations(system);
        if (!translator_) GTEST_SKIP() << "no qtbase_zh_CN.qm (qt6-translations-l10n)";
    }
    QTranslator* translator_ = nullptr;
};

// Whatever the system's language, Qt's buttons speak the interface's Chinese.
TEST_F(QtTranslations, MessageBoxAndFileDialogButtonsAreChinese) {
    Install(QLocale(QLocale::English, QLocale::UnitedStates));
    QMessageBox box;
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    EXPECT_TRUE(box.button(QMessageBox::Yes)->text().contains(QStringLiteral("是")))
        << box.button(QMessageBox::Yes)->text().toStdString();
    EXPECT_TRUE(box.button(QMessageBox::No)->text().contains(QStringLiteral("否")));
    QDialogButtonBox buttons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    // The Qt file dialog's own labels.
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "Look in:"), QStringLiteral("查找范围："));
    EXPECT_EQ(translator_->language(), "zh_CN");
}

TEST_F(QtTranslations, ATaiwanLocaleGetsTraditionalChinese) {
    Install(QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::Taiwan));
    QDialogButtonBox buttons(QDialogButtonBox::Cancel);
    EXPECT_EQ(buttons.button(QDialogButtonBox::Cancel)->text(), QStringLiteral("取消"));
    EXPECT_EQ(translator_->language(), "zh_TW");
}

// A short text made a box too narrow for its caption, which the window
// manager then squeezed to "提… 题".
TEST(MessageBoxes, AreWideEnoughForTheirCaptions) {
    const MessageRequest requests[] = {
        {QStringLiteral("标题提取完成!"), QStringLiteral("提取标题"), MsgButtons::Ok,
         MsgIcon::Information},
        {QStringLiteral("是?"), QStringLiteral("改名确认:文件已存在时的处理方式"),
         MsgButtons::YesNo, MsgIcon::Question},
        {QStringLiteral("x"), QString(), MsgButtons::Ok, MsgIcon::None},
    };
    for (const MessageRequest& r : requests) {
        QMessageBox box;
        PrepareMessageBox(box, r);
        box.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&box));
        EXPECT_EQ(box.windowTitle(), r.caption.isEmpty() ? kAppTitle : r.caption);
        EXPECT_GE(box.width(), CaptionWidth(box)) << r.caption.toStdString();
        EXPECT_EQ(box.buttons().size(), r.buttons == MsgButtons::YesNo ? 2 : 1);
    }
}

}  // namespace
}  // namespace pelmora
