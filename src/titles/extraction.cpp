#include "titles/extraction.h"

#include <QFile>
#include <memory>
#include <string>

#include "batchlist/batchlist.h"
#include "platform/dialogs.h"
#include "platform/doc/objectmodel.h"
#include "platform/progress.h"
#include "settings/globalsettings.h"
#include "titles/filenames.h"

namespace pelmora {

namespace {

QString FromU16(const std::u16string& s) {
    return QString(reinterpret_cast<const QChar*>(s.data()), static_cast<qsizetype>(s.size()));
}

// The raw text of the row's document by title mode; nothing for an unknown
// mode or a custom position outside the document. Throws WordError.
std::optional<QString> ReadRawTitle(const GlobalSettings& form, word::Document& doc) {
    switch (form.globalGetTitleMode) {
        case TitleModeFirstParagraph:
            return FromU16(doc.ParagraphText(1));
        case TitleModeHeader:
            return FromU16(doc.HeaderText(1, word::kPrimaryHeaderFooter));
        case TitleModeFooter:
            return FromU16(doc.FooterText(1, word::kPrimaryHeaderFooter));
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
        default:
            return std::nullopt;
    }
}

}  // namespace

void GetTitleCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                     Progress& progress) {
    if (list.count() <= 0) {
        MessageRequest box;
        box.text = QStringLiteral("请先添加要修改的word文件呢.");
        box.caption = QStringLiteral("哎哟,出错了");
        box.icon = MsgIcon::Information;
        dialogs.message(box);
        return;
    }
    const int32_t n = list.count();
    progress.start(n);

    // One application for the whole run; one document open at a time.
    std::unique_ptr<word::Application> app;
    try {
        app = std::make_unique<word::Application>();
    } catch (...) {
    }

    for (int32_t i = 1; i <= n; ++i) {
        QString title;
        const QString path = list.path(i);
        std::unique_ptr<word::Document> doc;
        if (app) {
            try {
                doc = app->Open(QFile::encodeName(path).toStdString());
            } catch (...) {
            }
        }
        if (doc) {
            try {
                if (const std::optional<QString> raw = ReadRawTitle(settings, *doc)) {
                    if (const std::optional<QString> formatted =
                            FormatTitle(*raw, settings.globalMaxword))
                        title = *formatted;
                }
            } catch (...) {
            }
        }
        list.setTitle(i, title);

        // The name the file would get keeps its own Word extension.
        const QString fileName = list.fileName(i);
        const bool fails =
            title.isEmpty() || IsGoodFilename(title) == 0 ||
            fileName.compare(RenamedFileName(fileName, title), Qt::CaseInsensitive) == 0;
        if (fails) {
            list.setTitleColor(i, kColorRed);
            list.setResult(i, QStringLiteral("与文件名相同或空等非法字符"));
        } else {
            list.setResult(i, QStringLiteral("提取成功"));
        }
        list.setChecked(i, !fails);

        progress.step(i, n);
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
    dialogs.message(done);
}

}  // namespace pelmora
