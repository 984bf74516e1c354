#pragma once
// Helpers shared by the format reader tests.

#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "reader/open.h"
#include "reader/text/utf8.h"

namespace pelmora::word::test {

inline std::string FormatFixture(const std::string& name) {
    return std::string(PELMORA_TEST_DATA) + "/formats/" + name;
}

// The format of a file as judged by its head; Empty when unreadable.
inline Format SniffFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::string head(kSniffBytes, '\0');
    in.read(head.data(), static_cast<std::streamsize>(head.size()));
    head.resize(static_cast<std::size_t>(in.gcount()));
    return Sniff(head);
}

// UTF-16 to UTF-8 with control characters spelled out, for readable failures.
inline std::string Show(const std::u16string& s) {
    std::string out;
    for (std::size_t i = 0; i < s.size(); ++i) {
        char32_t c = s[i];
        if (c >= 0xD800 && c < 0xDC00 && i + 1 < s.size())
            c = 0x10000 + ((c - 0xD800) << 10) + (s[++i] - 0xDC00);
        if (c < 0x20) {
            static const char* names[] = {"\\0",   "\\x01", "\\x02", "\\x03", "\\x04", "\\x05",
                                          "\\x06", "\\a",   "\\x08", "\\t",   "\\n",   "\\v",
                                          "\\f",   "\\r",   "\\x0E", "\\x0F"};
            out += c < 16 ? names[c] : "\\x" + std::to_string(static_cast<int>(c));
        } else {
            pelmora::word::fmt::AppendCodePointUtf8(out, c);
        }
    }
    return out;
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// A ZIP archive of stored (uncompressed) entries, for packages the tests
// shape by hand.
class StoredZip {
  public:
    void Add(const std::string& name, const std::string& data) {
        std::uint32_t crc = Crc32(data);
        std::uint32_t offset = static_cast<std::uint32_t>(body_.size());
        Header(body_, 0x04034b50, name, data.size(), crc, false, 0);
        body_ += data;
        Header(central_, 0x02014b50, name, data.size(), crc, true, offset);
        ++count_;
    }
    std::string Bytes() const {
        std::string out = body_ + central_;
        Put32(out, 0x06054b50);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, static_cast<std::uint16_t>(count_));
        Put16(out, static_cast<std::uint16_t>(count_));
        Put32(out, static_cast<std::uint32_t>(central_.size()));
        Put32(out, static_cast<std::uint32_t>(body_.size()));
        Put16(out, 0);
        return out;
    }

  private:
    static void Put16(std::string& s, std::uint16_t v) {
        s += static_cast<char>(v & 0xFF);
        s += static_cast<char>(v >> 8);
    }
    static void Put32(std::string& s, std::uint32_t v) {
        Put16(s, static_cast<std::uint16_t>(v & 0xFFFF));
        Put16(s, static_cast<std::uint16_t>(v >> 16));
    }
    static std::uint32_t Crc32(const std::string& d) {
        std::uint32_t c = 0xFFFFFFFFu;
        for (unsigned char b : d) {
            c ^= b;
            for (int k = 0; k < 8; ++k) c = (c >> 1) ^ (0xEDB88320u & (0u - (c & 1u)));
        }
        return ~c;
    }
    static void Header(std::string& s, std::uint32_t sig, const std::string& name, std::size_t size,
                       std::uint32_t crc, bool central, std::uint32_t offset) {
        Put32(s, sig);
        if (central) Put16(s, 20);
        Put16(s, 20);  // version needed
        Put16(s, 0);   // flags
        Put16(s, 0);   // stored
        Put16(s, 0);
        Put16(s, 0x21);  // time, date
        Put32(s, crc);
        Put32(s, static_cast<std::uint32_t>(size));
        Put32(s, static_cast<std::uint32_t>(size));
        Put16(s, static_cast<std::uint16_t>(name.size()));
        Put16(s, 0);
        if (central) {
            Put16(s, 0);
            Put16(s, 0);
            Put16(s, 0);
            Put32(s, 0);
            Put32(s, offset);
        }
        s += name;
    }

    std::string body_, central_;
    std::size_t count_ = 0;
};

}  // namespace pelmora::word::test
