#include "gui/frmoptions.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>
#include <QTreeView>
#include <functional>
#include <memory>

#include "gui/form1.h"
#include "gui/updown.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::FakeDialogs;
using test::ReadFile;
using test::WriteFile;

// The main window over a scratch settings folder, with the scripted dialogs;
// the options dialog is reached through the toolbar as a user reaches it.
class OptionsDialogTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(dir_.isValid());
        target_ = dir_.filePath(QStringLiteral("target"));
        QDir().mkpath(target_);
        other_ = dir_.filePath(QStringLiteral("other"));
        QDir().mkpath(other_);
    }

    QString path() const { return dir_.filePath(QStringLiteral("userdata.ini")); }

    QByteArray fileWith(const QByteArray& maxword = " 30", const QByteArray& mode = " 1") const {
        return "First=true\r\nSubdir=true\r\nOnlyenglish=false\r\nMaxword=" + maxword +
               "\r\nDefaultDir=" + target_.toUtf8() + "\r\nGetTitleMode=" + mode +
               "\r\nStartpragraph= 4\r\nStartpos= 2\r\nWordcount= 17\r\n";
    }

    void start(const QByteArray& file) {
        WriteFile(path(), file);
        form_ = test::OpenWindow(dir_.path(), dialogs_);
        dialogs_.messages.clear();
    }

    // Clicks "btnSetting"; act runs on the open dialog and returns how it ends.
    int openOptions(const std::function<int(frmOptions&)>& act) {
        int result = -1;
        dialogs_.onExec = [&](QDialog& d) {
            auto* options = qobject_cast<frmOptions*>(&d);
            EXPECT_NE(options, nullptr);
            EXPECT_FALSE(form_->toolButton(QStringLiteral("btnSetting"))->isEnabled());
            result = options ? act(*options) : -1;
            return result;
        };
        form_->toolButton(QStringLiteral("btnSetting"))->click();
        EXPECT_TRUE(form_->toolButton(QStringLiteral("btnSetting"))->isEnabled());
        return result;
    }

    static int save(frmOptions& d) {
        d.Command1->click();
        return d.result();
    }

    QList<QByteArray> lines() const { return ReadFile(path()).split('\n'); }

    QTemporaryDir dir_;
    QString target_, other_;
    FakeDialogs dialogs_;
    std::unique_ptr<Form1> form_;
};

TEST_F(OptionsDialogTest, OpeningShowsTheFileAndSavingUnchangedWritesItBack) {
    start(fileWith());
    const int result = openOptions([&](frmOptions& d) {
        EXPECT_EQ(d.windowTitle(), QStringLiteral("选项设置"));
        EXPECT_TRUE(d.Check1->isChecked());
        EXPECT_FALSE(d.Check2->isChecked());
        EXPECT_EQ(d.txtMaxword->text(), QStringLiteral(" 30"));
        EXPECT_TRUE(d.Option1[1]->isChecked());
        EXPECT_EQ(d.pragraph->text(), QStringLiteral(" 4"));
        EXPECT_EQ(d.startpos->text(), QStringLiteral(" 2"));
        EXPECT_EQ(d.dirPath(), target_);
        return save(d);
    });
    EXPECT_EQ(result, QDialog::Accepted);
    EXPECT_EQ(ReadFile(path()), fileWith());
    EXPECT_TRUE(dialogs_.messages.empty());
    EXPECT_EQ(dialogs_.execCalls, std::vector<QString>{QStringLiteral("frmOptions")});
}

struct MaxwordCase {
    const char* name;
    const char* typed;
    int saved;
};

class MaxwordTest : public OptionsDialogTest, public ::testing::WithParamInterface<MaxwordCase> {};

TEST_P(MaxwordTest, TypedTextIsReadWithTheNumberRule) {
    start(fileWith());
    openOptions([&](frmOptions& d) {
        d.txtMaxword->setText(QString::fromUtf8(GetParam().typed));
        return save(d);
    });
    EXPECT_EQ(form_->globalMaxword, GetParam().saved);
    EXPECT_EQ(
        lines().at(3),
        "Maxword=" +
            QString::number(GetParam().saved).prepend(GetParam().saved < 0 ? "" : " ").toLatin1() +
            "\r");
    EXPECT_TRUE(dialogs_.messages.empty());  // the dialog warns about nothing
}

INSTANTIATE_TEST_SUITE_P(Typed, MaxwordTest,
                         ::testing::Values(MaxwordCase{"Letters", "abc", 0},
                                           MaxwordCase{"SignPosition", " 30", 30},
                                           MaxwordCase{"HalfDown", "2.5", 2},
                                           MaxwordCase{"HalfUp", "3.5", 4},
                                           MaxwordCase{"Negative", "-3", -3},
                                           MaxwordCase{"AboveRangeSavesLimit", "99999", 32767},
                                           MaxwordCase{"BelowRangeSavesLimit", "-1e9", -32768}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(OptionsDialogTest, OptionButtonsStoreTheirIndex) {
    start(fileWith());
    for (int index : {2, 3, 4, 0}) {
        openOptions([&](frmOptions& d) {
            d.Option1[index]->click();
            return save(d);
        });
        EXPECT_EQ(form_->globalGetTitleMode, index);
        EXPECT_EQ(lines().at(5), "GetTitleMode= " + QByteArray::number(index) + "\r");
    }
}

TEST_F(OptionsDialogTest, UncheckingEnglishOnlyWritesThirdLine) {
    start(fileWith().replace("Onlyenglish=false", "Onlyenglish=true"));
    openOptions([&](frmOptions& d) {
        EXPECT_TRUE(d.Check2->isChecked());
        d.Check2->click();
        d.Check1->click();
        return save(d);
    });
    EXPECT_EQ(lines().at(2), "Onlyenglish=false\r");
    EXPECT_EQ(lines().at(1), "Subdir=false\r");
    EXPECT_FALSE(form_->globalOnlyenglish);
}

TEST_F(OptionsDialogTest, CancelAndFrameCloseNeverWrite) {
    start(fileWith());
    const QByteArray before = ReadFile(path());
    const std::function<void(frmOptions&)> closers[] = {
        [](frmOptions& d) { d.Command2->click(); }, [](frmOptions& d) { d.close(); },
        [](frmOptions& d) { d.reject(); },  // Escape
    };
    for (const auto& close : closers) {
        const int result = openOptions([&](frmOptions& d) {
            d.txtMaxword->setText(QStringLiteral("7"));
            d.Check2->click();
            d.Option1[3]->click();
            d.setDirPath(other_);
            close(d);
            return d.result();
        });
        EXPECT_EQ(result, QDialog::Rejected);
        EXPECT_EQ(ReadFile(path()), before);
        // The folder list's change reached memory; nothing else did.
        EXPECT_EQ(form_->globalDefaultDir, other_);
        EXPECT_EQ(form_->globalMaxword, 30);
    }
}

TEST_F(OptionsDialogTest, MissingFileGivesOneBoxThenDesignedContent) {
    start(fileWith());
    QFile::remove(path());
    openOptions([&](frmOptions& d) {
        EXPECT_EQ(dialogs_.messages.size(), 1u);
        EXPECT_EQ(d.txtMaxword->text(), QStringLiteral("25"));
        EXPECT_EQ(d.pragraph->text(), QStringLiteral("1"));
        EXPECT_EQ(d.startpos->text(), QStringLiteral("1"));
        EXPECT_TRUE(d.Check2->isChecked());
        EXPECT_FALSE(d.Check1->isChecked());
        EXPECT_TRUE(d.Option1[0]->isChecked());
        EXPECT_EQ(d.dirPath(), QDir::currentPath());
        return save(d);
    });
    ASSERT_EQ(dialogs_.messages.size(), 1u);
    EXPECT_TRUE(dialogs_.messages[0].text.contains(QStringLiteral("找不到文件")));
    // Saving writes the designed content with First and Wordcount from memory.
    EXPECT_EQ(ReadFile(path()),
              "First=true\r\nSubdir=false\r\nOnlyenglish=true\r\nMaxword= 25\r\n"
              "DefaultDir=" +
                  QDir::currentPath().toUtf8() +
                  "\r\nGetTitleMode= 0\r\nStartpragraph= 1\r\nStartpos= 1\r\n"
                  "Wordcount= 17\r\n");
}

TEST_F(OptionsDialogTest, AutoModeOpensCheckedAndItsButtonFitsTheGroup) {
    start(fileWith(" 30", " 4"));
    openOptions([&](frmOptions& d) {
        EXPECT_TRUE(d.Option1[4]->isChecked());
        EXPECT_EQ(d.Option1[4]->text(), QStringLiteral("自动识别"));
        EXPECT_EQ(d.Option1[4]->parentWidget(), static_cast<QWidget*>(d.fraSample1));
        const QRect button = d.Option1[4]->geometry();
        EXPECT_TRUE(d.fraSample1->rect().contains(button));
        // It overlaps none of the group's other controls.
        for (QWidget* other : d.fraSample1->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (other == d.Option1[4]) continue;
            EXPECT_FALSE(other->geometry().intersects(button)) << other->objectName().toStdString();
        }
        return save(d);
    });
    EXPECT_EQ(form_->globalGetTitleMode, 4);
    EXPECT_EQ(lines().at(5), "GetTitleMode= 4\r");
}

TEST_F(OptionsDialogTest, TitleModeWithoutButtonSelectsNoneAndIsKept) {
    start(fileWith(" 30", " 7"));
    openOptions([&](frmOptions& d) {
        for (QRadioButton* b : d.Option1) EXPECT_FALSE(b->isChecked());
        return save(d);
    });
    EXPECT_EQ(form_->globalGetTitleMode, 7);
    EXPECT_EQ(lines().at(5), "GetTitleMode= 7\r");
}

TEST_F(OptionsDialogTest, EmptyOrVanishedFolderShowsProgramFolder) {
    for (const QByteArray& folder : {QByteArray(), dir_.filePath("gone").toUtf8()}) {
        start(fileWith().replace(target_.toUtf8(), folder));
        openOptions([&](frmOptions& d) {
            EXPECT_EQ(d.dirPath(), form_->programFolder());
            // Showing another folder counts as a change of the folder list.
            EXPECT_EQ(form_->globalDefaultDir, form_->programFolder());
            return QDialog::Rejected;
        });
    }
}

TEST_F(OptionsDialogTest, FolderChoiceReachesSettingsAtOnce) {
    start(fileWith());
    openOptions([&](frmOptions& d) {
        d.Dir1->setCurrentIndex(d.Dir1->model()->index(0, 0, d.Dir1->currentIndex().parent()));
        const QString picked = d.dirPath();
        EXPECT_EQ(form_->globalDefaultDir, picked);
        d.setDirPath(other_);
        EXPECT_EQ(form_->globalDefaultDir, other_);
        // Choosing the root file system moves the folder list to its root.
        const int root = d.Drive1->findData(QStringLiteral("/"));
        EXPECT_GE(root, 0);
        if (root < 0) return int(QDialog::Rejected);
        d.Drive1->setCurrentIndex(root);
        emit d.Drive1->activated(root);
        EXPECT_EQ(d.dirPath(), QStringLiteral("/"));
        d.setDirPath(other_);
        return save(d);
    });
    EXPECT_EQ(lines().at(4), "DefaultDir=" + other_.toUtf8() + "\r");
}

TEST_F(OptionsDialogTest, SpinnersStepWithinTheirRanges) {
    start(fileWith(" 254"));
    openOptions([&](frmOptions& d) {
        EXPECT_EQ(d.UpDown1->minimum(), 0);
        EXPECT_EQ(d.UpDown1->maximum(), 255);
        d.UpDown1->upButton()->click();
        EXPECT_EQ(d.txtMaxword->text(), QStringLiteral(" 255"));
        d.UpDown1->upButton()->click();
        EXPECT_EQ(d.txtMaxword->text(), QStringLiteral(" 255"));
        d.txtMaxword->setText(QStringLiteral("abc"));
        d.UpDown1->downButton()->click();
        EXPECT_EQ(d.txtMaxword->text(), QStringLiteral(" 0"));
        d.txtMaxword->setText(QStringLiteral("900"));  // typed beyond the range
        d.UpDown1->downButton()->click();
        EXPECT_EQ(d.txtMaxword->text(), QStringLiteral(" 254"));

        d.UpDown3->downButton()->click();  // from " 4"
        EXPECT_EQ(d.pragraph->text(), QStringLiteral(" 3"));
        d.pragraph->setText(QStringLiteral("1"));
        d.UpDown3->downButton()->click();
        EXPECT_EQ(d.pragraph->text(), QStringLiteral(" 1"));
        d.startpos->setText(QStringLiteral("32767"));
        d.UpDown4->upButton()->click();
        EXPECT_EQ(d.startpos->text(), QStringLiteral(" 32767"));
        return save(d);
    });
    EXPECT_EQ(form_->globalMaxword, 254);
    EXPECT_EQ(form_->globalStartpragraph, 1);
    EXPECT_EQ(form_->globalStartpos, 32767);
}

TEST_F(OptionsDialogTest, FocusStartsOnSaveAndFollowsTheDesignedOrder) {
    start(fileWith());
    openOptions([&](frmOptions& d) {
        EXPECT_EQ(d.focusWidget(), d.Command1);
        std::vector<QString> order;
        QWidget* w = d.Command1;
        for (int guard = 0; guard < 100 && order.size() < 40; ++guard) {
            if (w->focusPolicy() & Qt::TabFocus) order.push_back(w->objectName());
            w = w->nextInFocusChain();
            if (w == d.Command1) break;
        }
        std::vector<QString> expected{"Command1",  "Check2",    "Check1",    "txtMaxword",
                                      "Option1_0", "Option1_1", "Option1_2", "Option1_3",
                                      "Option1_4", "pragraph",  "startpos"};
        for (const QString& ext : DocumentExtensions()) expected.push_back("chkKind" + ext.mid(1));
        for (const char* name :
             {"chkReplace", "chkKeepBlanks", "chkNumber", "Drive1", "Dir1", "Command2"})
            expected.push_back(name);
        EXPECT_EQ(order, expected);
        // The designed 658 x 253 with a margin right of the groups, and the
        // further settings' groups below it.
        EXPECT_EQ(d.size(), QSize(658 + frmOptions::kRightMargin, 345));
        EXPECT_EQ(d.Command2->geometry(), QRect(520, 200, 73, 41));
        EXPECT_EQ(d.Frame1->geometry(), QRect(400, 24, 258, 169));
        // Every frame's right edge lies inside the window, not on its edge.
        for (QWidget* group :
             {static_cast<QWidget*>(d.fraKinds), static_cast<QWidget*>(d.fraNames),
              static_cast<QWidget*>(d.Frame1), static_cast<QWidget*>(d.fraSample1)})
            EXPECT_LT(group->geometry().right(), d.width() - 4)
                << group->objectName().toStdString();
        return QDialog::Rejected;
    });
}

// The folder list reads folders in the background; the saved folder, deep
// among many, must end up in view, also sideways.
TEST_F(OptionsDialogTest, TheSavedFolderIsScrolledIntoView) {
    QString deep = target_;
    // ASCII names: the settings file is GB18030, which the test writes as bytes.
    for (const char* part : {"papers", "2024", "office", "incoming-register", "done", "q3"})
        deep += QStringLiteral("/") + QString::fromLatin1(part);
    QDir().mkpath(deep);
    for (int i = 0; i < 40; ++i)
        QDir().mkpath(target_ + QStringLiteral("/papers/a%1").arg(i, 2, 10, QChar('0')));
    for (int i = 0; i < 40; ++i) QDir().mkpath(target_ + QStringLiteral("/%1").arg(i));
    QByteArray file = fileWith();
    file.replace(target_.toUtf8(), deep.toUtf8());
    start(file);
    openOptions([&](frmOptions& d) {
        d.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&d));
        EXPECT_EQ(d.dirPath(), deep);
        const auto inView = [&] {
            const QRect item = d.Dir1->visualRect(d.Dir1->currentIndex());
            const QRect view = d.Dir1->viewport()->rect();
            return item.isValid() && view.contains(item.topLeft()) &&
                   view.contains(QPoint(item.left() + 20, item.bottom()));
        };
        // Waits for the reads to end, then asks again.
        QTest::qWait(1500);
        EXPECT_TRUE(QTest::qWaitFor(inView, 5000));
        return QDialog::Rejected;
    });
}

// The kinds the dialog shows checked.
QStringList CheckedKinds(const frmOptions& d) {
    QStringList shown;
    for (QCheckBox* box : d.chkKinds)
        if (box->isChecked()) shown << box->text();
    return shown;
}

TEST_F(OptionsDialogTest, FurtherSettingsLiveInTheirOwnFile) {
    start(fileWith());
    const QString more = dir_.filePath(QStringLiteral("pelmora-options.ini"));
    WriteFile(more, "Kinds=.odt .dot\r\nReplaceIllegal=true\r\nNumberDuplicates=true\r\n");
    openOptions([&](frmOptions& d) {
        EXPECT_TRUE(d.chkReplace->isChecked());
        EXPECT_TRUE(d.chkNumber->isChecked());
        d.chkNumber->setChecked(false);
        EXPECT_FALSE(d.chkKeepBlanks->isChecked());
        EXPECT_EQ(CheckedKinds(d), (QStringList{".dot", ".odt"}));
        d.chkKeepBlanks->setChecked(true);
        d.chkReplace->setChecked(false);
        d.chkKinds[0]->setChecked(true);  // .doc
        return save(d);
    });
    EXPECT_TRUE(form_->globalKeepBlanks);
    EXPECT_FALSE(form_->globalReplaceIllegal);
    EXPECT_FALSE(form_->globalNumberDuplicates);
    EXPECT_EQ(form_->globalKinds, (QStringList{".doc", ".dot", ".odt"}));
    // userdata.ini keeps its nine lines, as other copies of the program read it.
    EXPECT_EQ(ReadFile(path()), fileWith());
    const QByteArray text = ReadFile(more);
    EXPECT_TRUE(text.contains("KeepBlanks=true\r\n")) << text.constData();
    EXPECT_TRUE(text.contains("Kinds=.doc .dot .odt\r\n")) << text.constData();
    EXPECT_TRUE(dialogs_.messages.empty());

    // Cancel writes neither file.
    const QByteArray before = ReadFile(more);
    openOptions([&](frmOptions& d) {
        d.chkKeepBlanks->setChecked(false);
        return QDialog::Rejected;
    });
    EXPECT_EQ(ReadFile(more), before);
}

TEST_F(OptionsDialogTest, TheLastListedKindCannotBeUnchecked) {
    start(fileWith());
    WriteFile(dir_.filePath(QStringLiteral("pelmora-options.ini")), "Kinds=.rtf\r\n");
    openOptions([&](frmOptions& d) {
        QCheckBox* rtf = d.chkKinds.back();
        EXPECT_EQ(rtf->text(), ".rtf");
        rtf->click();
        EXPECT_TRUE(rtf->isChecked());
        d.chkKinds[1]->click();  // .docx on: now .rtf may go
        rtf->click();
        EXPECT_FALSE(rtf->isChecked());
        return save(d);
    });
    EXPECT_EQ(form_->globalKinds, QStringList{".docx"});
}

TEST_F(OptionsDialogTest, WithoutTheFurtherFileTheDefaultsShow) {
    start(fileWith());
    openOptions([&](frmOptions& d) {
        EXPECT_FALSE(d.chkReplace->isChecked());
        EXPECT_FALSE(d.chkKeepBlanks->isChecked());
        EXPECT_EQ(CheckedKinds(d), DefaultListedExtensions());
        return QDialog::Rejected;
    });
    EXPECT_FALSE(QFile::exists(dir_.filePath(QStringLiteral("pelmora-options.ini"))));
}

}  // namespace
}  // namespace pelmora
