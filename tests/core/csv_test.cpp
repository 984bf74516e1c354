// CSV fields and files as spreadsheet programs read them.

#include "core/batchlist/csv.h"

#include <gtest/gtest.h>

namespace pelmora {
namespace {

TEST(CsvField, QuotingAndFormulaGuard) {
    const std::pair<const char*, const char*> cases[] = {
        {"", ""},
        {"plain", "plain"},
        {"中文", "中文"},
        {"a,b", "\"a,b\""},
        {"a\"b", "\"a\"\"b\""},
        {"a\r\nb", "\"a\r\nb\""},
        {" lead", "\" lead\""},
        {"=1+1", "'=1+1"},
        {"+1", "'+1"},
        {"-1", "'-1"},
        {"@x", "'@x"},
        {"=a,b", "\"'=a,b\""},
        {"a=b", "a=b"},
    };
    for (const auto& [in, want] : cases)
        EXPECT_EQ(CsvField(QString::fromUtf8(in)), QByteArray(want)) << in;
}

TEST(CsvDocument, BomThenCrLfRecords) {
    EXPECT_EQ(CsvDocument({}), QByteArray("\xEF\xBB\xBF"));
    EXPECT_EQ(CsvDocument({{"a", "b,c"}, {"", "中"}}), QByteArray("\xEF\xBB\xBF"
                                                                  "a,\"b,c\"\r\n,中\r\n"));
}

}  // namespace
}  // namespace pelmora
