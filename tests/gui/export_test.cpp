// The popup menu's additions: the CSV export of the list, check all and
// invert checks.

#include "core/batchlist/export.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QMenu>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <memory>

#include "gui/didagrid.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

class PopupAdditions : public test::WindowTest {
  protected:
    QStringList flags() {
        QStringList out;
        for (int r = 1; r <= form->globalFilecount; ++r)
            out << grid().GetCellProperty(r, ColFlag, "getcheck");
        return out;
    }
};

TEST_F(PopupAdditions, MenuHoldsTheNewItems) {
    const std::pair<QAction*, const char*> items[] = {{form->mCheckAll, "全选"},
                                                      {form->mInvert, "反选"},
                                                      {form->mUndo, "撤销上次改名"},
                                                      {form->mExport, "导出结果"}};
    for (const auto& [action, text] : items) {
        ASSERT_NE(action, nullptr) << text;
        EXPECT_EQ(action->text(), QString::fromUtf8(text));
        EXPECT_TRUE(form->MyPopmenu->actions().contains(action)) << text;
    }
}

TEST_F(PopupAdditions, CheckAllAndInvert) {
    fill({{"a.doc", "A", "1", "/d", ""},
          {"b.doc", "", "0", "/d", ""},
          {"c.doc", "C", "0", "/d", ""}});
    form->mInvert->trigger();
    EXPECT_EQ(flags(), (QStringList{"0", "1", "1"}));
    form->mCheckAll->trigger();
    EXPECT_EQ(flags(), (QStringList{"1", "1", "1"}));
    form->mInvert->trigger();
    EXPECT_EQ(flags(), (QStringList{"0", "0", "0"}));
    EXPECT_TRUE(fake.messages.empty());
    // Titles and outcomes stay; rows past globalFilecount are not touched.
    EXPECT_EQ(grid().GetCellText(1, ColTitle), "A");
    form->globalFilecount = 0;
    form->mCheckAll->trigger();
    EXPECT_EQ(grid().GetCellProperty(1, ColFlag, "getcheck"), "0");
}

TEST_F(PopupAdditions, ExportWritesUtf8WithBomAndTheFiveColumns) {
    fill({{"报告.doc", "第一章总则", "1", "/文档/甲", "改名成功"},
          {"a,b.doc", "say \"hi\"", "0", "/d", "文件已存在!! 183"},
          {"c.doc", "=SUM(A1)", "1", "/d", "line\nbreak"}});
    const QString out = dir() + "/结果.csv";
    fake.savePaths.push_back(out);
    form->mExport->trigger();

    const QByteArray bytes = test::ReadFile(out);
    ASSERT_TRUE(bytes.startsWith("\xEF\xBB\xBF"));
    QStringDecoder utf8(QStringDecoder::Utf8);
    const QString text = utf8(bytes.mid(3));
    EXPECT_FALSE(utf8.hasError());
    EXPECT_EQ(text,
              "原文件名,提取的标题,标志,原文件路径,处理结果\r\n"
              "报告.doc,第一章总则,1,/文档/甲,改名成功\r\n"
              "\"a,b.doc\",\"say \"\"hi\"\"\",0,/d,文件已存在!! 183\r\n"
              "c.doc,'=SUM(A1),1,/d,\"line\nbreak\"\r\n");
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_EQ(fake.messages[0].text, "结果已导出到:" + out);
}

TEST_F(PopupAdditions, ExportCancelledOrUnwritable) {
    fill({{"a.doc", "A", "1", "/d", ""}});
    form->mExport->trigger();  // the save dialog cancelled
    EXPECT_TRUE(fake.messages.empty());

    // A file below a plain file cannot be made; an existing file stays whole.
    test::WriteFile(dir() + "/plain", "keep");
    fake.savePaths.push_back(dir() + "/plain/out.csv");
    form->mExport->trigger();
    ASSERT_EQ(fake.messages.size(), 1u);
    EXPECT_TRUE(fake.messages[0].text.startsWith("无法写入文件:"))
        << fake.messages[0].text.toStdString();
    EXPECT_EQ(fake.messages[0].icon, MsgIcon::Warning);
    EXPECT_EQ(test::ReadFile(dir() + "/plain"), "keep");

    // A name without an extension gets ".csv".
    fake.savePaths.push_back(dir() + "/results");
    form->mExport->trigger();
    EXPECT_TRUE(test::ReadFile(dir() + "/results.csv").startsWith("\xEF\xBB\xBF"));
}

}  // namespace
}  // namespace pelmora
