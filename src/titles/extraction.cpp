#include "titles/extraction.h"

#include <QFile>
#include <QLabel>
#include <QProgressBar>

#include <cmath>
#include <memory>
#include <string>

#include "app/form1.h"
#include "grid/didagrid.h"
#include "platform/dialogs.h"
#include "platform/doc/objectmodel.h"
#include "platform/paths.h"
#include "rename/conflicts.h"

namespace pelmora {

namespace {

QString FromU16(const std::u16string& s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

// The raw text of the row's document by title mode; nothing for an unknown
// mode or a custom position outside the document. Throws WordError.
std::optional<QString> ReadRawTitle(const Form1& form, word::Document& doc) {
    switch (form.globalGetTitleMode) {
        case TitleModeFirstParagraph: return FromU16(doc.ParagraphText(1));
        case TitleModeHeader: return FromU16(doc.HeaderText(1, word::kPrimaryHeaderFooter));
        case TitleModeFooter: return FromU16(doc.FooterText(1, word::kPrimaryHeaderFooter));
        case TitleModeCustom: {
            // Paragraph globalStartpragraph, from character globalStartpos
            // (1 is the first), at most globalWordcount characters.
            const int paragraph = form.globalStartpragraph;
            const int start = form.globalStartpos;
            const int count = form.globalWordcount;
            if (paragraph < 1 || start < 1 || count < 0) return std::nullopt;
            const QString text = FromU16(doc.ParagraphText(paragraph));
            if (start > text.size()) return QString();
            return text.mid(start - 1, count);
        }
        default: return std::nullopt;
    }
}

void ShowProgress(Form1& form, int32_t i, int32_t n) {
    // Division first, in double: 29 of 100 reads 28%.
    const double percent = std::floor(static_cast<double>(i) / static_cast<double>(n) * 100.0);
    if (form.ProgressBar1) {
        form.ProgressBar1->setValue(i);
        form.ProgressBar1->repaint();
    }
    if (form.Label4) {
        form.Label4->setText(QString::number(static_cast<long long>(percent)) + QLatin1Char('%'));
        form.Label4->repaint();
    }
}

}  // namespace

void GetTitleCommand(Form1& form) {
    if (form.globalFilecount <= 0) {
        MessageRequest box;
        box.text = QStringLiteral("请先添加要修改的word文件呢.");
        box.caption = QStringLiteral("哎哟,出错了");
        box.icon = MsgIcon::Information;
        form.dialogs().message(box);
        return;
    }
    DiDaGrid& grid = *form.DiDaGrid1;
    const int32_t n = form.globalFilecount;
    if (form.ProgressBar1) form.ProgressBar1->setRange(0, n);

    // One application for the whole run; one document open at a time.
    std::unique_ptr<word::Application> app;
    try {
        app = std::make_unique<word::Application>();
    } catch (...) {
    }

    for (int32_t i = 1; i <= n; ++i) {
        QString title;
        const QString path = JoinPath(grid.GetCellText(i, ColPath), grid.GetCellText(i, ColFileName));
        std::unique_ptr<word::Document> doc;
        if (app) {
            try {
                doc = app->Open(QFile::encodeName(path).toStdString());
            } catch (...) {
            }
        }
        if (doc) {
            try {
                if (const std::optional<QString> raw = ReadRawTitle(form, *doc)) {
                    if (const std::optional<QString> formatted = form.FormatTitle(*raw)) title = *formatted;
                }
            } catch (...) {
            }
        }
        grid.SetCellText(i, ColTitle, title);

        // The name the file would get keeps its own Word extension.
        const QString fileName = grid.GetCellText(i, ColFileName);
        const bool fails = title.isEmpty() || form.isGoodFilename(title) == 0 ||
                           fileName.compare(RenamedFileName(fileName, title), Qt::CaseInsensitive) == 0;
        if (fails) {
            grid.SetCellColor(i, ColTitle, kColorRed);
            grid.SetCellText(i, ColResult, QStringLiteral("与文件名相同或空等非法字符"));
            grid.SetCellProperty(i, ColFlag, QStringLiteral("setcheck"), QStringLiteral("0"));
        } else {
            grid.SetCellText(i, ColResult, QStringLiteral("提取成功"));
            grid.SetCellProperty(i, ColFlag, QStringLiteral("setcheck"), QStringLiteral("1"));
        }

        ShowProgress(form, i, n);
        if (doc) {
            try {
                doc->Close(true);
            } catch (...) {
            }
        }
    }
    if (app) {
        try {
            app->Quit();
        } catch (...) {
        }
    }

    MessageRequest done;
    done.text = QStringLiteral("标题提取完成!");
    done.caption = QStringLiteral("提取标题");
    done.icon = MsgIcon::Information;
    form.dialogs().message(done);
}

}  // namespace pelmora
