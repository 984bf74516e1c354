#include "titles/labels.h"

#include "titles/lexicon.h"
#include "titles/text.h"

namespace pelmora {

namespace {

using namespace titletext;
namespace lx = lexicon;

bool AllHan(std::u16string_view s) { return std::all_of(s.begin(), s.end(), IsHan); }

bool IsIn(std::u16string_view w, std::span<const std::u16string_view> list) {
    return std::find(list.begin(), list.end(), w) != list.end();
}

// Where the label's last character stands in the visible text, or npos:
// the label's characters in order, blanks between them allowed ("题 目").
size_t EndInText(std::u16string_view text, std::u16string_view label) {
    size_t i = 0, n = 0;
    while (i < text.size() && n < label.size()) {
        if (IsBlank(text[i])) {
            ++i;
            continue;
        }
        if (text[i] != label[n]) return std::u16string_view::npos;
        ++i;
        ++n;
    }
    return n == label.size() ? i : std::u16string_view::npos;
}

// A Chinese label of `size` compact characters: followed by a colon, by
// blanks and the value ("题目  基于…"), or by nothing.
Label ChineseLabel(std::u16string_view text, std::u16string_view k, size_t size, Label::Kind kind) {
    Label l;
    if (size == k.size()) return {kind, size, true};
    if (IsColon(k[size])) return {kind, size + 1, size + 1 == k.size()};
    const size_t end = EndInText(text, k.substr(0, size));
    if (end != std::u16string_view::npos && end < text.size() && IsBlank(text[end]))
        return {kind, size, false};
    return l;
}

}  // namespace

Label LabelOf(std::u16string_view text, std::u16string_view k) {
    if (k.empty()) return {};
    // "【作品名称】X", "[论文题目]X".
    if (IsIn(k[0], u"【[［")) {
        const size_t close = k.find_first_of(u"】]］");
        if (close != std::u16string_view::npos && close > 2 && close <= 9) {
            const std::u16string_view in = k.substr(1, close - 1);
            const std::u16string_view head = in.substr(0, in.size() - 2);
            if ((in.ends_with(u"题目") || in.ends_with(u"标题")) &&
                (head.empty() || IsIn(head, lx::kTitleLabelHeadsZh)))
                return {Label::Title, close + 1, close + 1 == k.size()};
            if (in.ends_with(u"名称") && IsIn(head, lx::kNameLabelHeadsZh))
                return {IsIn(head, lx::kProjectLabelHeadsZh) ? Label::Project : Label::Title,
                        close + 1, close + 1 == k.size()};
        }
    }
    // Up to four characters, then 题目, 标题 or 名称: "中文题目", "合同名称".
    if (IsHan(k[0])) {
        for (size_t pos = 0; pos <= 4 && pos + 2 <= k.size(); ++pos) {
            const std::u16string_view head = k.substr(0, pos);
            if (!AllHan(head)) break;
            const std::u16string_view word = k.substr(pos, 2);
            Label::Kind kind = Label::None;
            if (IsIn(word, lx::kTitleLabelEndsZh) &&
                (head.empty() || IsIn(head, lx::kTitleLabelHeadsZh))) {
                kind = Label::Title;
            } else if (word == u"名称" && IsIn(head, lx::kNameLabelHeadsZh)) {
                kind = IsIn(head, lx::kProjectLabelHeadsZh) ? Label::Project : Label::Title;
            }
            if (kind == Label::None) continue;
            const Label l = ChineseLabel(text, k, pos + 2, kind);
            if (l.kind != Label::None) return l;
        }
        for (std::u16string_view w : lx::kTitleLabelWordsZh) {
            if (!k.starts_with(w)) continue;
            const Label l =
                ChineseLabel(text, k, w.size(), w == u"课题" ? Label::Project : Label::Title);
            if (l.kind != Label::None && (!l.bare || w.size() > 2)) return l;
        }
    }
    if (!IsAsciiLetter(k[0])) return {};
    // "Title: X", "Meeting Title:" (value below). A bare "Title" heads a column.
    for (std::u16string_view w : lx::kTitleLabelsEn) {
        if (StartsWithNoCase(k, w) && k.size() > w.size() && IsColon(k[w.size()]))
            return {Label::Title, w.size() + 1, w.size() + 1 == k.size()};
    }
    for (std::u16string_view w : lx::kSubjectLabels) {
        if (StartsWithNoCase(k, w) && k.size() > w.size() + 1 && IsColon(k[w.size()]))
            return {Label::Subject, w.size() + 1, false};
    }
    return {};
}

std::u16string ValueAfterLabel(std::u16string_view t, size_t labelLength) {
    size_t seen = 0, i = 0;
    while (i < t.size() && seen < labelLength) {
        if (!IsBlank(t[i])) ++seen;
        ++i;
    }
    std::u16string value;
    for (; i < t.size(); ++i) {
        if (t[i] != u'_' && t[i] != 0xFF3F) value += t[i];
    }
    return std::u16string(Trim(value));
}

}  // namespace pelmora
