#include "reader/binary/fields.h"

#include <string_view>

#include "reader/marks.h"

namespace pelmora::word {

namespace {

// The code names the field kind `word` (any letter case), followed by a
// blank or nothing.
bool StartsWithWord(std::u16string_view s, std::u16string_view word) {
    if (s.size() < word.size()) return false;
    for (size_t i = 0; i < word.size(); ++i) {
        char16_t c = s[i];
        if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - 32);
        if (c != word[i]) return false;
    }
    return s.size() == word.size() || s[word.size()] == u' ';
}

// MACROBUTTON and GOTOBUTTON have no result: Word shows the text that follows
// the macro (or bookmark) name in the code.
std::u16string_view ButtonText(std::u16string_view code) {
    auto skip = [&](size_t i) {
        while (i < code.size() && code[i] == u' ') ++i;
        return i;
    };
    size_t i = skip(0);
    std::u16string_view rest = code.substr(i);
    if (!StartsWithWord(rest, u"MACROBUTTON") && !StartsWithWord(rest, u"GOTOBUTTON")) return {};
    i += rest.find(u' ') == std::u16string_view::npos ? rest.size() : rest.find(u' ');
    i = skip(i);
    while (i < code.size() && code[i] != u' ') ++i;
    i = skip(i);
    size_t e = code.size();
    while (e > i && code[e - 1] == u' ') --e;
    return code.substr(i, e - i);
}

void Append(std::u16string* out, char16_t c) {
    if (out && out->size() < kMaxText) out->push_back(c);
}

}  // namespace

void FieldFilter::Reset() {
    depth_ = 0;
    hidden_ = 0;
    codeDepth_ = 0;
    code_.clear();
}

void FieldFilter::Feed(char16_t c, std::u16string* out) {
    switch (c) {
        case kFieldBegin:
            if (depth_ >= kMaxOpenFields) return;  // absurd nesting: the rest stays hidden
            if (depth_ < kMaxFieldDepth) inResult_[depth_] = false;
            ++depth_;
            if (++hidden_ == 1) {
                codeDepth_ = depth_;
                code_.clear();
            }
            return;
        case kFieldSeparator:
            if (depth_ > 0 && depth_ <= kMaxFieldDepth && !inResult_[depth_ - 1]) {
                inResult_[depth_ - 1] = true;
                --hidden_;
            }
            return;
        case kFieldEnd: {
            if (depth_ == 0) return;  // stray end mark: shown by nobody
            bool inCode = depth_ > kMaxFieldDepth || !inResult_[depth_ - 1];
            if (inCode) --hidden_;
            if (inCode && hidden_ == 0 && codeDepth_ == depth_) {
                for (char16_t d : ButtonText(code_)) Append(out, d);
            }
            --depth_;
            return;
        }
        default:
            if (hidden_ == 0) {
                Append(out, c);
            } else if (hidden_ == 1 && depth_ == codeDepth_ && code_.size() < kMaxFieldCode) {
                code_.push_back(c);
            }
    }
}

}  // namespace pelmora::word
