#include "core/extraction/extraction.h"

#include <QFile>
#include <chrono>
#include <vector>

#include "core/batchlist/batchlist.h"
#include "core/dialogs.h"
#include "core/extraction/titleread.h"
#include "core/files/mounts.h"
#include "core/progress.h"
#include "core/settings/globalsettings.h"
#include "titles/orderedpool.h"

namespace pelmora {

namespace {

// How long the interface thread waits for the next row before it lets the
// window repaint and looks for a stop.
constexpr std::chrono::milliseconds kPoll{15};

void WriteRow(BatchList& list, int32_t row, const TitleOutcome& outcome) {
    list.setTitle(row, outcome.title);
    // The row's colours told of an earlier extraction or rename, whose
    // result this one replaces.
    list.setRowColor(row, kColorWhite);
    if (outcome.fails) {
        list.setTitleColor(row, kColorRed);
        list.setResult(row, outcome.failure.isEmpty() ? QStringLiteral("与文件名相同或空等非法字符")
                                                      : outcome.failure);
    } else {
        list.setResult(row, QStringLiteral("提取成功"));
    }
    list.setChecked(row, !outcome.fails);
}

}  // namespace

void GetTitleCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                     Progress& progress, unsigned threads) {
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

    std::vector<TitleJob> jobs;
    jobs.reserve(size_t(n));
    for (int32_t i = 1; i <= n; ++i) jobs.push_back({list.path(i), list.fileName(i)});
    if (threads == 0)
        threads = ReadThreadCount(IsSlowStorage(QFile::encodeName(list.folder(1)).toStdString()));

    TitleReading reading(std::move(jobs), settings, threads);
    size_t written = 0;
    bool stopped = false;
    for (;;) {
        // Asked before the first wait too, so that a stop takes effect at once.
        if (!stopped && progress.stopRequested()) {
            reading.stop();
            stopped = true;
        }
        // After a stop, the rows that were being read are written too, up
        // to the first one that was never begun.
        const bool last = stopped && reading.finished();
        const size_t ready =
            reading.waitReady(written, last ? std::chrono::milliseconds(0) : kPoll);
        for (; written < ready; ++written)
            WriteRow(list, int32_t(written + 1), reading.outcome(written));
        if (written == size_t(n) || last) break;
        progress.step(int(written), n);
    }
    progress.step(int(written), n);

    MessageRequest done;
    done.caption = QStringLiteral("提取标题");
    done.icon = MsgIcon::Information;
    if (written == size_t(n)) {
        done.text = QStringLiteral("标题提取完成!");
    } else {
        done.text = QStringLiteral("标题提取已停止:已提取") + QString::number(written) +
                    QStringLiteral("个文件,共") + QString::number(n) +
                    QStringLiteral("个,其余文件未处理。");
    }
    dialogs.message(done);
}

}  // namespace pelmora
