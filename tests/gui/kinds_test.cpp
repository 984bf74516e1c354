// A folder of every kind of document, made by LibreOffice: listed by the
// kinds setting and extracted in every mode with the texts LibreOffice's own
// exports give (tests/data/kinds/expected.tsv); old WPS files say why they
// cannot be read.

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTextStream>
#include <map>

#include "core/files/filenames.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"
#include "titles/rawtitle.h"

namespace pelmora {
namespace {

using test::TestData;

// The texts LibreOffice gives for one made file, by title mode.
struct Expected {
    std::map<int, QString> byMode;
};

std::map<QString, Expected> ReadExpected() {
    std::map<QString, Expected> out;
    QFile file(TestData("kinds/expected.tsv"));
    if (!file.open(QIODevice::ReadOnly)) return out;
    for (const QByteArray& line : file.readAll().split('\n')) {
        if (line.isEmpty() || line.startsWith('#')) continue;
        const QStringList f = QString::fromUtf8(line).split('\t');
        if (f.size() != 6) continue;
        Expected e;
        e.byMode[0] = f[1];
        e.byMode[3] = f[2];
        e.byMode[1] = f[3];
        e.byMode[2] = f[4];
        e.byMode[4] = f[5];
        out[f[0]] = e;
    }
    return out;
}

// Every kind made by LibreOffice (the old WPS files aside).
const QStringList kReadKinds = {".odt", ".ott", ".wps", ".wpt", ".dot", ".dotx", ".rtf"};

class Kinds : public test::WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        expected = ReadExpected();
        if (expected.empty()) GTEST_SKIP() << "tests/data/kinds not available";
        for (const QString& name : QDir(TestData("kinds")).entryList(QDir::Files)) {
            if (name.endsWith(".tsv")) continue;
            ASSERT_TRUE(QFile::copy(TestData("kinds/" + name), dir() + "/" + name));
        }
        form->globalMaxword = 25;
        form->globalStartpragraph = 5;
        form->globalStartpos = 1;
        form->globalWordcount = 25;
        form->globalKinds = DocumentExtensions();
        fake.folders.push_back(dir());
        form->Toolbar1_ButtonClick(QStringLiteral("btnDir"));
    }
    int rowOf(const QString& name) {
        for (int r = 1; r <= form->globalFilecount; ++r)
            if (grid().GetCellText(r, ColFileName) == name) return r;
        return 0;
    }
    std::map<QString, Expected> expected;
};

TEST_F(Kinds, EveryKindIsListedAndReadInEveryMode) {
    for (const auto& [name, e] : expected) EXPECT_GT(rowOf(name), 0) << name.toStdString();
    EXPECT_GT(rowOf("old-dos.wps"), 0);

    for (int mode = 0; mode <= 4; ++mode) {
        form->globalGetTitleMode = int16_t(mode);
        form->Toolbar1_ButtonClick(QStringLiteral("btnGetTitle"));
        for (const auto& [name, e] : expected) {
            if (!kReadKinds.contains(name.mid(name.lastIndexOf('.')))) continue;
            const int r = rowOf(name);
            const QString want = *pelmora::FormatTitle(e.byMode.at(mode), 25);
            EXPECT_EQ(grid().GetCellText(r, ColTitle), want)
                << name.toStdString() << " mode " << mode;
            // The colon of the English title refuses it; every other title is good.
            const bool good = !want.contains(':');
            EXPECT_EQ(grid().GetCellText(r, ColResult),
                      good ? "提取成功" : "与文件名相同或空等非法字符")
                << name.toStdString() << " mode " << mode;
        }
        for (const char* old : {"old-dos.wps", "old-2000.wps"}) {
            const int r = rowOf(old);
            EXPECT_EQ(grid().GetCellText(r, ColTitle), "") << old;
            EXPECT_EQ(grid().GetCellText(r, ColResult), "WPS 旧版格式,无法读取") << old;
            EXPECT_EQ(grid().GetCellProperty(r, ColFlag, "getcheck"), "0") << old;
            EXPECT_EQ(grid().GetCellColor(r, ColTitle), kColorRed) << old;
        }
    }
}

TEST_F(Kinds, RenamedFilesKeepTheirKindAndAColonTurnsFullWidth) {
    form->globalReplaceIllegal = true;
    form->globalGetTitleMode = 0;
    form->Toolbar1_ButtonClick(QStringLiteral("btnGetTitle"));
    for (int r = 1; r <= form->globalFilecount; ++r)
        if (!kReadKinds.contains(grid()
                                     .GetCellText(r, ColFileName)
                                     .mid(grid().GetCellText(r, ColFileName).lastIndexOf('.'))))
            grid().SetCellProperty(r, ColFlag, "setcheck", "0");
    // The two documents of one kind have two titles, and each kind its own
    // extension: nothing collides.
    fake.answers.push_back(AnswerYes);
    form->Toolbar1_ButtonClick(QStringLiteral("btnRename"));
    const QStringList names = QDir(dir()).entryList(QDir::Files);
    for (const QString& ext : kReadKinds) {
        EXPECT_TRUE(names.contains("关于召开2024年度工作会议的通知" + ext)) << ext.toStdString();
        EXPECT_TRUE(names.contains("Annualreport：waterquality" + ext)) << ext.toStdString();
    }
}

}  // namespace
}  // namespace pelmora
