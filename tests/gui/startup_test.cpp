// The start-up loading as the main window runs it: defaults only after a
// failed read, and an empty file is a successful read.
#include <gtest/gtest.h>

#include <QTemporaryDir>

#include "core/settings/settingsstore.h"
#include "gui/form1.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "support/window_test.h"

namespace pelmora {
namespace {

using test::FakeDialogs;
using test::ReadFile;
using test::WriteFile;

struct Started {
    QTemporaryDir dir;
    FakeDialogs dialogs;
    std::unique_ptr<Form1> form;
    QString path() const { return dir.filePath(QStringLiteral("userdata.ini")); }
    void start() { form = test::OpenWindow(dir.path(), dialogs); }
};

TEST(StartupLoading, EmptyFileIsKeptAndGivesZeros) {
    Started s;
    WriteFile(s.path(), "");
    s.start();
    EXPECT_TRUE(s.dialogs.messages.empty());
    EXPECT_EQ(s.form->globalMaxword, 0);
    EXPECT_FALSE(s.form->globalOnlyenglish);
    EXPECT_TRUE(s.form->globalDefaultDir.isEmpty());
    EXPECT_TRUE(ReadFile(s.path()).isEmpty()) << "no defaults after a good read";
}

TEST(StartupLoading, DamagedFileIsReportedAndReplacedByDefaults) {
    const QByteArray damaged[] = {
        "First=true\r\n\r\nOnlyenglish=false\r\n",                               // empty line
        "a=\r\nb=\r\nc=\r\nMaxword=40000\r\n",                                   // out of range
        "1=\r\n2=\r\n3=\r\n4=\r\n5=\r\n6=\r\n7=\r\n8=\r\n9=\r\n10=\r\n11=\r\n",  // eleven lines
    };
    for (const QByteArray& bytes : damaged) {
        Started s;
        WriteFile(s.path(), bytes);
        s.start();
        EXPECT_EQ(s.dialogs.messages.size(), 1u);
        GlobalSettings defaults;
        SetDefaultSettings(defaults, s.form->programFolder());
        EXPECT_EQ(ReadFile(s.path()), SettingFileText(defaults).toUtf8());
        EXPECT_EQ(s.form->globalMaxword, 25);
    }
}

}  // namespace
}  // namespace pelmora
