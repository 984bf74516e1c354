// Saves pictures of the main window, the options dialog and the about dialog,
// so the layout can be looked at without a desktop (run it under xvfb-run).
//
//   pelmora-screenshot [output folder]   (default: screenshots)

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "core/dialogs.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "gui/frmabout.h"
#include "gui/frmoptions.h"

namespace {

// Never blocks: the first start's settings report and the like are printed.
class PrintingDialogs : public pelmora::Dialogs {
  public:
    int message(const pelmora::MessageRequest& r) override {
        std::fprintf(stderr, "message: %s\n", qPrintable(r.text));
        return r.buttons == pelmora::MsgButtons::YesNo ? pelmora::AnswerNo : pelmora::AnswerOk;
    }
    std::optional<QString> browseForFolder(const QString&) override { return std::nullopt; }
    QString openFiles(const QString&, const QString&) override { return QString(); }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override {
        return std::nullopt;
    }
    int exec(QDialog&) override { return 0; }
    pelmora::DefaultProgram defaultProgram(const QString&) override { return {}; }
    bool openDocument(const QString&) override { return false; }
};

bool Save(QWidget& widget, const QString& path) {
    QApplication::processEvents();
    const bool ok = widget.grab().save(path);
    std::fprintf(ok ? stdout : stderr, "%s %s\n", ok ? "saved" : "could not save",
                 qPrintable(path));
    return ok;
}

void FillSampleRows(pelmora::Form1& form) {
    pelmora::DiDaGrid& grid = *form.DiDaGrid1;
    const QString folder = QStringLiteral("/home/user/文档");
    const struct {
        const char* name;
        const char* title;
        const char* flag;
        const char* result;
        uint32_t color;
    } rows[] = {
        {"report-2024.doc", "第一章总则", "1", "提取成功", pelmora::kColorWhite},
        {"minutes.doc", "会议纪要", "1", "提取成功", pelmora::kColorWhite},
        {"draft.doc", "", "0", "与文件名相同或空等非法字符", pelmora::kColorRed},
    };
    grid.ClearRows();
    grid.SetRowCount(int(std::size(rows)) + 1);
    int r = 1;
    for (const auto& row : rows) {
        grid.SetCellText(r, 1, QString::fromUtf8(row.name));
        grid.SetCellText(r, 4, folder);
        grid.SetCellStyle(r, 3, 2);
        grid.SetCellText(r, 2, QString::fromUtf8(row.title));
        grid.SetCellProperty(r, 3, QStringLiteral("setcheck"), QString::fromLatin1(row.flag));
        grid.SetCellText(r, 5, QString::fromUtf8(row.result));
        grid.SetCellColor(r, 2, row.color);
        ++r;
    }
    form.globalFilecount = int(std::size(rows));
}

}  // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Pelmora"));
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("screenshots");
    if (!QDir().mkpath(out)) {
        std::fprintf(stderr, "cannot create %s\n", qPrintable(out));
        return 1;
    }
    QTemporaryDir settings;
    if (!settings.isValid()) return 1;

    PrintingDialogs dialogs;
    pelmora::Form1Options options;
    options.settingsDir = settings.path();
    options.dialogs = &dialogs;
    pelmora::Form1 form(options);
    form.show();
    bool ok = Save(form, out + QStringLiteral("/main.png"));

    FillSampleRows(form);
    ok = Save(form, out + QStringLiteral("/main-rows.png")) && ok;

    {
        pelmora::frmOptions optionsDialog(
            form, pelmora::SettingsStore(form.settingsPath(), form.dialogs()), form.programFolder(),
            &form);
        optionsDialog.show();
        ok = Save(optionsDialog, out + QStringLiteral("/options.png")) && ok;
    }
    {
        pelmora::frmAbout about(&form);
        about.show();
        ok = Save(about, out + QStringLiteral("/about.png")) && ok;
    }
    return ok ? 0 : 1;
}
