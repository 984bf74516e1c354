// Web pages: HTML and MHT (MIME) archives. The page is decoded in its
// declared charset and laid out as Word imports it (web/html.h); headers and
// footers come from Word's @page rules, found in the page, in a part of the
// archive or in a file saved beside the page.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "reader/io/readfile.h"
#include "reader/open.h"
#include "reader/openers.h"
#include "reader/story.h"
#include "reader/text/ascii.h"
#include "reader/web/html.h"
#include "reader/web/mime.h"
#include "reader/web/text.h"

namespace pelmora::word {

namespace {

using fmt::AsciiLower;
using web::CollectParts;
using web::DecodePage;
using web::MimePart;
using web::PageText;
using web::ParsePageRules;
using web::ReadPage;
using web::SectionRefs;
using web::SplitMime;

class WebDocument : public StoryDocument {
    using Stories = std::map<std::string, std::vector<std::u16string>>;

  public:
    WebDocument(std::string bytes, std::string path) : path_(std::move(path)) {
        std::string charset;
        std::string page;
        if (Sniff(bytes) != Format::Web) throw WordError("not a web page");
        bool utf16 = false;
        const std::size_t firstByte = TextStart(bytes, &utf16);
        // Markup first means a page, even if a MIME-like line follows.
        const bool markupFirst = (firstByte < bytes.size() && bytes[firstByte] == '<') ||
                                 bytes.starts_with("\xEF\xBB\xBF");
        if (!utf16 && !markupFirst &&
            !SplitMime(std::string_view(bytes).substr(0, 65536))
                 .first.Get("mime-version")
                 .empty()) {
            CollectParts(bytes, 0, parts_);
            const MimePart* html = nullptr;
            for (const MimePart& p : parts_)
                if (p.type == "text/html") {
                    html = &p;
                    break;
                }
            if (!html) throw WordError("no web page in the MIME archive");
            page = html->body;
            charset = html->charset;
        } else {
            page = std::move(bytes);
        }
        PageText read = ReadPage(DecodePage(page, charset));
        paragraphs_ = std::move(read.body);
        paragraphCount_ = paragraphs_.size();
        factsLearnt_ = SIZE_MAX;  // the page's formatting is read with its text
        title_ = std::move(read.title);
        stories_ = std::move(read.stories);
        // "@page WordSectionN" rules name the sections; a page has at least one.
        const std::map<int, SectionRefs> rules = ParsePageRules(read.css);
        sections_.resize(
            rules.empty() ? 1 : static_cast<std::size_t>(std::max(1, rules.rbegin()->first)));
        for (const auto& [number, refs] : rules)
            for (std::size_t k = 0; k < 3; ++k) {
                Section& s = sections_[static_cast<std::size_t>(number) - 1];
                if (!refs.header[k].empty())
                    s.header[k] = refs.header[k] + '\n' + refs.headerUrl[k];
                if (!refs.footer[k].empty())
                    s.footer[k] = refs.footer[k] + '\n' + refs.footerUrl[k];
            }
        sectionsComplete_ = true;
    }

  private:
    std::u16string StoredTitle() override { return title_; }

    // The key is the story's element id and the file that holds it, if not the page.
    std::u16string StoryText(const std::string& key) override {
        const std::size_t nl = key.find('\n');
        const auto* story = FindStory(key.substr(0, nl), key.substr(nl + 1));
        return story ? Joined(*story) : u"\r";
    }

    const std::vector<std::u16string>* FindStory(const std::string& id, const std::string& url) {
        auto it = stories_.find(id);
        if (it != stories_.end()) return &it->second;
        if (url.empty()) return nullptr;
        auto loaded = side_.find(url);
        if (loaded == side_.end()) loaded = side_.emplace(url, LoadSide(url)).first;
        auto jt = loaded->second.find(id);
        return jt == loaded->second.end() ? nullptr : &jt->second;
    }

    // Word keeps headers and footers of a saved page in a file of its own
    // ("page_files/header.htm"): a part of the MHT, or a file beside the page.
    Stories LoadSide(const std::string& url) {
        std::string bytes, charset;
        std::string name =
            url.substr(url.find_last_of('/') == std::string::npos ? 0 : url.find_last_of('/') + 1);
        if (!parts_.empty()) {
            for (const MimePart& p : parts_) {
                std::string loc = p.location;
                std::string base = loc.substr(
                    loc.find_last_of('/') == std::string::npos ? 0 : loc.find_last_of('/') + 1);
                if (!name.empty() && AsciiLower(base) == AsciiLower(name) &&
                    p.type == "text/html") {
                    bytes = p.body;
                    charset = p.charset;
                    break;
                }
            }
        } else if (!path_.empty() && url.find("..") == std::string::npos &&
                   url.find(':') == std::string::npos && !url.empty() && url[0] != '/') {
            std::size_t slash = path_.find_last_of('/');
            std::string file =
                (slash == std::string::npos ? std::string() : path_.substr(0, slash + 1)) + url;
            try {
                bytes = fmt::ReadFileCapped(file, kMaxSideFileBytes);
            } catch (const WordError&) {
                bytes.clear();
            }
        }
        if (bytes.empty()) return {};
        return ReadPage(DecodePage(bytes, charset)).stories;
    }

    std::string path_;
    std::u16string title_;
    std::vector<MimePart> parts_;
    Stories stories_;
    std::map<std::string, Stories> side_;  // header files by URL
};

}  // namespace

std::unique_ptr<DocumentImpl> OpenWebBytes(std::string bytes, std::string path) {
    return std::make_unique<WebDocument>(std::move(bytes), std::move(path));
}

std::unique_ptr<DocumentImpl> OpenWebDocument(const std::string& path) {
    return std::make_unique<WebDocument>(fmt::ReadFileCapped(path, kMaxWebBytes), path);
}

}  // namespace pelmora::word
