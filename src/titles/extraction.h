#pragma once

namespace pelmora {

class BatchList;
class Dialogs;
class Progress;
struct GlobalSettings;

// "btnGetTitle": reads a title out of every listed document.
void GetTitleCommand(BatchList& list, const GlobalSettings& settings, Dialogs& dialogs,
                     Progress& progress);

}  // namespace pelmora
