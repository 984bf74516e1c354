#include "core/extraction/titleread.h"

#include <QFile>
#include <exception>
#include <optional>
#include <string>
#include <string_view>

#include "core/files/filenames.h"
#include "reader/document.h"
#include "reader/open.h"
#include "titles/orderedpool.h"
#include "titles/rawtitle.h"

namespace pelmora {

namespace {

struct ReasonText {
    const char* part;  // a piece of the reader's reason
    const char* text;  // what the row says
};

// Searched in order: the first piece found in the reason wins.
const ReasonText kReasons[] = {
    // Not the file's fault: the row gets no title and fails as an empty one.
    {"no such paragraph", ""},
    {"no paragraph ", ""},
    {"no such section", ""},
    {"no section ", ""},
    {"no such header or footer", ""},
    {"no header or footer ", ""},
    {"empty file", "空文件"},
    {"encrypted", "文档已加密"},
    {"obfuscated", "文档已加密"},
    {"damaged compound file", "复合文件已损坏"},
    {"Word 2.0 or older", "不支持的Word版本(Word 2.0或更早)"},
    {"unsupported Word version", "不支持的Word版本"},
    {"not a regular file", "不是普通文件"},
    {"No such file or directory", "找不到文件"},
    {"Permission denied", "拒绝访问"},
    {"cannot open file", "无法打开文件"},
    {"read error", "读取文件出错"},
    {"cannot read", "读取文件出错"},
    {"too large", "文件太大"},
    {"too many entries", "文件太大"},
    {"out of memory", "内存不足"},
    {"damaged", "文档已损坏"},
    {"nested too deeply", "文档已损坏"},
    {"declares a DTD", "文档已损坏"},
    {"missing", "文档已损坏"},
    {"not a", "不是Word文档"},
    {"WordPerfect", "不是Word文档"},
    {"no WordDocument stream", "不是Word文档"},
    {"no web page", "不是Word文档"},
};

}  // namespace

QString UnreadableText(std::string_view reason) {
    if (reason == word::kOldWpsReason) return QStringLiteral("WPS 旧版格式,无法读取");
    const QString prefix = QStringLiteral("无法读取:");
    for (const ReasonText& r : kReasons) {
        if (reason.find(r.part) == std::string_view::npos) continue;
        if (*r.text == '\0') return QString();
        return prefix + QString::fromUtf8(r.text);
    }
    // A reason without a text of its own is still better shown than hidden.
    return prefix + QString::fromUtf8(reason.data(), qsizetype(reason.size()));
}

TitleOutcome ReadTitleOutcome(word::Application& app, const GlobalSettings& settings,
                              const TitleJob& job) {
    TitleOutcome out;
    try {
        const std::unique_ptr<word::Document> doc =
            app.Open(QFile::encodeName(job.path).toStdString());
        try {
            const std::optional<TitleMode> mode = TitleModeFromNumber(settings.globalGetTitleMode);
            const std::optional<std::u16string> raw =
                mode ? ReadRawTitle(*mode, settings.globalStartpragraph, settings.globalStartpos,
                                    settings.globalWordcount, *doc, job.fileName.toStdU16String())
                     : std::nullopt;
            if (raw) {
                const QString text(reinterpret_cast<const QChar*>(raw->data()),
                                   static_cast<qsizetype>(raw->size()));
                if (const std::optional<QString> formatted =
                        FormatTitle(text, settings.globalMaxword, TitleRulesOf(settings)))
                    out.title = *formatted;
            }
        } catch (const std::exception& e) {
            // A damaged story is the file's fault; a paragraph it lacks is not.
            out.failure = UnreadableText(e.what());
        } catch (...) {
        }
        doc->Close(true);
    } catch (const std::exception& e) {
        out.failure = UnreadableText(e.what());
    } catch (...) {
        out.failure = UnreadableText("");
    }
    if (!out.failure.isEmpty()) out.title.clear();
    // The name the file would get keeps its own Word extension; the rename
    // refuses by that same name (CON.doc, .x.doc, control characters).
    const QString newName = RenamedFileName(job.fileName, out.title);
    out.fails = out.title.isEmpty() || IsGoodFilename(out.title) == 0 ||
                IsRefusedNewName(newName) ||
                job.fileName.compare(newName, Qt::CaseInsensitive) == 0;
    return out;
}

TitleReading::TitleReading(std::vector<TitleJob> jobs, const GlobalSettings& settings,
                           unsigned threads)
    : jobs_(std::move(jobs)), settings_(settings), outcomes_(jobs_.size()) {
    pool_ = std::make_unique<OrderedPool>(jobs_.size(), threads, [this](size_t i) {
        // Documents share nothing across threads; the application holds no state.
        word::Application app;
        outcomes_[i] = ReadTitleOutcome(app, settings_, jobs_[i]);
    });
}

TitleReading::~TitleReading() = default;

size_t TitleReading::waitReady(size_t have, std::chrono::milliseconds wait) {
    return pool_->waitReady(have, wait);
}

void TitleReading::stop() { pool_->stop(); }

bool TitleReading::finished() const { return pool_->finished(); }

}  // namespace pelmora
