#pragma once

namespace pelmora {

class BatchList;
class Dialogs;
class Progress;
struct GlobalSettings;

// "btnGetTitle": reads a title out of every listed document, on `threads`
// workers (0: as many as suit the first row's storage), writing the rows in
// order. A stop asked through progress ends the run after the documents
// being read; the rows not reached keep their state.
void GetTitleCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                     Progress& progress, unsigned threads = 0);

}  // namespace pelmora
