// The automatic mode's runners-up, without widgets: which ones a document
// offers, and how each row keeps them through extraction and removals.

#include <gtest/gtest.h>

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <vector>

#include "core/batchlist/batchlist.h"
#include "core/batchlist/gridcells.h"
#include "core/batchlist/gridmodel.h"
#include "core/extraction/extraction.h"
#include "core/extraction/titleread.h"
#include "core/progress.h"
#include "core/settings/globalsettings.h"
#include "reader/document.h"
#include "support/fake_dialogs.h"
#include "support/testutil.h"
#include "titles/rawtitle.h"

namespace pelmora {
namespace {

using test::TestData;

GlobalSettings Settings(TitleMode mode) {
    GlobalSettings s;
    s.globalMaxword = 25;
    s.globalGetTitleMode = int16_t(mode);
    s.globalStartpragraph = 5;
    s.globalStartpos = 1;
    s.globalWordcount = 25;
    return s;
}

// The outcome for a fixture listed under `name` (its own name by default).
TitleOutcome Outcome(const GlobalSettings& settings, const QString& fixture,
                     const QString& name = QString()) {
    word::Application app;
    const QString path = TestData(fixture);
    return ReadTitleOutcome(app, settings,
                            {path, name.isEmpty() ? QFileInfo(path).fileName() : name});
}

#define REQUIRE_FIXTURE(name) \
    if (!QFile::exists(TestData(name))) GTEST_SKIP() << "test documents not available"

TEST(RunnersUp, FormedLikeTheTitleDistinctAndUsable) {
    REQUIRE_FIXTURE("titles/issuing_body.doc");
    GlobalSettings settings = Settings(TitleMode::TitleModeAuto);
    TitleOutcome out = Outcome(settings, "titles/issuing_body.doc");
    EXPECT_EQ(out.title, "海州大学学生摄影协会章程");
    EXPECT_FALSE(out.fails);
    EXPECT_EQ(out.runnersUp, QStringList({"章程", "海州大学", "学生摄影协会", "第一章总则"}));

    // Cut to two characters, 海州大学 reads as the title and goes.
    settings.globalMaxword = 2;
    out = Outcome(settings, "titles/issuing_body.doc");
    EXPECT_EQ(out.title, "海州");
    EXPECT_EQ(out.runnersUp, QStringList({"章程", "学生", "第一"}));

    // Nor is the file's own name offered: renaming to it would change nothing.
    settings.globalMaxword = 25;
    out = Outcome(settings, "titles/issuing_body.doc", "章程.DOC");
    EXPECT_EQ(out.runnersUp, QStringList({"海州大学", "学生摄影协会", "第一章总则"}));
}

TEST(RunnersUp, OnlyWhatTheRenameWouldTake) {
    REQUIRE_FIXTURE("titles/column_headers.doc");
    GlobalSettings settings = Settings(TitleMode::TitleModeAuto);
    // No title found; "舒昌善 |" keeps its bar, which no file name may hold.
    TitleOutcome out = Outcome(settings, "titles/column_headers.doc");
    EXPECT_TRUE(out.fails);
    EXPECT_EQ(out.title, QString());
    EXPECT_TRUE(out.runnersUp.contains("人类的群星闪耀时"));
    EXPECT_TRUE(out.runnersUp.contains("看不见的城市"));
    for (const QString& t : out.runnersUp) EXPECT_FALSE(t.contains('|'));

    settings.globalReplaceIllegal = true;
    out = Outcome(settings, "titles/column_headers.doc");
    EXPECT_TRUE(out.runnersUp.contains("舒昌善｜"));
    EXPECT_LE(out.runnersUp.size(), kMaxRunnersUp);
}

TEST(RunnersUp, NoneInTheOtherModesOrForAnUnreadableFile) {
    REQUIRE_FIXTURE("titles/issuing_body.doc");
    for (TitleMode mode : {TitleMode::TitleModeFirstParagraph, TitleMode::TitleModeHeader,
                           TitleMode::TitleModeFooter, TitleMode::TitleModeCustom}) {
        EXPECT_TRUE(Outcome(Settings(mode), "titles/issuing_body.doc").runnersUp.isEmpty())
            << int(mode);
    }
    const TitleOutcome missing = Outcome(Settings(TitleMode::TitleModeAuto), "titles/none.doc");
    EXPECT_FALSE(missing.failure.isEmpty());
    EXPECT_TRUE(missing.runnersUp.isEmpty());
}

// A batch list over a bare model, as the commands see it without a window.
class RowChoices : public ::testing::Test {
  protected:
    void SetUp() override { model.setColumnCount(6); }

    void Fill(int n, const QString& folder = QStringLiteral("/docs")) {
        std::vector<FoundFile> files;
        for (int i = 1; i <= n; ++i) files.push_back({folder, QStringLiteral("f%1.doc").arg(i)});
        list.replace(files);
    }
    static QStringList Choices(int row) { return {QStringLiteral("a%1").arg(row), "b"}; }

    GridModel model;
    GridCells cells{model};
    int32_t count = 0;
    BatchList list{cells, count};
};

TEST_F(RowChoices, FollowTheirRowsThroughRemovalsOfEveryShape) {
    constexpr int n = 600;
    Fill(n);
    // Every third row has choices; rows out of range and the header take none.
    std::vector<int> names;  // the original row number of each row left
    for (int r = 1; r <= n; ++r) {
        if (r % 3 == 0) list.setTitleChoices(r, Choices(r));
        names.push_back(r);
    }
    cells.SetCellChoices(0, ColTitle, {"header"});
    cells.SetCellChoices(n + 1, ColTitle, {"past"});
    EXPECT_TRUE(cells.GetCellChoices(0, ColTitle).isEmpty());
    EXPECT_TRUE(list.titleChoices(1).isEmpty());
    EXPECT_EQ(model.index(2, ColTitle).data(GridModel::ChoicesRole).toStringList(), Choices(3));

    const auto expectRows = [&] {
        ASSERT_EQ(list.count(), int(names.size()));
        for (int r = 1; r <= list.count(); ++r) {
            const int was = names[size_t(r - 1)];
            ASSERT_EQ(list.fileName(r), QStringLiteral("f%1.doc").arg(was));
            ASSERT_EQ(list.titleChoices(r), was % 3 == 0 ? Choices(was) : QStringList()) << was;
        }
    };
    // A few stretches, removed one by one.
    list.removeRow(1);
    names.erase(names.begin());
    list.removeRows({2, 3, 4, 10});
    for (int r : {10, 4, 3, 2}) names.erase(names.begin() + (r - 1));
    expectRows();
    // Many stretches, kept in one pass.
    std::vector<int> odd;
    for (int r = 1; r <= list.count(); r += 2) odd.push_back(r);
    list.removeRows(odd);
    for (auto r = odd.rbegin(); r != odd.rend(); ++r) names.erase(names.begin() + (*r - 1));
    expectRows();

    // A new gathering starts without any.
    Fill(3);
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(list.titleChoices(r).isEmpty()) << r;
}

TEST_F(RowChoices, ExtractionWritesThemAndAnotherModeClearsThem) {
    REQUIRE_FIXTURE("titles/issuing_body.doc");
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QStringList fixtures = {"titles/issuing_body.doc", "titles/column_headers.doc",
                                  "en_first.doc"};
    std::vector<FoundFile> files;
    for (const QString& f : fixtures) {
        const QString name = QFileInfo(f).fileName();
        ASSERT_TRUE(QFile::copy(TestData(f), dir.path() + "/" + name));
        files.push_back({dir.path(), name});
    }
    list.replace(files);
    test::FakeDialogs dialogs;
    NoProgress progress;

    GetTitleCommand(list, Settings(TitleMode::TitleModeAuto), dialogs, progress, 2);
    // The title comes first, so that another pick can be taken back.
    EXPECT_EQ(list.titleChoices(1), QStringList({"海州大学学生摄影协会章程", "章程", "海州大学",
                                                 "学生摄影协会", "第一章总则"}));
    // A failing title is no choice.
    const QStringList others = list.titleChoices(2);
    EXPECT_TRUE(others.contains("人类的群星闪耀时"));
    EXPECT_FALSE(others.contains(QString()));
    EXPECT_TRUE(list.titleChoices(3).isEmpty()) << "a title alone offers nothing";

    GetTitleCommand(list, Settings(TitleMode::TitleModeFirstParagraph), dialogs, progress, 2);
    for (int r = 1; r <= 3; ++r) EXPECT_TRUE(list.titleChoices(r).isEmpty()) << r;
}

}  // namespace
}  // namespace pelmora
