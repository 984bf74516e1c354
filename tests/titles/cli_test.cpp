// pelmora-titles run as a separate program on the test documents: output
// lines, escaping, error lines and exit codes.

#include <fcntl.h>
#include <gtest/gtest.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

extern char** environ;

namespace fs = std::filesystem;

namespace {

struct Result {
    int status = -1;  // exit code, or -1 when the program did not exit normally
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), {});
}

Result RunTitles(const std::vector<std::string>& args) {
    fs::path dir = fs::temp_directory_path();
    std::string tag = std::to_string(::getpid());
    fs::path out = dir / ("pelmora_cli_out_" + tag), err = dir / ("pelmora_cli_err_" + tag);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);

    std::vector<std::string> all{PELMORA_TITLES_EXE};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all) argv.push_back(a.data());
    argv.push_back(nullptr);

    Result r;
    pid_t pid = 0;
    int rc = posix_spawn(&pid, PELMORA_TITLES_EXE, &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ADD_FAILURE() << "cannot start " << PELMORA_TITLES_EXE;
        return r;
    }
    int wstatus = 0;
    waitpid(pid, &wstatus, 0);
    r.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
    r.out = Slurp(out);
    r.err = Slurp(err);
    fs::remove(out);
    fs::remove(err);
    return r;
}

std::string Doc(const std::string& name) { return std::string(PELMORA_TEST_DATA) + "/" + name; }

// One output line: the path, a tab, the text.
std::string Line(const std::string& name, const std::string& text) {
    return Doc(name) + "\t" + text + "\n";
}

struct Case {
    const char* name;
    std::vector<std::string> options;
    const char* file;
    const char* text;  // UTF-8 as printed
};

void PrintTo(const Case& c, std::ostream* os) { *os << c.name; }

class OneFile : public ::testing::TestWithParam<Case> {};

TEST_P(OneFile, PrintsPathTabAndText) {
    const Case& c = GetParam();
    std::vector<std::string> args = c.options;
    args.push_back(Doc(c.file));
    Result r = RunTitles(args);
    EXPECT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, Line(c.file, c.text));
    EXPECT_EQ(r.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Cli, OneFile,
    ::testing::Values(
        Case{"ChineseTitle", {}, "zh_first.doc", "第一章总则"},
        Case{"BlanksGo", {}, "en_first.doc", "AnnualReport2026"},
        Case{"CutAt25", {}, "long_first.doc", "Thequickbrownfoxjumpsover"},
        Case{"Maxword", {"--maxword", "4"}, "zh_first.doc", "第一章总"},
        Case{"MaxwordEquals", {"--maxword=3"}, "en_first.doc", "Ann"},
        Case{"MaxwordZero", {"--maxword", "0"}, "zh_first.doc", ""},
        Case{"Header", {"--mode", "1"}, "zh_first.doc", "页眉标题"},
        Case{"Footer", {"--mode", "2"}, "zh_first.doc", "页脚内容"},
        Case{"Paragraph5", {"--mode", "3"}, "zh_first.doc", "第二章附则（第五段）"},
        Case{"NoHeaderIsEmpty", {"--mode", "1"}, "en_first.doc", ""},
        Case{"FieldResults", {"--maxword", "40"}, "fields.doc", "Reportonlinedated12/8/26page1"},
        Case{"KeepBlanks", {"--keep-blanks"}, "en_first.doc", "Annual Report 2026"},
        Case{"ReplaceIllegal",
             {"--maxword", "40", "--replace-illegal", "--keep-blanks"},
             "fields.doc",
             "Report online dated 12／8／26 page 1"},
        Case{"TitleEscapesControls", {"--mode=2"}, "line_break.doc", "Left\\tRightC:\\\\dir"},
        Case{"TitleKeepsCellMark", {}, "table_first.doc", "单元格甲\\a"},
        Case{"RawParagraph", {"--raw"}, "line_break.doc", "First line\\vsecond line\\r"},
        Case{"RawHeader",
             {"--raw", "--mode", "1"},
             "line_break.doc",
             "Header line one\\rHeader line two\\r"},
        Case{"RawFooter", {"--mode", "2", "--raw"}, "line_break.doc", "Left\\tRight C:\\\\dir\\r"},
        Case{"RawCell", {"--raw"}, "table_first.doc", "单元格甲\\r\\a"},
        Case{"RawSectionBreak", {"--raw"}, "two_sections.doc", "Section one\\x0C"},
        Case{"RawBlanksKept", {"--raw"}, "en_first.doc", "  Annual Report 2026  \\r"},
        Case{"RawMissingFooter", {"--raw", "--mode", "2"}, "short.doc", "\\r"},
        Case{"RawHexEscapes",
             {"--raw"},
             "specials.doc",
             "Tab\\there nbsp\u00A0x soft\\x1Fhyphen non\\x1Ebreaking\\r"},
        Case{"SurrogatePairs", {}, "astral.doc", "𠀀字😀smile"},
        Case{"CutKeepsWholePair", {"--maxword", "2"}, "astral.doc", "𠀀"},
        // A cut inside a pair drops the half: the title is empty.
        Case{"CutInsidePair", {"--maxword", "1"}, "astral.doc", ""},
        Case{"RawLoneSurrogate",
             {"--raw", "--mode", "1"},
             "lone_surrogate.doc",
             "\xEF\xBF\xBD lone\\r"},
        Case{"LoneSurrogate", {"--mode", "1"}, "lone_surrogate.doc", "\xEF\xBF\xBDlone"},
        Case{"RawNotCut", {"--raw", "--maxword", "1"}, "latin1.doc", "Café résumé naïve Ærø\\r"},
        // Mode 3 reads as the window does: its defaults are paragraph 5, from
        // character 1, at most 25 characters, before the title is formed.
        Case{"CustomCutAtTheWindowsCount",
             {"--mode", "3", "--paragraph", "1", "--maxword", "40"},
             "long_first.doc",
             "Thequickbrownfoxjumps"},
        Case{"RawCustomDefaults",
             {"--raw", "--mode", "3", "--paragraph=1"},
             "long_first.doc",
             "The quick brown fox jumps"},
        Case{"CustomStartAndCount",
             {"--mode", "3", "--start", "5", "--count", "2", "--raw"},
             "zh_first.doc",
             "附则"},
        Case{"CustomCountCanReachTheMark",
             {"--raw", "--mode=3", "--start=13"},
             "zh_first.doc",
             "\\r"},
        Case{
            "CustomStartPastTheEnd", {"--raw", "--mode", "3", "--start", "14"}, "zh_first.doc", ""},
        Case{"CustomCountZero", {"--mode", "3", "--count", "0", "--raw"}, "zh_first.doc", ""},
        Case{"CustomStartZeroReadsNothing",
             {"--raw", "--mode", "3", "--start", "0"},
             "zh_first.doc",
             ""},
        Case{"CustomParagraphZeroReadsNothing",
             {"--raw", "--mode", "3", "--paragraph", "0"},
             "short.doc",
             ""},
        Case{"OtherModesIgnoreThePosition",
             {"--paragraph", "3", "--start", "2", "--count", "1"},
             "zh_first.doc",
             "第一章总则"}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(Cli, OneLinePerFileInOrderAndExit1WhenOneFails) {
    Result r = RunTitles({Doc("zh_first.doc"), Doc("empty.doc"), Doc("en_first.doc")});
    EXPECT_EQ(r.status, 1);
    std::string want_first = Line("zh_first.doc", "第一章总则");
    std::string err_prefix = Doc("empty.doc") + "\terror: ";
    std::string want_last = Line("en_first.doc", "AnnualReport2026");
    ASSERT_EQ(r.out.compare(0, want_first.size(), want_first), 0) << r.out;
    std::string rest = r.out.substr(want_first.size());
    ASSERT_EQ(rest.compare(0, err_prefix.size(), err_prefix), 0) << r.out;
    size_t eol = rest.find('\n');
    ASSERT_NE(eol, std::string::npos);
    EXPECT_GT(eol, err_prefix.size()) << "the error line gives no reason";
    EXPECT_EQ(rest.substr(eol + 1), want_last);
}

TEST(Cli, EveryUnreadableFileGetsAnErrorLine) {
    std::vector<std::string> files = {"no_such.doc", "text.doc", "random.doc", "truncated.doc",
                                      "encrypted.doc"};
    std::vector<std::string> args;
    for (auto& f : files) args.push_back(Doc(f));
    Result r = RunTitles(args);
    EXPECT_EQ(r.status, 1);
    size_t pos = 0;
    for (auto& f : files) {
        std::string prefix = Doc(f) + "\terror: ";
        ASSERT_EQ(r.out.compare(pos, prefix.size(), prefix), 0) << f << " in:\n" << r.out;
        size_t eol = r.out.find('\n', pos);
        ASSERT_NE(eol, std::string::npos);
        EXPECT_GT(eol - pos, prefix.size()) << f << ": no reason";
        pos = eol + 1;
    }
    EXPECT_EQ(pos, r.out.size());
}

TEST(Cli, AutomaticModeGivesTheWindowsTitle) {
    const std::string notice = std::string(PELMORA_TEST_DATA) + "/titles/notice_split.doc";
    Result r = RunTitles({"--mode", "4", notice});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, notice + "\t关于做好2024年度安全生产工作的通知\n");
    EXPECT_EQ(RunTitles({"--mode", "5", notice}).status, 2);
}

TEST(Cli, WpsFilesAreReadAndOldOnesSayWhy) {
    const std::string dir = std::string(PELMORA_TEST_DATA) + "/kinds/";
    Result r = RunTitles({dir + "notice.wps", dir + "old-dos.wps", dir + "old-2000.wps"});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out,
              dir + "notice.wps\t关于召开2024年度工作会议的通知\n" + dir +
                  "old-dos.wps\terror: old WPS document (before WPS 2005), not supported\n" + dir +
                  "old-2000.wps\terror: old WPS document (before WPS 2005), not supported\n");
}

// --explain: the path, then a line for each leading line read, the pick last.
TEST(Cli, ExplainTellsHowTheAutomaticModeDecides) {
    const std::string notice = std::string(PELMORA_TEST_DATA) + "/titles/letterhead_notice.doc";
    Result r = RunTitles({"--explain", notice, Doc("missing.doc")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind(notice + "\n", 0), 0u) << r.out;
    for (const char* part : {"skipped: letterhead", "skipped: document-number",
                             "pick (best score): \"关于印发《海州市城市排水管理办法》的通知\"",
                             "missing.doc\nerror: "})
        EXPECT_NE(r.out.find(part), std::string::npos) << part << "\n" << r.out;
}

TEST(Cli, OpenDocumentInEveryMode) {
    const std::string odt = std::string(PELMORA_TEST_DATA) + "/kinds/notice.odt";
    const std::pair<const char*, const char*> modes[] = {
        {"0", "关于召开2024年度工作会议的通知"},
        {"1", "海州市教育局"},
        {"2", "海州市教育局办公室2024年3月5日印发"},
        {"3", "二、会议地点：市教育局三楼会议室"},
        {"4", "关于召开2024年度工作会议的通知"}};
    for (const auto& [mode, title] : modes) {
        Result r = RunTitles({"--mode", mode, odt});
        EXPECT_EQ(r.status, 0) << mode;
        EXPECT_EQ(r.out, odt + "\t" + title + "\n") << mode;
    }
}

TEST(Cli, MissingParagraphFiveIsAnError) {
    Result r = RunTitles({"--mode", "3", Doc("short.doc")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind(Doc("short.doc") + "\terror: ", 0), 0u) << r.out;
}

TEST(Cli, CustomParagraphPastTheEndIsAnError) {
    Result r = RunTitles({"--mode", "3", "--paragraph", "99", Doc("zh_first.doc")});
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.out.rfind(Doc("zh_first.doc") + "\terror: ", 0), 0u) << r.out;
}

TEST(Cli, OptionsAfterFilesAndDoubleDash) {
    Result r = RunTitles({Doc("zh_first.doc"), "--mode", "1"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, Line("zh_first.doc", "页眉标题"));

    r = RunTitles({"--", "--mode"});
    EXPECT_EQ(r.status, 1) << "after -- every argument is a file";
    EXPECT_EQ(r.out.rfind("--mode\terror: ", 0), 0u) << r.out;
}

TEST(Cli, BadArgumentsExit2WithUsage) {
    const std::vector<std::vector<std::string>> bad = {
        {},
        {"--mode", "5", "x.doc"},
        {"--mode", "-1", "x.doc"},
        {"--mode", "x.doc"},
        {"--mode"},
        {"--maxword", "-1", "x.doc"},
        {"--maxword", "abc", "x.doc"},
        {"--maxword", "40000", "x.doc"},
        {"--maxword=", "x.doc"},
        {"--bogus", "x.doc"},
        {"--paragraph", "-1", "x.doc"},
        {"--start", "1x", "x.doc"},
        {"--count", "40000", "x.doc"},
        {"--count=", "x.doc"},
        {"--start"},
        {"--raw"},
        {"-j", "0", "x.doc"},
        {"-j257", "x.doc"},
        {"--jobs", "x.doc"},
        {"-j"},
    };
    for (const auto& args : bad) {
        std::string shown;
        for (auto& a : args) shown += "[" + a + "]";
        Result r = RunTitles(args);
        EXPECT_EQ(r.status, 2) << shown;
        EXPECT_EQ(r.out, "") << shown;
        EXPECT_NE(r.err.find("usage: pelmora-titles"), std::string::npos) << shown << r.err;
    }
}

TEST(Cli, ControlCharactersInAPathDoNotBreakTheLine) {
    fs::path dir = fs::temp_directory_path() / ("pelmora_cli_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    fs::path odd = dir / "two\nlines\t.doc";
    fs::copy_file(Doc("zh_first.doc"), odd, fs::copy_options::overwrite_existing);
    Result r = RunTitles({odd.string()});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, (dir / "two").string() + "\\x0Alines\\x09.doc\t第一章总则\n");
    fs::remove_all(dir);
}

TEST(Cli, HelpPrintsUsageAndExits0) {
    Result r = RunTitles({"--help"});
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out.rfind("usage: pelmora-titles", 0), 0u) << r.out;
    EXPECT_EQ(r.err, "");
}

TEST(Cli, ManyFilesOneRun) {
    std::vector<std::string> args;
    std::string want;
    for (int i = 0; i < 50; ++i) {
        const char* f = (i % 2) ? "zh_first.doc" : "en_first.doc";
        args.push_back(Doc(f));
        want += Line(f, (i % 2) ? "第一章总则" : "AnnualReport2026");
    }
    Result r = RunTitles(args);
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.out, want);
}

// Parallel reading prints what one reader prints, byte for byte, in the
// order given, failures and exit status included.
TEST(Cli, ParallelReadingKeepsTheOrderAndTheOutput) {
    std::vector<std::string> files;
    const char* mix[] = {"zh_first.doc", "empty.doc", "en_first.doc", "no_such.doc",
                         "random.doc",   "docx.doc",  "short.doc"};
    for (int i = 0; i < 70; ++i) files.push_back(Doc(mix[i % 7]));
    const Result one = RunTitles(files);
    EXPECT_EQ(one.status, 1);
    for (const char* jobs : {"-j4", "--jobs=2", "-j1"}) {
        std::vector<std::string> args{jobs};
        args.insert(args.end(), files.begin(), files.end());
        const Result many = RunTitles(args);
        EXPECT_EQ(many.status, one.status) << jobs;
        EXPECT_EQ(many.out, one.out) << jobs;
    }
    const Result good = RunTitles({"-j", "3", Doc("zh_first.doc"), Doc("en_first.doc")});
    EXPECT_EQ(good.status, 0);
    EXPECT_EQ(good.out,
              Line("zh_first.doc", "第一章总则") + Line("en_first.doc", "AnnualReport2026"));
}

}  // namespace
