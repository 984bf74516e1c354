#include <gtest/gtest.h>
#include <unistd.h>

#include <QApplication>
#include <QEvent>
#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <memory>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"
#include "titles/rawtitle.h"

namespace pelmora {
namespace {

using test::TestData;

// Records what a widget showed each time it was painted.
class PaintLog : public QObject {
  public:
    std::vector<QString> labelTexts;
    std::vector<int> barValues;

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Paint) {
            if (auto* label = qobject_cast<QLabel*>(watched)) labelTexts.push_back(label->text());
            if (auto* bar = qobject_cast<QProgressBar*>(watched)) barValues.push_back(bar->value());
        }
        return false;
    }
};

struct Row {
    QString title;
    QString result;
    QString flag;
    uint32_t titleColor;
};

bool operator==(const Row& a, const Row& b) {
    return a.title == b.title && a.result == b.result && a.flag == b.flag &&
           a.titleColor == b.titleColor;
}
std::ostream& operator<<(std::ostream& os, const Row& r) {
    return os << "{" << r.title.toStdString() << ", " << r.result.toStdString() << ", "
              << r.flag.toStdString() << ", " << r.titleColor << "}";
}

const QString kOk = QStringLiteral("提取成功");
const QString kBad = QStringLiteral("与文件名相同或空等非法字符");
Row Good(const QString& title) { return {title, kOk, "1", kColorWhite}; }
Row Bad(const QString& title = QString()) { return {title, kBad, "0", kColorRed}; }

class Extraction : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        form->globalMaxword = 25;
        form->globalGetTitleMode = int16_t(TitleMode::TitleModeFirstParagraph);
        form->globalStartpragraph = 5;
        form->globalStartpos = 1;
        form->globalWordcount = 25;
        fake.messages.clear();
    }

    // Copies test documents into dir() under the given names (the
    // source name when no target is given) and lists them in this order.
    bool listFixtures(const std::vector<std::pair<QString, QString>>& files) {
        const QChar nul(0);
        QString selection = dir();
        for (const auto& [source, target] : files) {
            const QString name = target.isEmpty() ? source : target;
            if (!source.isEmpty()) {
                if (!QFile::exists(TestData(source))) return false;
                QFile::remove(dir() + "/" + name);
                if (!QFile::copy(TestData(source), dir() + "/" + name)) return false;
            }
            selection += nul + name;
        }
        if (files.size() == 1) selection += nul;  // keep the several-files form
        fake.fileSelections.push_back(selection);
        form->Toolbar1_ButtonClick(QStringLiteral("btnFile"));
        return form->globalFilecount == int(files.size());
    }

    // n names for one test document (hard links, as copies take long),
    // listed in name order.
    bool listLinks(int n) {
        const QByteArray source = QFile::encodeName(TestData("en_first.doc"));
        if (!QFile::exists(TestData("en_first.doc"))) return false;
        const QChar nul(0);
        QString selection = dir();
        for (int i = 0; i < n; ++i) {
            const QString name = QString("d%1.doc").arg(i, 5, 10, QChar('0'));
            if (::link(source.constData(), QFile::encodeName(dir() + "/" + name).constData()) != 0)
                return false;
            selection += nul + name;
        }
        fake.fileSelections.push_back(selection);
        form->Toolbar1_ButtonClick(QStringLiteral("btnFile"));
        return form->globalFilecount == n;
    }

    std::vector<Row> extract() {
        fake.messages.clear();
        form->Toolbar1_ButtonClick(QStringLiteral("btnGetTitle"));
        std::vector<Row> rows;
        for (int r = 1; r <= form->globalFilecount; ++r)
            rows.push_back({grid().GetCellText(r, ColTitle), grid().GetCellText(r, ColResult),
                            grid().GetCellProperty(r, ColFlag, "getcheck"),
                            grid().GetCellColor(r, ColTitle)});
        return rows;
    }

    void expectCompletionMessage() {
        ASSERT_EQ(fake.messages.size(), 1u);
        EXPECT_EQ(fake.messages[0].text, "标题提取完成!");
        EXPECT_EQ(fake.messages[0].caption, "提取标题");
        EXPECT_EQ(fake.messages[0].icon, MsgIcon::Information);
    }
};

using Files = std::vector<std::pair<QString, QString>>;
#define REQUIRE_FIXTURES(...) \
    if (!listFixtures(Files __VA_ARGS__)) GTEST_SKIP() << "test documents not available"

TEST_F(Extraction, EmptyListOnlyShowsTheMessage) {
    extract();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "请先添加要修改的word文件呢.");
    EXPECT_EQ(fake.messages[0].caption, "哎哟,出错了");
    EXPECT_EQ(fake.messages[0].icon, MsgIcon::Information);
    EXPECT_EQ(form->Label4->text(), "0%");
    EXPECT_EQ(form->ProgressBar1->value(), 0);
    EXPECT_TRUE(qobject_cast<QWidget*>(form->toolButton("btnGetTitle"))->isEnabled());
}

TEST_F(Extraction, ProgressIsPaintedWithoutTheEventLoopAndEndsExact) {
    ASSERT_TRUE(listFixtures({{"", "a.doc"}, {"", "b.doc"}, {"", "c.doc"}}));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    PaintLog log;
    form->Label4->installEventFilter(&log);
    form->ProgressBar1->installEventFilter(&log);
    extract();
    // Painted at a bounded rate, never backwards, and always at the end.
    ASSERT_FALSE(log.labelTexts.empty());
    EXPECT_EQ(log.labelTexts.back(), "100%");
    ASSERT_FALSE(log.barValues.empty());
    EXPECT_TRUE(std::is_sorted(log.barValues.begin(), log.barValues.end()));
    EXPECT_EQ(log.barValues.back(), 3);
    EXPECT_EQ(form->ProgressBar1->minimum(), 0);
    EXPECT_EQ(form->ProgressBar1->maximum(), 3);
    expectCompletionMessage();
}

TEST_F(Extraction, PercentageIsComputedInDoubleDivisionFirst) {
    form->start(100);
    const std::pair<int, const char*> cases[] = {
        {29, "28%"}, {57, "56%"}, {58, "57%"}, {0, "0%"}, {100, "100%"}};
    for (const auto& [done, text] : cases) {
        form->step(done, 100);
        EXPECT_EQ(form->Label4->text(), text) << done;
        EXPECT_EQ(form->ProgressBar1->value(), done);
    }
}

TEST_F(Extraction, StopEndsTheRunAndLeavesTheRowsNotReached) {
    constexpr int n = 3000;
    if (!listLinks(n)) GTEST_SKIP() << "test documents not available";
    // A stopped run must not touch the rows it did not reach.
    for (int r = 1; r <= n; ++r) grid().SetCellText(r, ColResult, "before");

    bool busyToolbar = true, busyList = true, stopShown = false;
    int nested = 0;
    QTimer::singleShot(0, form.get(), [&] {
        busyToolbar =
            form->toolButton("btnDir")->isEnabled() || form->toolButton("btnSetting")->isEnabled();
        busyList = form->DiDaGrid1->isEnabled();
        stopShown = form->cmdStop->isVisibleTo(form.get()) && form->cmdStop->isEnabled();
        // A click that comes in meanwhile starts nothing.
        form->Toolbar1_ButtonClick(QStringLiteral("btnGetTitle"));
        nested = int(fake.messages.size());
        form->cmdStop->click();
    });
    const std::vector<Row> got = extract();

    EXPECT_FALSE(busyToolbar);
    EXPECT_FALSE(busyList);
    EXPECT_TRUE(stopShown);
    EXPECT_EQ(nested, 0);
    int written = 0;
    while (written < n && got[size_t(written)].result != "before") ++written;
    for (int i = 0; i < written; ++i) ASSERT_EQ(got[size_t(i)].result, kOk) << i;
    EXPECT_LT(written, n);
    for (int i = written; i < n; ++i) ASSERT_EQ(got[size_t(i)].result, "before") << i;
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text,
              QString("标题提取已停止:已提取%1个文件,共3000个,其余文件未处理。").arg(written));
    EXPECT_EQ(form->ProgressBar1->value(), written);
    // Idle again: everything takes input, the stop button is gone.
    EXPECT_TRUE(form->toolButton("btnDir")->isEnabled());
    EXPECT_TRUE(form->toolButton("btnGetTitle")->isEnabled());
    EXPECT_TRUE(form->DiDaGrid1->isEnabled());
    EXPECT_FALSE(form->cmdStop->isVisibleTo(form.get()));
    EXPECT_FALSE(form->isBusy());
}

TEST_F(Extraction, EscStopsTheRunToo) {
    constexpr int n = 3000;
    if (!listLinks(n)) GTEST_SKIP() << "test documents not available";
    form->show();
    form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTimer::singleShot(0, form.get(),
                       [&] { QTest::keySequence(form.get(), QKeySequence(Qt::Key_Escape)); });
    const std::vector<Row> got = extract();
    EXPECT_EQ(got.back().result, "");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.startsWith("标题提取已停止"))
        << fake.messages[0].text.toStdString();
}

TEST_F(Extraction, QuittingDuringARunAsksAndEndsAfterIt) {
    int quits = 0;
    Form1Options options;
    options.quit = [&] { ++quits; };
    form = test::OpenWindow(settings.path(), fake, options);
    form->globalOnlyenglish = false;
    form->globalSubdir = false;
    constexpr int n = 3000;
    if (!listLinks(n)) GTEST_SKIP() << "test documents not available";

    // No first: the run goes on to the end and the program stays.
    fake.answers = {AnswerNo};
    bool closed = true;
    QTimer::singleShot(0, form.get(), [&] { closed = form->close(); });
    std::vector<Row> got = extract();
    EXPECT_FALSE(closed);
    EXPECT_EQ(quits, 0);
    EXPECT_EQ(got.back().result, kOk);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[0].buttons, MsgButtons::YesNo);
    EXPECT_TRUE(fake.messages[0].text.startsWith("正在处理文件,确定要退出吗?"));
    EXPECT_EQ(fake.messages[1].text, "标题提取完成!");

    fake.answers = {AnswerYes};
    for (int r = 1; r <= n; ++r) grid().SetCellText(r, ColResult, "before");
    QTimer::singleShot(0, form.get(), [&] { form->close(); });
    got = extract();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(got.back().result, "before");
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_TRUE(fake.messages[1].text.startsWith("标题提取已停止"));
    // Closing when idle asks nothing.
    fake.messages.clear();
    EXPECT_TRUE(form->close());
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(Extraction, FirstParagraphMode) {
    REQUIRE_FIXTURES({{"zh_first.doc", ""},
                      {"en_first.doc", ""},
                      {"empty_first.doc", ""},
                      {"long_first.doc", ""},
                      {"short.doc", "one.DOC"},
                      {"line_break.doc", ""}});
    const std::vector<Row> want = {
        Good("第一章总则"),
        Good("AnnualReport2026"),
        Bad(),
        Good("Thequickbrownfoxjumpsover"),
        Bad("One"),  // same as the file name, case aside
        // A manual line break is a control character, which no file name holds.
        Bad("Firstline\vsecondline"),
    };
    EXPECT_EQ(extract(), want);
    expectCompletionMessage();
    EXPECT_EQ(form->Label4->text(), "100%");
}

TEST_F(Extraction, TheVerdictComparesWithTheFileOwnExtension) {
    // The same document under Word names: only the name the file would get
    // (title plus its own extension) counts as unchanged.
    REQUIRE_FIXTURES({{"short.doc", "One.docx"},
                      {"short.doc", "one.DOCM"},
                      {"short.doc", "One.doc.docx"},
                      {"short.doc", "x.docx"}});
    EXPECT_EQ(extract(), (std::vector<Row>{Bad("One"), Bad("One"), Good("One"), Good("One")}));
}

TEST_F(Extraction, HeaderMode) {
    REQUIRE_FIXTURES(
        {{"zh_first.doc", ""}, {"en_first.doc", ""}, {"even_odd.doc", ""}, {"line_break.doc", ""}});
    form->globalGetTitleMode = int16_t(TitleMode::TitleModeHeader);
    EXPECT_EQ(extract(), (std::vector<Row>{Good("页眉标题"), Bad(), Good("奇数页页眉"),
                                           Good("HeaderlineoneHeaderlinetw")}));
}

TEST_F(Extraction, FooterMode) {
    REQUIRE_FIXTURES(
        {{"zh_first.doc", ""}, {"empty_first.doc", ""}, {"line_break.doc", ""}, {"short.doc", ""}});
    form->globalGetTitleMode = int16_t(TitleMode::TitleModeFooter);
    EXPECT_EQ(extract(), (std::vector<Row>{Good("页脚内容"), Good("Footeronly"),
                                           Bad("Left\tRightC:\\dir"), Bad()}));
}

// The automatic mode goes through the same rules and verdict as the others:
// a notice's real title past its letterhead and number, a cover's title, a
// document without formatting, and a file already named after its title.
TEST_F(Extraction, AutomaticModeFindsTheTitleAndJudgesItLikeTheOthers) {
    REQUIRE_FIXTURES({{"titles/notice_split.doc", "a.doc"},
                      {"titles/cover.docx", "b.docx"},
                      {"titles/plain.doc", "c.doc"},
                      {"titles/contract.doc", "房屋租赁合同.doc"}});
    form->globalGetTitleMode = int16_t(TitleMode::TitleModeAuto);
    const std::vector<Row> rows = extract();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(rows[0], Good("关于做好2024年度安全生产工作的通知"));
    EXPECT_EQ(rows[1], Good("智慧园区管理平台建设方案"));
    EXPECT_EQ(rows[2], Good("三月份工作安排"));
    EXPECT_EQ(rows[3].title, QStringLiteral("房屋租赁合同"));
    EXPECT_EQ(rows[3].result, QStringLiteral("与文件名相同或空等非法字符"));
    expectCompletionMessage();
}

TEST_F(Extraction, CustomModeReadsTheConfiguredPosition) {
    REQUIRE_FIXTURES({{"zh_first.doc", ""}, {"en_first.doc", ""}, {"short.doc", ""}});
    form->globalGetTitleMode = int16_t(TitleMode::TitleModeCustom);
    struct Case {
        int16_t paragraph, start, count;
        std::vector<Row> want;
    };
    const Case cases[] = {
        {5, 1, 25, {Good("第二章附则（第五段）"), Bad("Q3/Q4outlook:stable"), Bad()}},
        {5, 4, 3, {Good("附则"), Good("Q4"), Bad()}},  // " 附则", "Q4 "
        {2, 1, 8, {Good("第一条为了规范"), Good("Prepared"), Good("Two")}},
        {1, 3, 100, {Good("章总则"), Good("AnnualReport2026"), Good("e")}},
        {1, 40, 5, {Bad(), Bad(), Bad()}},  // from past the end
        {0, 1, 25, {Bad(), Bad(), Bad()}},
        {-3, 1, 25, {Bad(), Bad(), Bad()}},
        {9, 1, 25, {Bad(), Bad(), Bad()}},
        {1, 1, 0, {Bad(), Bad(), Bad()}},
    };
    for (const Case& c : cases) {
        // Fresh rows: a red title cell would stay red from the case before.
        ASSERT_TRUE(
            listFixtures(Files{{"zh_first.doc", ""}, {"en_first.doc", ""}, {"short.doc", ""}}));
        form->globalStartpragraph = c.paragraph;
        form->globalStartpos = c.start;
        form->globalWordcount = c.count;
        EXPECT_EQ(extract(), c.want) << c.paragraph << "/" << c.start << "/" << c.count;
    }
}

TEST_F(Extraction, UnknownModeAndNegativeMaximumFailEveryRow) {
    REQUIRE_FIXTURES({{"zh_first.doc", ""}, {"en_first.doc", ""}});
    form->globalGetTitleMode = 7;
    EXPECT_EQ(extract(), (std::vector<Row>{Bad(), Bad()}));
    form->globalGetTitleMode = int16_t(TitleMode::TitleModeFirstParagraph);
    form->globalMaxword = -1;
    EXPECT_EQ(extract(), (std::vector<Row>{Bad(), Bad()}));
    expectCompletionMessage();
}

Row Unreadable(const char* why) { return {QString(), QString::fromUtf8(why), "0", kColorRed}; }

TEST_F(Extraction, MissingOrUnreadableFileBetweenGoodOnes) {
    REQUIRE_FIXTURES(
        {{"zh_first.doc", ""}, {"", "gone.doc"}, {"random.doc", ""}, {"en_first.doc", ""}});
    EXPECT_EQ(extract(),
              (std::vector<Row>{Good("第一章总则"), Unreadable("无法读取:找不到文件"),
                                Unreadable("无法读取:不是Word文档"), Good("AnnualReport2026")}));
    expectCompletionMessage();
}

// What pelmora-titles prints as the reason, the row says in Chinese; one
// text for one kind of failure, whichever format failed.
TEST_F(Extraction, UnreadableFilesSayWhy) {
    REQUIRE_FIXTURES({{"encrypted.doc", ""},
                      {"empty.doc", ""},
                      {"damaged.doc", ""},
                      {"truncated.doc", ""},
                      {"random.doc", ""},
                      {"formats/notword.docx", "notword.docx"},
                      {"formats/bomb.docx", "bomb.docx"}});
    EXPECT_EQ(extract(),
              (std::vector<Row>{
                  Unreadable("无法读取:文档已加密"), Unreadable("无法读取:空文件"),
                  Unreadable("无法读取:复合文件已损坏"), Unreadable("无法读取:复合文件已损坏"),
                  Unreadable("无法读取:不是Word文档"), Unreadable("无法读取:不是Word文档"),
                  Unreadable("无法读取:文件太大")}));
}

// Titles the rename would refuse with 123 are no success here either: the
// same rule decides both.
TEST_F(Extraction, TitlesTheRenameRefusesFail) {
    const std::vector<std::pair<const char*, QString>> docs = {
        {"{\\rtf1\\ansi CON\\par}", "CON"},
        {"{\\rtf1\\ansi AUX.txt\\par}", "AUX.txt"},
        {"{\\rtf1\\ansi .hidden\\par}", ".hidden"},
        {"{\\rtf1\\ansi \\'08\\'01\\par}", QString("\x08\x01")},
        {"{\\rtf1\\ansi a\\'07b\\par}", QString("a\ab")},
        {"{\\rtf1\\ansi CONTRACT\\par}", "CONTRACT"},
    };
    const QChar nul(0);
    QString selection = dir();
    for (size_t i = 0; i < docs.size(); ++i) {
        const QString name = QString("t%1.doc").arg(i);
        test::WriteFile(dir() + "/" + name, docs[i].first);
        selection += nul + name;
    }
    fake.fileSelections.push_back(selection);
    form->Toolbar1_ButtonClick(QStringLiteral("btnFile"));
    std::vector<Row> want;
    for (size_t i = 0; i + 1 < docs.size(); ++i) want.push_back(Bad(docs[i].second));
    want.push_back(Good("CONTRACT"));
    EXPECT_EQ(extract(), want);

    // The rename agrees: checked by hand, each refused title fails with 123.
    for (int r = 1; r <= 5; ++r) grid().SetCellProperty(r, ColFlag, "setcheck", "1");
    grid().SetCellProperty(6, ColFlag, "setcheck", "0");
    fake.answers.push_back(AnswerYes);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    for (int r = 1; r <= 5; ++r)
        EXPECT_EQ(grid().GetCellText(r, ColResult), "文件名含非法字符! 123") << r;
}

TEST_F(Extraction, FlagsAreOverwrittenAndARedRowTurnsWhiteOnSuccess) {
    REQUIRE_FIXTURES({{"zh_first.doc", ""}, {"empty_first.doc", ""}});
    grid().SetCellProperty(2, ColFlag, "setcheck", "1");  // checked by hand, then fails
    form->globalMaxword = 0;
    EXPECT_EQ(extract(), (std::vector<Row>{Bad(), Bad()}));
    // A failed rename coloured the whole row too.
    grid().SetRowColor(1, kColorRed);
    form->globalMaxword = 3;
    std::vector<Row> rows = extract();
    EXPECT_EQ(rows[0], Good("第一章"));
    for (int c = ColFileName; c <= ColResult; ++c)
        EXPECT_EQ(grid().GetCellColor(1, c), kColorWhite) << c;
    EXPECT_EQ(rows[1], Bad());
}

}  // namespace
}  // namespace pelmora
