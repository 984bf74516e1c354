#include "core/extraction/titleread.h"

#include <QFile>
#include <optional>
#include <string>

#include "core/files/filenames.h"
#include "reader/document.h"
#include "titles/orderedpool.h"
#include "titles/rawtitle.h"

namespace pelmora {

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
        } catch (...) {
        }
        doc->Close(true);
    } catch (...) {
        // Not opened, or not closed: the row simply gets no title.
    }
    // The name the file would get keeps its own Word extension.
    out.fails =
        out.title.isEmpty() || IsGoodFilename(out.title) == 0 ||
        job.fileName.compare(RenamedFileName(job.fileName, out.title), Qt::CaseInsensitive) == 0;
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
