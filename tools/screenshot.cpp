// Saves pictures of the main window (also maximised), the options dialog, the
// about dialog and a Yes/No message box, so the layout can be looked at
// without a desktop (run it under xvfb-run).
//
//   pelmora-screenshot [output folder]   (default: screenshots)

#include <QApplication>
#include <QDir>
#include <QEventLoop>
#include <QLocale>
#include <QMessageBox>
#include <QPixmap>
#include <QScreen>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <cstdio>

#include "core/dialogs.h"
#include "gui/didagrid.h"
#include "gui/form1.h"
#include "gui/frmabout.h"
#include "gui/frmoptions.h"
#include "gui/messagebox.h"
#include "gui/program.h"

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

// Lets the event loop run for a while: layouts, background folder reads.
void Settle(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

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

    pelmora::InstallQtTranslations(QLocale::system());
    PrintingDialogs dialogs;
    pelmora::Form1Options options;
    options.settingsDir = settings.path();
    options.dialogs = &dialogs;
    pelmora::Form1 form(options);
    form.show();
    bool ok = Save(form, out + QStringLiteral("/main.png"));

    FillSampleRows(form);
    ok = Save(form, out + QStringLiteral("/main-rows.png")) && ok;

    // Maximised; a bare X server has no window manager to do it, so the
    // window takes the screen's free area itself then.
    form.showMaximized();
    Settle(300);
    if (const QScreen* screen = form.screen(); screen && form.size() == QSize(776, 442))
        form.setGeometry(screen->availableGeometry());
    Settle(300);
    ok = Save(form, out + QStringLiteral("/main-maximised.png")) && ok;
    form.showNormal();

    {
        // A saved folder deep down a folder of many, as users keep them.
        const QString deep = settings.path() + QStringLiteral("/公文/2024/办公室/收文/已办");
        QDir().mkpath(deep);
        for (int i = 0; i < 30; ++i)
            QDir().mkpath(settings.path() + QStringLiteral("/公文/2024/%1月").arg(i + 1));
        form.globalDefaultDir = deep;
        form.WriteSetting();
        pelmora::frmOptions optionsDialog(
            form, pelmora::SettingsStore(form.settingsPath(), form.dialogs()), form.programFolder(),
            &form);
        optionsDialog.show();
        Settle(4000);  // the folder list fills in the background, slower on a busy machine
        ok = Save(optionsDialog, out + QStringLiteral("/options.png")) && ok;
    }
    {
        pelmora::frmAbout about(&form, QStringLiteral("/home/user/.config/pelmora"));
        about.show();
        ok = Save(about, out + QStringLiteral("/about.png")) && ok;
    }
    {
        pelmora::MessageRequest ask;
        ask.text = QStringLiteral("改名后文件要放在原文件相同的目录中吗?") +
                   QStringLiteral("\r\n") + QStringLiteral("yes:是;no:选择新文件夹");
        ask.caption = QStringLiteral("改名确认");
        ask.buttons = pelmora::MsgButtons::YesNo;
        ask.icon = pelmora::MsgIcon::Question;
        QMessageBox box(&form);
        pelmora::PrepareMessageBox(box, ask);
        box.show();
        ok = Save(box, out + QStringLiteral("/yesno.png")) && ok;
    }
    return ok ? 0 : 1;
}
