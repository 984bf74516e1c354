// Renaming with real files through the window: the collision question
// before anything moves, undo of the last batch (also in a new window), and
// files that keep their own Word extension.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>

#include "core/dialogs.h"
#include "core/files/files.h"
#include "core/rename/journal.h"
#include "core/rename/rename.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::Entries;
using test::ReadFile;
using test::WriteFile;

using test::Doc;

class Trust : public test::WindowTest {
  protected:
    QString journalPath() const { return settings.path() + "/lastrename.journal"; }

    // "btnRename" in place, then the answer to the next question if asked
    // (the collision question's, or whether to go on without a journal).
    void rename(int collisionAnswer = kRenameTheRest) {
        fake.answers.push_back(AnswerYes);
        fake.answers.push_back(collisionAnswer);
        form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
        fake.answers.clear();
    }
    void undo() { form->mUndo->trigger(); }

    uint32_t color(int r) { return grid().GetCellColor(r, ColFileName); }
};

// Two rows want the same name; two want a name that a file already holds.
const std::vector<Doc> kCollidingBatch = {
    {"a.doc", "Same", true},  {"b.doc", "Same", true}, {"c.doc", "Taken", true},
    {"d.doc", "Taken", true}, {"e.doc", "Free", true}, {"Taken.doc", "x", false},
};

TEST_F(Trust, CollisionQuestionCountsThreeAndNoTouchesNothing) {
    list(kCollidingBatch);
    const QStringList before = Entries(dir());
    rename(kRenameNothing);

    ASSERT_EQ(fake.messages.size(), 2u);
    const MessageRequest& ask = fake.messages[1];
    EXPECT_EQ(ask.buttons, MsgButtons::Choices);
    EXPECT_EQ(ask.choices, (QStringList{"编号改名", "其余照常改名", "不改名"}));
    EXPECT_EQ(ask.escapeChoice, kRenameNothing);
    EXPECT_TRUE(ask.text.contains("如“Same(2).doc”")) << ask.text.toStdString();
    EXPECT_TRUE(ask.text.startsWith("有 3个文件")) << ask.text.toStdString();
    // The colliding rows by title: b, c and d (a takes "Same" first).
    EXPECT_EQ(ask.text.count("\r\n    Same"), 1);
    EXPECT_EQ(ask.text.count("\r\n    Taken"), 2);
    EXPECT_FALSE(ask.text.contains("Free"));

    EXPECT_EQ(Entries(dir()), before);
    for (int r = 1; r <= 6; ++r) EXPECT_EQ(outcome(r), "") << r;
    EXPECT_FALSE(QFile::exists(journalPath()));
}

TEST_F(Trust, RenamingTheRestMarksTheCollisionsWith183) {
    list(kCollidingBatch);
    // The rows kept are not handed to the file system to refuse: one that
    // compares names exactly would take them.
    int tried = 0;
    moveFileSeams().beforeTakingName = [&](const char* step) { tried += step[0] == 'r'; };
    rename(kRenameTheRest);
    moveFileSeams() = {};
    EXPECT_EQ(tried, 2);

    EXPECT_EQ(Entries(dir()),
              (QStringList{"Free.doc", "Same.doc", "Taken.doc", "b.doc", "c.doc", "d.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/Same.doc"), "a.doc");
    EXPECT_EQ(ReadFile(dir() + "/Taken.doc"), "Taken.doc");
    const QString kRefused = QStringLiteral("文件已存在!! 183");
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(2), kRefused);
    EXPECT_EQ(outcome(3), kRefused);
    EXPECT_EQ(outcome(4), kRefused);
    EXPECT_EQ(outcome(5), "改名成功");
    EXPECT_EQ(outcome(6), "");
    EXPECT_EQ(color(2), kColorRed);
    EXPECT_EQ(color(5), kColorYellow);
}

TEST_F(Trust, FiveMinutesOfOneTitleAreNumberedInOnePassAndUndone) {
    list({{"a.doc", "会议纪要", true},
          {"b.doc", "会议纪要", true},
          {"c.doc", "会议纪要", true},
          {"d.doc", "会议纪要", true},
          {"e.doc", "会议纪要", true}});
    rename(kNumberThem);
    EXPECT_EQ(Entries(dir()), (QStringList{"会议纪要(2).doc", "会议纪要(3).doc", "会议纪要(4).doc",
                                           "会议纪要(5).doc", "会议纪要.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/会议纪要.doc"), "a.doc");
    EXPECT_EQ(ReadFile(dir() + "/会议纪要(3).doc"), "c.doc");
    EXPECT_EQ(ReadFile(dir() + "/会议纪要(5).doc"), "e.doc");
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(outcome(r), "改名成功") << r;
    EXPECT_EQ(grid().GetCellText(4, ColFileName), "会议纪要(4).doc");
    ASSERT_EQ(fake.messages.size(), 3u);
    EXPECT_TRUE(fake.messages[1].text.contains("如“会议纪要(2).doc”"));
    EXPECT_EQ(fake.messages[2].text, "批量改名完成:已改名5个文件,其中4个加了编号。");

    // Again over the same rows: each file keeps the name and number it has.
    rename(kNumberThem);
    for (int r = 1; r <= 5; ++r) EXPECT_EQ(outcome(r), "文件已存在!! 183") << r;
    EXPECT_EQ(ReadFile(dir() + "/会议纪要(5).doc"), "e.doc");

    fake.messages.clear();
    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc", "d.doc", "e.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/e.doc"), "e.doc");
    EXPECT_EQ(fake.messages.back().text, "一共撤销了 5个文件的改名!!");
    EXPECT_EQ(grid().GetCellText(4, ColFileName), "d.doc");
}

TEST_F(Trust, NumbersSkipNamesTakenOnDiskOrWantedByTheBatchAndReplaceNothing) {
    list({{"a.doc", "通知", true},
          {"b.doc", "通知", true},
          {"c.doc", "通知(4)", true},
          {"通知(3).doc", "x", false},
          {"通知.doc", "x", false}});
    rename(kNumberThem);
    EXPECT_EQ(ReadFile(dir() + "/通知.doc"), "通知.doc");
    EXPECT_EQ(ReadFile(dir() + "/通知(3).doc"), "通知(3).doc");
    EXPECT_EQ(ReadFile(dir() + "/通知(2).doc"), "a.doc");
    EXPECT_EQ(ReadFile(dir() + "/通知(4).doc"), "c.doc");
    EXPECT_EQ(ReadFile(dir() + "/通知(5).doc"), "b.doc");
    EXPECT_EQ(Entries(dir()).size(), 5);
}

TEST_F(Trust, TheSettingNumbersWithoutAsking) {
    form->globalNumberDuplicates = true;
    list({{"a.doc", "申请表", true}, {"b.docx", "申请表", true}, {"c.docx", "申请表", true}});
    fake.answers.push_back(AnswerYes);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    ASSERT_EQ(fake.messages.size(), 2u);  // the confirmation and the counts
    // Each file keeps its own extension; the number goes by the whole name.
    EXPECT_EQ(Entries(dir()), (QStringList{"申请表(2).docx", "申请表.doc", "申请表.docx"}));
    EXPECT_EQ(ReadFile(dir() + "/申请表(2).docx"), "c.docx");
}

// The real box of the collision question: its buttons in Chinese, the one
// pressed by index, Enter the default, Esc the escape choice.
TEST(CollisionBox, TheRealBoxAnswersWithTheIndexOfItsChoice) {
    QtDialogs dialogs;
    MessageRequest ask;
    ask.text = QStringLiteral("有 2个文件改名后会与已有的文件或本批前面的文件同名:");
    ask.buttons = MsgButtons::Choices;
    ask.choices = {QStringLiteral("编号改名"), QStringLiteral("其余照常改名"),
                   QStringLiteral("不改名")};
    ask.escapeChoice = 2;
    const auto answerWith = [&](const std::function<void(QMessageBox&)>& act) {
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box) return;
            QStringList texts;
            for (QAbstractButton* b : box->buttons()) texts << b->text();
            EXPECT_EQ(texts.size(), 3);
            EXPECT_TRUE(texts.contains(QStringLiteral("其余照常改名")));
            act(*box);
        });
        return dialogs.message(ask);
    };
    EXPECT_EQ(answerWith([](QMessageBox& box) {
                  for (QAbstractButton* b : box.buttons())
                      if (b->text() == QStringLiteral("其余照常改名")) b->click();
              }),
              1);
    EXPECT_EQ(answerWith([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Escape); }), 2);
    ask.defaultChoice = 0;
    EXPECT_EQ(answerWith([](QMessageBox& box) { QTest::keyClick(&box, Qt::Key_Return); }), 0);
}

TEST_F(Trust, NoCollisionNoExtraQuestion) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Alpha", false}, {"c.doc", "", true}});
    rename(kRenameNothing);               // would refuse, were it asked
    ASSERT_EQ(fake.messages.size(), 2u);  // the confirmation and the counts only
    EXPECT_EQ(fake.messages[1].caption, "Pelmora");
    EXPECT_EQ(outcome(1), "改名成功");
    EXPECT_EQ(outcome(3), "文件名含非法字符! 123");
}

TEST_F(Trust, UndoRestoresEveryFileAndMarksTheRows) {
    list({{"a.doc", "第一章", true}, {"b.doc", "Beta", false}, {"c.doc", "Gamma", true}});
    rename();
    ASSERT_EQ(Entries(dir()), (QStringList{"Gamma.doc", "b.doc", "第一章.doc"}));
    fake.messages.clear();

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/a.doc"), "a.doc");
    EXPECT_EQ(outcome(1), "已撤销");
    EXPECT_EQ(outcome(2), "");
    EXPECT_EQ(outcome(3), "已撤销");
    EXPECT_EQ(color(1), kColorWhite);
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "一共撤销了 2个文件的改名!!");
    EXPECT_FALSE(QFile::exists(journalPath()));

    // Nothing is left to undo.
    undo();
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, "没有可以撤销的改名。");
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc", "c.doc"}));
}

TEST_F(Trust, UndoWorksInANewWindow) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}});
    rename();
    ASSERT_EQ(Entries(dir()), (QStringList{"Alpha.doc", "Beta.doc"}));
    openWindow();  // the rows are gone with the old window
    EXPECT_EQ(form->globalFilecount, 0);

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "一共撤销了 2个文件的改名!!");
}

TEST_F(Trust, UndoIntoAnotherFolderBatchAndOnlyTheLastBatch) {
    QTemporaryDir target;
    list({{"a.doc", "Alpha", true}});
    rename();
    // A second batch replaces the first one's journal.
    list({{"Alpha.doc", "Omega", true}});
    fake.answers = {AnswerNo};
    fake.folders.push_back(target.path());
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    ASSERT_EQ(Entries(target.path()), (QStringList{"Omega.doc"}));

    undo();
    EXPECT_EQ(Entries(target.path()), QStringList{});
    EXPECT_EQ(Entries(dir()), (QStringList{"Alpha.doc"}));
    EXPECT_EQ(outcome(1), "已撤销");
}

TEST_F(Trust, ABatchThatOnlyCollidesKeepsThePreviousUndo) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", false}});
    rename();
    // Now every checked row wants a name that is taken.
    grid().SetCellProperty(1, ColFlag, "setcheck", "0");
    grid().SetCellProperty(2, ColFlag, "setcheck", "1");
    grid().SetCellText(2, ColTitle, "Alpha");
    rename(kRenameTheRest);
    EXPECT_EQ(outcome(2), "文件已存在!! 183");

    // Nor does a second run over a row renamed already: its file bears the name.
    grid().SetCellProperty(1, ColFlag, "setcheck", "1");
    grid().SetCellProperty(2, ColFlag, "setcheck", "0");
    rename();
    EXPECT_EQ(outcome(1), "文件已存在!! 183");

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"a.doc", "b.doc"}));
    EXPECT_EQ(outcome(1), "已撤销");
}

TEST_F(Trust, UndoNeverReplacesAFileThatAppearedAtAnOldName) {
    list({{"a.doc", "Alpha", true}, {"b.doc", "Beta", true}});
    rename();
    WriteFile(dir() + "/a.doc", "someone else's");
    fake.messages.clear();

    undo();
    EXPECT_EQ(ReadFile(dir() + "/a.doc"), "someone else's");
    EXPECT_EQ(ReadFile(dir() + "/Alpha.doc"), "a.doc");
    EXPECT_EQ(ReadFile(dir() + "/b.doc"), "b.doc");
    EXPECT_EQ(outcome(1), "撤销失败:文件已存在!! 183");
    EXPECT_EQ(color(1), kColorRed);
    EXPECT_EQ(outcome(2), "已撤销");
    ASSERT_EQ(fake.messages.size(), 1u);
    const QString text = fake.messages[0].text;
    EXPECT_TRUE(text.startsWith("一共撤销了 1个文件的改名!!\n有 1个文件无法撤销"))
        << text.toStdString();
    EXPECT_TRUE(text.contains(dir() + "/Alpha.doc → " + dir() + "/a.doc")) << text.toStdString();

    // The journal keeps the move that is left; once the way is free it goes back.
    ASSERT_TRUE(QFile::exists(journalPath()));
    QFile::remove(dir() + "/a.doc");
    undo();
    EXPECT_EQ(ReadFile(dir() + "/a.doc"), "a.doc");
    EXPECT_EQ(fake.messages.back().text, "一共撤销了 1个文件的改名!!");
    EXPECT_FALSE(QFile::exists(journalPath()));
}

TEST_F(Trust, UndoTakesMovesBackNewestFirst) {
    // c moves on to d, then b takes c's old name. Taken back oldest first,
    // d could not return to c while b still held it.
    for (const char* n : {"b.doc", "c.doc"}) WriteFile(dir() + "/" + n, n);
    fake.fileSelections.push_back(dir() + QChar(0) + "c.doc" + QChar(0) + "b.doc");
    form->Toolbar1_ButtonClick(QStringLiteral("btnFile"));
    ASSERT_EQ(form->globalFilecount, 2);
    grid().SetCellText(1, ColTitle, "d");
    grid().SetCellText(2, ColTitle, "c");
    for (int r = 1; r <= 2; ++r) grid().SetCellProperty(r, ColFlag, "setcheck", "1");
    fake.messages.clear();
    rename(kRenameNothing);  // no collision: the answer is never asked for
    ASSERT_EQ(fake.messages.size(), 2u);
    ASSERT_EQ(ReadFile(dir() + "/c.doc"), "b.doc");
    ASSERT_EQ(ReadFile(dir() + "/d.doc"), "c.doc");

    undo();
    EXPECT_EQ(Entries(dir()), (QStringList{"b.doc", "c.doc"}));
    EXPECT_EQ(ReadFile(dir() + "/b.doc"), "b.doc");
    EXPECT_EQ(ReadFile(dir() + "/c.doc"), "c.doc");
    EXPECT_EQ(outcome(1), "已撤销");
    EXPECT_EQ(outcome(2), "已撤销");
}

TEST_F(Trust, UnwritableJournalAsksBeforeMoving) {
    // A settings folder below a plain file cannot be made, not even by root.
    WriteFile(dir() + "/plain", "x");
    Form1Options options;
    options.settingsDir = dir() + "/plain/settings";
    options.dialogs = &fake;
    form = std::make_unique<Form1>(options);
    QTemporaryDir docs;
    WriteFile(docs.path() + "/a.doc", "a");
    fake.folders.push_back(docs.path());
    form->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
    grid().SetCellText(1, ColTitle, "Alpha");
    grid().SetCellProperty(1, ColFlag, "setcheck", "1");
    fake.messages.clear();

    rename(AnswerNo);
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_TRUE(fake.messages[1].text.startsWith("无法写入改名记录"))
        << fake.messages[1].text.toStdString();
    EXPECT_EQ(fake.messages[1].buttons, MsgButtons::YesNo);
    EXPECT_EQ(Entries(docs.path()), (QStringList{"a.doc"}));
    EXPECT_EQ(outcome(1), "");

    rename(AnswerYes);  // going on without undo still renames
    EXPECT_EQ(Entries(docs.path()), (QStringList{"Alpha.doc"}));
}

TEST_F(Trust, WordFilesKeepTheirOwnExtension) {
    list({{"a.DOC", "Alpha", true},
          {"b.docx", "Beta", true},
          {"c.DOCM", "Gamma", true},
          {"d.docx", "Alpha", true}});
    rename();
    EXPECT_EQ(Entries(dir()), (QStringList{"Alpha.doc", "Alpha.docx", "Beta.docx", "Gamma.docm"}));
    EXPECT_EQ(ReadFile(dir() + "/Beta.docx"), "b.docx");
    EXPECT_EQ(ReadFile(dir() + "/Alpha.docx"), "d.docx");
    EXPECT_EQ(fake.messages.size(), 2u);  // different names: no collision question
}

// ---- Start-up recovery ----

// Every entry of a folder, hidden ones too, sorted.
QStringList AllNames(const QString& folder) {
    QStringList names = QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::System |
                                               QDir::NoDotAndDotDot);
    names.sort();
    return names;
}

TEST(RecoveryAtStart, TheWindowClearsWhatACrashLeftAndUndoSaysWhenItCannotRead) {
    QTemporaryDir settings, docs;
    WriteFile(docs.path() + "/a.doc", "alpha");
    WriteFile(settings.path() + "/userdata.ini.tmp999999999_0", "half");
    WriteFile(settings.path() + "/.pelmora-tmp-999999999-Ab12Cd", "half");
    {
        // A move by copy cut off after the copy got its name.
        RenameJournal log(settings.path() + "/lastrename.journal");
        ASSERT_TRUE(log.begin({{docs.path() + "/a.doc", docs.path() + "/A.doc"}}));
        log.markBegun(0, *IdentityOf(docs.path() + "/a.doc"));
        ASSERT_TRUE(QFile::copy(docs.path() + "/a.doc", docs.path() + "/A.doc"));
        log.markPlaced(0, *IdentityOf(docs.path() + "/A.doc"));
    }
    test::FakeDialogs fake;
    const std::unique_ptr<Form1> form = test::OpenWindow(settings.path(), fake);
    EXPECT_EQ(AllNames(docs.path()), (QStringList{"a.doc"}));
    EXPECT_FALSE(QFile::exists(settings.path() + "/userdata.ini.tmp999999999_0"));
    EXPECT_FALSE(QFile::exists(settings.path() + "/.pelmora-tmp-999999999-Ab12Cd"));

    WriteFile(settings.path() + "/lastrename.journal", "damaged");
    fake.messages.clear();
    form->mUndo->trigger();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.contains(QStringLiteral("无法读取")))
        << fake.messages[0].text.toStdString();
}

}  // namespace
}  // namespace pelmora
