#pragma once
// The title of each listed document, read on worker threads and taken back
// in row order; no widget involved, so the window and the benchmarks share it.

#include <QString>
#include <chrono>
#include <memory>
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
    bool fails = true;  // empty, not a good file name, or the file's own name
    // The row's outcome text when the document could not be read for a
    // reason the user can act on; empty for the usual failure text.
    QString failure;
};

// Reads one document's title by the settings' title mode, forms it and
// judges it as the extraction run does. Never throws: an unreadable file
// gives an empty, failing title.
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
