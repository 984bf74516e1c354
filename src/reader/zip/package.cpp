// ZIP packages through libzip: parts streamed in bounded chunks, with caps on
// entries and part sizes, from a file, bytes or any byte source.

#include "reader/zip/package.h"

#include <zip.h>

#include <climits>
#include <mutex>

#include "reader/error.h"
#include "reader/limits.h"
#include "reader/xml/scan.h"

namespace pelmora::word {

namespace {

// libzip (1.7) writes its own globals while it opens an archive, so archives
// on several threads are opened one at a time; reading them needs no lock.
std::mutex& OpenMutex() {
    static std::mutex mu;
    return mu;
}

struct SourceState {
    std::unique_ptr<ByteSource> src;
    zip_uint64_t pos;
    zip_error_t error;
};

zip_int64_t SourceCallback(void* ud, void* data, zip_uint64_t len, zip_source_cmd_t cmd) {
    auto* s = static_cast<SourceState*>(ud);
    switch (cmd) {
        case ZIP_SOURCE_OPEN:
            s->pos = 0;
            return 0;
        case ZIP_SOURCE_READ:
            try {
                const size_t got = s->src->ReadAt(s->pos, data, static_cast<size_t>(len));
                s->pos += got;
                return static_cast<zip_int64_t>(got);
            } catch (const WordError&) {
                zip_error_set(&s->error, ZIP_ER_READ, 0);
                return -1;
            }
        case ZIP_SOURCE_CLOSE:
            return 0;
        case ZIP_SOURCE_STAT: {
            auto* st = static_cast<zip_stat_t*>(data);
            if (len < sizeof *st) return -1;
            zip_stat_init(st);
            st->size = s->src->Size();
            st->valid |= ZIP_STAT_SIZE;
            return sizeof *st;
        }
        case ZIP_SOURCE_ERROR:
            return zip_error_to_data(&s->error, data, len);
        case ZIP_SOURCE_FREE:
            zip_error_fini(&s->error);
            delete s;
            return 0;
        case ZIP_SOURCE_SEEK: {
            const zip_int64_t to =
                zip_source_seek_compute_offset(s->pos, s->src->Size(), data, len, &s->error);
            if (to < 0) return -1;
            s->pos = static_cast<zip_uint64_t>(to);
            return 0;
        }
        case ZIP_SOURCE_TELL:
            return static_cast<zip_int64_t>(s->pos);
        case ZIP_SOURCE_SUPPORTS:
            return zip_source_make_command_bitmap(
                ZIP_SOURCE_OPEN, ZIP_SOURCE_READ, ZIP_SOURCE_CLOSE, ZIP_SOURCE_STAT,
                ZIP_SOURCE_ERROR, ZIP_SOURCE_FREE, ZIP_SOURCE_SEEK, ZIP_SOURCE_TELL,
                ZIP_SOURCE_SUPPORTS, -1);
        default:
            zip_error_set(&s->error, ZIP_ER_OPNOTSUPP, 0);
            return -1;
    }
}

// The archive over a source, which it then owns; the source is freed when
// it holds none.
zip_t* OpenArchive(zip_source_t* src) {
    zip_error_t ze;
    zip_error_init(&ze);
    zip_t* z = nullptr;
    {
        std::lock_guard<std::mutex> lock(OpenMutex());
        z = zip_open_from_source(src, ZIP_RDONLY, &ze);
    }
    zip_error_fini(&ze);
    if (!z) {
        zip_source_free(src);
        throw WordError("not a ZIP package");
    }
    return z;
}

}  // namespace

std::unique_ptr<ZipPackage> ZipPackage::FromFile(const std::string& path) {
    int err = 0;
    zip_t* z = nullptr;
    {
        std::lock_guard<std::mutex> lock(OpenMutex());
        z = zip_open(path.c_str(), ZIP_RDONLY, &err);
    }
    if (!z)
        throw WordError(err == ZIP_ER_NOENT || err == ZIP_ER_OPEN ? "cannot open file"
                                                                  : "not a ZIP package");
    return std::unique_ptr<ZipPackage>(new ZipPackage(z, {}));
}

std::unique_ptr<ZipPackage> ZipPackage::FromBytes(std::string bytes) {
    auto holder = std::make_shared<std::string>(std::move(bytes));
    zip_error_t ze;
    zip_error_init(&ze);
    zip_source_t* src = zip_source_buffer_create(holder->data(), holder->size(), 0, &ze);
    zip_error_fini(&ze);
    if (!src) throw WordError("out of memory");
    return std::unique_ptr<ZipPackage>(new ZipPackage(OpenArchive(src), std::move(holder)));
}

std::unique_ptr<ZipPackage> ZipPackage::FromSource(std::unique_ptr<ByteSource> source) {
    zip_error_t ze;
    zip_error_init(&ze);
    auto* state = new SourceState{std::move(source), 0, {}};
    zip_error_init(&state->error);
    zip_source_t* src = zip_source_function_create(&SourceCallback, state, &ze);
    zip_error_fini(&ze);
    if (!src) {
        zip_error_fini(&state->error);
        delete state;
        throw WordError("out of memory");
    }
    return std::unique_ptr<ZipPackage>(new ZipPackage(OpenArchive(src), {}));
}

ZipPackage::~ZipPackage() { zip_discard(zip_); }

bool ZipPackage::Has(const std::string& name) const { return Locate(name) >= 0; }

// Streams a part in chunks; `sink` returns false to stop early. Returns
// false when the part does not exist.
bool ZipPackage::Read(const std::string& name,
                      const std::function<bool(const char*, std::size_t, bool)>& sink) const {
    zip_int64_t idx = Locate(name);
    if (idx < 0) return false;
    zip_stat_t st;
    zip_stat_init(&st);
    if (zip_stat_index(zip_, static_cast<zip_uint64_t>(idx), 0, &st) != 0)
        throw WordError("cannot read " + name);
    if ((st.valid & ZIP_STAT_SIZE) && st.size > kMaxPartBytes)
        throw WordError(name + " is too large");
    if ((st.valid & ZIP_STAT_ENCRYPTION_METHOD) && st.encryption_method != ZIP_EM_NONE)
        throw WordError("encrypted package");
    zip_file_t* f = zip_fopen_index(zip_, static_cast<zip_uint64_t>(idx), 0);
    if (!f) throw WordError("cannot read " + name);
    struct Closer {
        zip_file_t* f;
        ~Closer() { zip_fclose(f); }
    } closer{f};
    // Left unfilled: every document reads a few parts, each through it.
    constexpr std::size_t kChunk = 1 << 16;
    auto buf = std::make_unique_for_overwrite<char[]>(kChunk);
    std::size_t total = 0;
    while (true) {
        zip_int64_t got = zip_fread(f, buf.get(), kChunk);
        if (got < 0) throw WordError("damaged ZIP data in " + name);
        total += static_cast<std::size_t>(got);
        if (total > kMaxPartBytes) throw WordError(name + " is too large");
        bool last = got == 0;
        if (!sink(buf.get(), static_cast<std::size_t>(got), last) || last) return true;
    }
}

ZipPackage::ZipPackage(zip_t* z, std::shared_ptr<std::string> holder)
    : zip_(z), holder_(std::move(holder)) {
    zip_int64_t n = zip_get_num_entries(zip_, 0);
    if (n < 0 || n > kMaxZipEntries) {
        zip_discard(zip_);
        throw WordError("too many entries in ZIP package");
    }
}

long long ZipPackage::Locate(const std::string& name) const {
    // Part names compare without case (OPC); ZIP_FL_ENC_RAW keeps the bytes.
    return zip_name_locate(zip_, name.c_str(), ZIP_FL_NOCASE | ZIP_FL_ENC_RAW);
}

void ParsePart(const ZipPackage& pkg, const std::string& name, fmt::SaxHandler& handler,
               bool* found) {
    fmt::XmlStream xml(handler, name);
    bool ok = pkg.Read(
        name, [&](const char* d, std::size_t n, bool last) { return xml.Feed(d, n, last); });
    if (found) *found = ok;
}

bool ScanPart(const ZipPackage& pkg, const std::string& name, fmt::SaxHandler& handler) {
    fmt::MarkupScanner scanner(handler);
    auto result = fmt::MarkupScanner::Result::More;
    try {
        pkg.Read(name, [&](const char* d, std::size_t n, bool last) {
            result = scanner.Feed(std::string_view(d, n), last);
            return result == fmt::MarkupScanner::Result::More;
        });
    } catch (const WordError&) {
        return false;  // expat, read again, tells what the damage is
    }
    return result == fmt::MarkupScanner::Result::Done;
}

}  // namespace pelmora::word
