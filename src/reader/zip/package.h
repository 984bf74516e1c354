#pragma once
// ZIP packages, shared by the Office Open XML and OpenDocument readers:
// parts streamed through libzip in chunks, never more than kMaxPartBytes of
// one part nor kMaxZipEntries entries.

#include <cstddef>
#include <functional>
#include <memory>
#include <string>

#include "reader/io/bytesource.h"
#include "reader/xml/sax.h"

struct zip;  // libzip's zip_t

namespace pelmora::word {

class ZipPackage {
  public:
    // Throw WordError when the bytes are no ZIP archive.
    static std::unique_ptr<ZipPackage> FromFile(const std::string& path);
    static std::unique_ptr<ZipPackage> FromBytes(std::string bytes);
    // Reads through the source as libzip asks; the archive owns it.
    static std::unique_ptr<ZipPackage> FromSource(std::unique_ptr<ByteSource> source);
    ~ZipPackage();
    ZipPackage(const ZipPackage&) = delete;
    ZipPackage& operator=(const ZipPackage&) = delete;

    // Part names compare without regard to case.
    bool Has(const std::string& name) const;
    // Streams a part in chunks; `sink` returns false to stop early. Returns
    // false when the part does not exist. Throws WordError for a part too
    // large, encrypted or damaged.
    bool Read(const std::string& name,
              const std::function<bool(const char*, std::size_t, bool)>& sink) const;

  private:
    ZipPackage(::zip* z, std::shared_ptr<std::string> holder);
    long long Locate(const std::string& name) const;

    ::zip* zip_;
    std::shared_ptr<std::string> holder_;
};

// Streams a part through expat into the handler; *found (when given) tells
// whether the part exists.
void ParsePart(const ZipPackage& pkg, const std::string& name, fmt::SaxHandler& handler,
               bool* found = nullptr);

// The same through the fast scanner (xml/scan.h): false where it gave up,
// the part is missing or damaged, or the handler reported damage; the
// handler's events are then to be thrown away and the part parsed anew.
bool ScanPart(const ZipPackage& pkg, const std::string& name, fmt::SaxHandler& handler);

}  // namespace pelmora::word
