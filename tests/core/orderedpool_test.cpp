#include "titles/orderedpool.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <vector>

#include "core/extraction/titleread.h"
#include "core/settings/globalsettings.h"
#include "support/testutil.h"
#include "titles/rawtitle.h"

namespace pelmora {
namespace {

using namespace std::chrono_literals;

// Reads everything the pool gives back, as the window's loop does.
size_t DrainAll(OrderedPool& pool) {
    size_t have = 0;
    while (!pool.finished() || have < pool.waitReady(have, 0ms)) have = pool.waitReady(have, 5ms);
    return have;
}

TEST(OrderedPool, ResultsComeBackInItemOrderWithoutAGap) {
    constexpr size_t n = 300;
    std::vector<int> out(n, -1);
    // Uneven work, so that later items often end before earlier ones.
    OrderedPool pool(n, 4, [&](size_t i) {
        if (i % 7 == 0) std::this_thread::sleep_for(200us);
        out[i] = int(i) * 2;
    });
    size_t have = 0;
    while (have < n) {
        const size_t ready = pool.waitReady(have, 50ms);
        ASSERT_GE(ready, have);
        for (; have < ready; ++have) ASSERT_EQ(out[have], int(have) * 2) << have;
    }
    pool.join();
    EXPECT_TRUE(pool.finished());
    EXPECT_EQ(pool.threads(), 4u);
}

TEST(OrderedPool, StopEndsTheItemsBegunAndStartsNoOther) {
    constexpr size_t n = 10000;
    std::atomic<size_t> calls{0};
    std::vector<char> ran(n, 0);
    OrderedPool pool(n, 3, [&](size_t i) {
        ran[i] = 1;
        ++calls;
        std::this_thread::sleep_for(100us);
    });
    pool.waitReady(20, 1s);
    pool.stop();
    const size_t ready = DrainAll(pool);
    EXPECT_LT(ready, n);
    // What ran is exactly the gap-free prefix: no item is lost in between.
    EXPECT_EQ(calls.load(), ready);
    for (size_t i = 0; i < n; ++i) ASSERT_EQ(ran[i] != 0, i < ready) << i;
}

TEST(OrderedPool, EdgeCounts) {
    OrderedPool none(0, 4, [](size_t) { FAIL() << "no item to work on"; });
    EXPECT_EQ(none.waitReady(0, 1s), 0u);
    EXPECT_TRUE(none.finished());

    // More threads than items, and zero threads asked: one per item, at least one.
    std::atomic<int> sum{0};
    OrderedPool few(2, 16, [&](size_t i) { sum += int(i) + 1; });
    EXPECT_EQ(few.threads(), 2u);
    EXPECT_EQ(DrainAll(few), 2u);
    EXPECT_EQ(sum.load(), 3);
    OrderedPool zero(3, 0, [](size_t) {});
    EXPECT_EQ(zero.threads(), 1u);
    EXPECT_EQ(DrainAll(zero), 3u);
}

TEST(OrderedPool, AnItemThatThrowsStillCountsAsDone) {
    OrderedPool pool(5, 2, [](size_t i) {
        if (i == 2) throw std::runtime_error("bad item");
    });
    EXPECT_EQ(DrainAll(pool), 5u);
}

TEST(OrderedPool, SlowStorageGetsMoreReadersThanCores) {
    const unsigned local = ReadThreadCount(false);
    EXPECT_GE(local, 1u);
    EXPECT_GE(ReadThreadCount(true), 16u);
    EXPECT_GE(ReadThreadCount(true), local);
}

// The parallel reading gives each row what one reader alone gives it, in
// the same order, whatever the documents (good, missing, not a document).
TEST(TitleReading, ManyReadersGiveWhatOneGives) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<TitleJob> jobs;
    const char* fixtures[] = {"en_first.doc", "empty_first.doc", "docx.doc", "damaged.doc"};
    for (int i = 0; i < 60; ++i) {
        const QString name = QString("f%1.doc").arg(i);
        const QString source = test::TestData(fixtures[i % 4]);
        if (!QFile::exists(source)) GTEST_SKIP() << "test documents not available";
        if (i % 9 != 5) {
            ASSERT_TRUE(QFile::copy(source, dir.path() + "/" + name));
        }
        jobs.push_back({dir.path() + "/" + name, name});
    }
    GlobalSettings settings;
    settings.globalMaxword = 25;
    settings.globalGetTitleMode = int16_t(TitleMode::TitleModeFirstParagraph);
    settings.globalStartpragraph = 5;
    settings.globalStartpos = 1;
    settings.globalWordcount = 25;

    auto readAll = [&](unsigned threads) {
        TitleReading reading(jobs, settings, threads);
        size_t have = 0;
        while (have < reading.count()) have = reading.waitReady(have, 100ms);
        std::vector<std::pair<QString, bool>> out;
        for (size_t i = 0; i < reading.count(); ++i)
            out.emplace_back(reading.outcome(i).title, reading.outcome(i).fails);
        return out;
    };
    const auto one = readAll(1);
    EXPECT_EQ(readAll(4), one);
    EXPECT_TRUE(one[5].second) << "a missing file fails";
    EXPECT_TRUE(one[5].first.isEmpty());
    EXPECT_FALSE(one[0].second);
}

}  // namespace
}  // namespace pelmora
