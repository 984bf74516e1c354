// "pelmora FILE|FOLDER...": the arguments are listed as a drop lists them.

#include <gtest/gtest.h>

#include <QDir>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::WriteFile;

class CommandLine : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        oldCurrent = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(dir()));
    }
    void TearDown() override { QDir::setCurrent(oldCurrent); }
    void make(const QString& folder, const QStringList& names) {
        for (const QString& n : names) WriteFile(dir() + "/" + folder + "/" + n, "x");
    }
    QStringList column(int col) {
        QStringList out;
        for (int r = 1; r <= form->globalFilecount; ++r) out << grid().GetCellText(r, col);
        return out;
    }
    QString oldCurrent;
};

TEST_F(CommandLine, RelativeAndAbsoluteFilesEachWithItsFolder) {
    make("one", {"b.doc", "notes.txt"});
    make("two", {"c.DOCX"});
    form->listArguments(
        {"one/b.doc", "one/notes.txt", "missing.doc", dir() + "/two/c.DOCX", "./one/../one/b.doc"});
    EXPECT_EQ(column(ColFileName), (QStringList{"b.doc", "c.DOCX", "b.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir() + "/one", dir() + "/two", dir() + "/one"}));
    EXPECT_TRUE(fake.messages.empty());
}

TEST_F(CommandLine, OneFolderListsAsTheFolderButton) {
    make("f", {"b.doc", "A.docm", "中文.doc", "x.txt"});
    make("f/sub", {"deep.doc"});
    form->globalOnlyenglish = true;
    form->listArguments({"f"});
    EXPECT_EQ(column(ColFileName), (QStringList{"A.docm", "b.doc"}));
    EXPECT_EQ(column(ColPath), QStringList(2, dir() + "/f"));
    ASSERT_EQ(fake.messages.size(), 1u);  // the Chinese name left out
    EXPECT_TRUE(fake.messages[0].text.startsWith("已列出2个文件;另有1个"));

    // A folder without documents says so, as the folder button does.
    make("empty", {"a.txt"});
    form->listArguments({"empty"});
    ASSERT_EQ(fake.messages.size(), 2u);
    EXPECT_EQ(fake.messages[1].text, "该文件夹下没有发现Word文件,请重新选择文件夹");
}

TEST_F(CommandLine, FoldersAndFilesTogetherListEverything) {
    make("p", {"a.doc"});
    make("q", {"c.doc"});
    make("", {"loose.doc"});
    form->listArguments({"q", "loose.doc", dir() + "/p/"});
    EXPECT_EQ(column(ColFileName), (QStringList{"c.doc", "loose.doc", "a.doc"}));
    EXPECT_EQ(column(ColPath), (QStringList{dir() + "/q", dir(), dir() + "/p"}));
}

// A leading "--" ends the options a launcher may pass; a name starting with
// a dash is a file like any other.
TEST_F(CommandLine, DashesAndNothingGiven) {
    make("", {"-a.doc", "b.doc"});
    form->listArguments({"--", "-a.doc"});
    EXPECT_EQ(column(ColFileName), (QStringList{"-a.doc"}));

    // Nothing given, or nothing usable: the list stays as it was.
    form->listArguments({});
    form->listArguments({"--"});
    form->listArguments({"nothing-here.doc", "b.txt"});
    EXPECT_EQ(column(ColFileName), (QStringList{"-a.doc"}));
    EXPECT_TRUE(fake.messages.empty());
}

}  // namespace
}  // namespace pelmora
