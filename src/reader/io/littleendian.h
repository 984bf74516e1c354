#pragma once
// Little-endian integers out of bytes already read and bounds-checked: the
// binary formats (compound files, Word documents, property sets) store them so.

#include <cstdint>

namespace pelmora::word {

inline uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

inline uint32_t Le32(const unsigned char* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

}  // namespace pelmora::word
