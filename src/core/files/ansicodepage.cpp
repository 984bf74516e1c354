#include "core/files/ansicodepage.h"

#include <iconv.h>

#include <array>
#include <bitset>
#include <cstdint>

namespace pelmora {

namespace {

// One bit per UTF-16 unit, filled once from the C library's CP936 table, so
// a name is judged with one lookup per character.
using Table = std::bitset<0x10000>;

Table BuildTable() {
    Table table;
    iconv_t cd = iconv_open("CP936", "UTF-16LE");
    if (cd == reinterpret_cast<iconv_t>(-1)) return table;  // no table: nothing counts
    for (uint32_t u = 0x80; u < 0x10000; ++u) {
        if (u >= 0xD800 && u <= 0xDFFF) continue;  // a lone surrogate converts to "?"
        char in[2] = {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
        char out[8];
        char* ip = in;
        char* op = out;
        size_t inLeft = sizeof in;
        size_t outLeft = sizeof out;
        iconv(cd, nullptr, nullptr, nullptr, nullptr);
        if (iconv(cd, &ip, &inLeft, &op, &outLeft) != static_cast<size_t>(-1) &&
            sizeof out - outLeft == 2)
            table.set(u);
    }
    iconv_close(cd);
    return table;
}

const Table& DoubleByteTable() {
    static const Table table = BuildTable();
    return table;
}

}  // namespace

bool IsDoubleByteInAnsiCodePage(char16_t unit) { return DoubleByteTable().test(unit); }

bool HasDoubleByteInAnsiCodePage(const QString& text) {
    const Table& table = DoubleByteTable();
    for (QChar c : text)
        if (table.test(c.unicode())) return true;
    return false;
}

}  // namespace pelmora
