#include "platform/doc/formats.h"
#include "platform/doc/word.h"
namespace pelmora::word {
std::unique_ptr<DocumentImpl> OpenRtfDocument(const std::string&) { throw WordError("not implemented"); }
std::unique_ptr<DocumentImpl> OpenRtfBytes(std::string) { throw WordError("not implemented"); }
}
