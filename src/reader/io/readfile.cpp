#include "reader/io/readfile.h"

#include <fstream>

#include "reader/error.h"

namespace pelmora::word::fmt {

std::string ReadFileCapped(const std::string& path, std::size_t cap) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw WordError("cannot open file");
    std::string data;
    char buf[65536];
    while (in) {
        in.read(buf, sizeof buf);
        std::streamsize got = in.gcount();
        if (got <= 0) break;
        if (data.size() + static_cast<std::size_t>(got) > cap) throw WordError("file too large");
        data.append(buf, static_cast<std::size_t>(got));
    }
    if (in.bad()) throw WordError("cannot read file");
    return data;
}

}  // namespace pelmora::word::fmt
