// The start-up loading as the main window runs it: defaults only after a
// failed read, and an empty file is a successful read.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QFile>
#include <QFileInfo>
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

// userdata.ini a link to a device or a pipe: one message, the defaults for
// this run, and the node neither replaced nor written through.
TEST(StartupLoading, ALinkToADeviceOrAPipeIsReportedAndLeftAlone) {
    QTemporaryDir nodes;
    const QString fifo = nodes.filePath(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    ::alarm(60);  // a pipe opened for reading would wait for ever
    for (const QString& target : {QStringLiteral("/dev/null"), fifo}) {
        Started s;
        ASSERT_EQ(::symlink(QFile::encodeName(target).constData(),
                            QFile::encodeName(s.path()).constData()),
                  0);
        s.start();
        ASSERT_EQ(s.dialogs.messages.size(), 1u) << target.toStdString();
        EXPECT_TRUE(s.dialogs.messages[0].text.contains(QStringLiteral("不是普通文件")));
        EXPECT_EQ(s.form->globalMaxword, 25);
        EXPECT_EQ(QFileInfo(s.path()).symLinkTarget(), target);
        struct stat st;
        ASSERT_EQ(::stat(QFile::encodeName(target).constData(), &st), 0);
        EXPECT_TRUE(S_ISCHR(st.st_mode) || S_ISFIFO(st.st_mode)) << target.toStdString();
    }
    ::alarm(0);
}

}  // namespace
}  // namespace pelmora
