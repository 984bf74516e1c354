#pragma once
// The title of each listed document, read on worker threads and taken back
// in row order; no widget involved, so the window and the benchmarks share it.

#include <QString>
#include <chrono>
#include <memory>
#include <string_view>
#include <vector>

#include "core/settings/globalsettings.h"

namespace pelmora {

class OrderedPool;

namespace word {
class Application;
}

struct TitleJob {
    QString path;      // the document
    QString fileName;  // its name in the list
};

struct TitleOutcome {
    QString title;      // the formed title; empty when none could be read
    bool fails = true;  // empty, a name the rename refuses, or the file's own name
    // Why the document could not be read, as the row says it; empty when
    // it could (the usual failure text then).
    QString failure;
};

// The result text of a row whose document could not be read, from the
// reader's reason ("encrypted document" gives "无法读取:文档已加密"). One text
// per kind of failure, whichever format failed so. Empty for a reason that
// is no fault of the file (a paragraph, section or header it does not have):
// such a row just has no title.
QString UnreadableText(std::string_view reason);

// Reads one document's title by the settings' title mode, forms it and
// judges it as the extraction run does. Never throws: an unreadable file
// gives an empty, failing title and the reason.
TitleOutcome ReadTitleOutcome(word::Application& app, const GlobalSettings& settings,
                              const TitleJob& job);

// Reads the titles of `jobs` on `threads` workers. The outcomes of the first
// ready() jobs are final; a stop ends the run after the documents being read.
class TitleReading {
  public:
    TitleReading(std::vector<TitleJob> jobs, const GlobalSettings& settings, unsigned threads);
    ~TitleReading();

    // The count of jobs ready from the first on, after waiting at most
    // `wait` for it to pass `have`.
    size_t waitReady(size_t have, std::chrono::milliseconds wait);
    const TitleOutcome& outcome(size_t i) const { return outcomes_[i]; }
    void stop();
    bool finished() const;
    size_t count() const { return jobs_.size(); }

  private:
    const std::vector<TitleJob> jobs_;
    const GlobalSettings settings_;
    std::vector<TitleOutcome> outcomes_;
    std::unique_ptr<OrderedPool> pool_;
};

}  // namespace pelmora
