#pragma once
// Reads the folders of a FAT12/16/32 image as fusefat shows them, to tell the
// entries fusefat tore itself from files on the volume. Header only: Qt Core.
//
// fusefat erases a name's directory entries on FAT12/16 by one write at the
// place of the first: where the entries run on from the end of one cluster
// of a folder into the next, that next cluster is seldom the one after it on
// the disk, so the erasing lands in some other cluster and the entries at the
// start of the folder's next cluster stay. fusefat then shows them as a file
// named by their first 13, 26 or 39 characters (it asks for no first entry of
// a long name), or by the short name alone, pointing at clusters that are
// free or another file's by then.

#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <string>

namespace pelmora::test {

class FatImage {
  public:
    explicit FatImage(const QString& image) : file_(image) {
        if (!file_.open(QIODevice::ReadOnly)) return;
        const QByteArray b = at(0, 512);
        if (b.size() < 512) return;
        bps_ = u16(b, 11);
        spc_ = uint8_t(b[13]);
        const uint32_t reserved = u16(b, 14), fats = uint8_t(b[16]), rootEntries = u16(b, 17);
        const uint32_t total = u16(b, 19) ? u16(b, 19) : u32(b, 32);
        const uint32_t fatSize = u16(b, 22) ? u16(b, 22) : u32(b, 36);
        if (bps_ == 0 || spc_ == 0) return;
        const uint32_t rootSectors = (rootEntries * 32 + bps_ - 1) / bps_;
        const uint32_t firstData = reserved + fats * fatSize + rootSectors;
        if (total <= firstData) return;
        clusters_ = (total - firstData) / spc_;
        fat32_ = clusters_ >= 65525;
        if (clusters_ < 4085) return;  // FAT12: not read here
        fatAt_ = qint64(reserved) * bps_;
        rootAt_ = qint64(reserved + fats * fatSize) * bps_;
        rootBytes_ = rootEntries * 32;
        dataAt_ = qint64(firstData) * bps_;
        rootCluster_ = fat32_ ? u32(b, 44) : 0;
        ok_ = true;
    }

    bool ok() const { return ok_; }
    int entriesPerCluster() const { return int(bpc() / 32); }

    // Whether the entry at path (relative to the volume, "/"-separated) is one
    // whose first entries fusefat erased into another cluster: a name shown
    // from entries that start a later cluster of the folder, short of the
    // first entry of a long name. (The erased ones before it are free for
    // the next name to take, so they tell nothing.)
    bool torn(const QString& path) {
        if (!ok_) return false;
        const QStringList parts = path.split(QLatin1Char('/'), Qt::SkipEmptyParts);
        if (parts.isEmpty()) return false;
        uint32_t cluster = rootCluster_;  // 0: the root folder of FAT16
        for (qsizetype i = 0; i < parts.size(); ++i) {
            const QByteArray entries = folder(cluster);
            const qsizetype perCluster = cluster == 0 ? entries.size() / 32 : bpc() / 32;
            const std::optional<Shown> shown = find(entries, parts[i]);
            if (!shown) return false;
            if (i + 1 < parts.size()) {
                cluster = shown->cluster;
                continue;
            }
            return !shown->whole && shown->first > 0 && shown->first % perCluster == 0;
        }
        return false;
    }

  private:
    struct Shown {
        QString name;
        int first = 0;  // its first entry, counted from the folder's start
        bool whole = false;
        uint8_t checksum = 0;
        uint32_t cluster = 0;
    };

    static uint32_t u16(const QByteArray& b, int at) {
        return uint8_t(b[at]) | uint32_t(uint8_t(b[at + 1])) << 8;
    }
    static uint32_t u32(const QByteArray& b, int at) { return u16(b, at) | u16(b, at + 2) << 16; }
    qint64 bpc() const { return qint64(bps_) * spc_; }
    QByteArray at(qint64 offset, qint64 n) {
        if (!file_.seek(offset)) return {};
        return file_.read(n);
    }
    uint32_t next(uint32_t cluster) {
        const QByteArray e = at(fatAt_ + qint64(cluster) * (fat32_ ? 4 : 2), fat32_ ? 4 : 2);
        if (e.size() < (fat32_ ? 4 : 2)) return 0;
        return fat32_ ? u32(e, 0) & 0x0FFFFFFF : u16(e, 0);
    }
    // A folder's entries, its clusters one after another.
    QByteArray folder(uint32_t cluster) {
        if (cluster == 0) return at(rootAt_, rootBytes_);
        QByteArray all;
        const uint32_t end = fat32_ ? 0x0FFFFFF8 : 0xFFF8;
        for (uint32_t n = 0; cluster >= 2 && cluster < end && n <= clusters_; ++n) {
            all += at(dataAt_ + qint64(cluster - 2) * bpc(), bpc());
            cluster = next(cluster);
        }
        return all;
    }
    static uint8_t Checksum(const char* name) {
        uint8_t sum = 0;
        for (int i = 0; i < 11; ++i)
            sum = uint8_t(((sum & 1) << 7) + (sum >> 1) + uint8_t(name[i]));
        return sum;
    }
    static char16_t Char(const char* e, int i) {
        static const int offsets[13] = {1, 3, 5, 7, 9, 14, 16, 18, 20, 22, 24, 28, 30};
        const char* p = e + offsets[i];
        return char16_t(uint8_t(p[0]) | uint8_t(p[1]) << 8);
    }
    // The entry fusefat shows as name (it compares without case), read as it
    // reads them: free entries skipped, a run of long-name entries up to a
    // short one taken for a name, the length told by the run's first entry.
    std::optional<Shown> find(const QByteArray& entries, const QString& name) const {
        const int n = int(entries.size() / 32);
        for (int i = 0; i < n;) {
            const char* e = entries.constData() + i * 32;
            if (uint8_t(e[0]) == 0) break;
            if (uint8_t(e[0]) == 0xE5) {
                ++i;
                continue;
            }
            const int first = i;
            while (i < n && uint8_t(entries[i * 32 + 11]) == 0x0F &&
                   uint8_t(entries[i * 32]) != 0 && uint8_t(entries[i * 32]) != 0xE5)
                ++i;
            if (i >= n || uint8_t(entries[i * 32]) == 0 || uint8_t(entries[i * 32]) == 0xE5) break;
            const char* sfn = entries.constData() + i * 32;
            const int k = i - first;
            ++i;
            Shown s;
            s.first = first;
            s.checksum = Checksum(sfn);
            s.cluster = u16(QByteArray::fromRawData(sfn, 32), 26) |
                        (fat32_ ? u16(QByteArray::fromRawData(sfn, 32), 20) << 16 : 0);
            if (k == 0) {
                for (int c = 0; c < 8; ++c)
                    if (sfn[c] != ' ') s.name += QLatin1Char(sfn[c]);
                if (sfn[8] != ' ') {
                    s.name += QLatin1Char('.');
                    for (int c = 8; c < 11; ++c)
                        if (sfn[c] != ' ') s.name += QLatin1Char(sfn[c]);
                }
                s.whole = s.name == QLatin1String(".") || s.name == QLatin1String("..");
            } else {
                const char* head = entries.constData() + first * 32;
                int length = k * 13;
                for (int c = 0; c < 13; ++c)
                    if (Char(head, c) == 0) {
                        length = (k - 1) * 13 + c;
                        break;
                    }
                std::u16string chars;
                for (int c = 0; c < length; ++c)
                    chars += Char(entries.constData() + (first + (k - 1) - c / 13) * 32, c % 13);
                s.name = QString::fromStdU16String(chars);
                s.whole = uint8_t(head[0]) == (0x40 | k);
                for (int j = 0; j < k; ++j) {
                    const char* l = entries.constData() + (first + j) * 32;
                    s.whole = s.whole && (j == 0 || uint8_t(l[0]) == k - j) &&
                              uint8_t(l[13]) == s.checksum;
                }
            }
            if (s.name.compare(name, Qt::CaseInsensitive) == 0) return s;
        }
        return std::nullopt;
    }

    QFile file_;
    bool ok_ = false, fat32_ = false;
    uint32_t bps_ = 0, spc_ = 0, clusters_ = 0, rootCluster_ = 0, rootBytes_ = 0;
    qint64 fatAt_ = 0, rootAt_ = 0, dataAt_ = 0;
};

}  // namespace pelmora::test
