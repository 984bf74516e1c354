#pragma once
// "导出结果": the batch list as a CSV file.

#include <QStringList>
#include <vector>

#include "core/batchlist/csv.h"

namespace pelmora {

class BatchList;
class Dialogs;

// The header and the document rows: file name, title, flag ("1"/"0"),
// folder, result.
std::vector<QStringList> ResultRecords(const BatchList& list);

// Asks for a path and writes the list there; reports a failure in a box.
void ExportResultsCommand(const BatchList& list, Dialogs& dialogs);

}  // namespace pelmora
