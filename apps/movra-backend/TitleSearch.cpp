// Folding titles for search and ranking what matches.
#include "movra-backend/TitleSearch.h"

#include <algorithm>
#include <iterator>
#include <optional>
#include <tuple>

namespace movra::backend {

namespace {

// Latin letters with diacritics (Latin-1 and Latin Extended-A) as what a subscriber types without them,
// and the typographic apostrophes a phone keyboard types as the one in the titles.
struct Folding {
    char32_t first;
    char32_t last;
    const char* base;
};
constexpr Folding kFoldings[] = {
    {0xC0, 0xC5, "a"},   {0xC6, 0xC6, "ae"},  {0xC7, 0xC7, "c"},   {0xC8, 0xCB, "e"},     {0xCC, 0xCF, "i"},
    {0xD0, 0xD0, "d"},   {0xD1, 0xD1, "n"},   {0xD2, 0xD6, "o"},   {0xD8, 0xD8, "o"},     {0xD9, 0xDC, "u"},
    {0xDD, 0xDD, "y"},   {0xDE, 0xDE, "th"},  {0xDF, 0xDF, "ss"},  {0xE0, 0xE5, "a"},     {0xE6, 0xE6, "ae"},
    {0xE7, 0xE7, "c"},   {0xE8, 0xEB, "e"},   {0xEC, 0xEF, "i"},   {0xF0, 0xF0, "d"},     {0xF1, 0xF1, "n"},
    {0xF2, 0xF6, "o"},   {0xF8, 0xF8, "o"},   {0xF9, 0xFC, "u"},   {0xFD, 0xFD, "y"},     {0xFE, 0xFE, "th"},
    {0xFF, 0xFF, "y"},   {0x100, 0x105, "a"}, {0x106, 0x10D, "c"}, {0x10E, 0x111, "d"},   {0x112, 0x11B, "e"},
    {0x11C, 0x123, "g"}, {0x124, 0x127, "h"}, {0x128, 0x131, "i"}, {0x132, 0x133, "ij"},  {0x134, 0x135, "j"},
    {0x136, 0x138, "k"}, {0x139, 0x142, "l"}, {0x143, 0x14B, "n"}, {0x14C, 0x151, "o"},   {0x152, 0x153, "oe"},
    {0x154, 0x159, "r"}, {0x15A, 0x161, "s"}, {0x162, 0x167, "t"}, {0x168, 0x173, "u"},   {0x174, 0x175, "w"},
    {0x176, 0x178, "y"}, {0x179, 0x17E, "z"}, {0x17F, 0x17F, "s"}, {0x2018, 0x2019, "'"},
};

std::optional<std::string_view> foldingOf(char32_t c) {
    auto found = std::find_if(std::begin(kFoldings), std::end(kFoldings),
                              [c](const Folding& f) { return c >= f.first && c <= f.last; });
    if (found == std::end(kFoldings)) return std::nullopt;
    return found->base;
}

// The code point at `text[*at]`, advancing `*at` past it; nullopt (advancing one byte) for a byte that
// does not start a well-formed, shortest-form UTF-8 sequence.
std::optional<char32_t> decode(std::string_view text, std::size_t* at) {
    const auto lead = static_cast<unsigned char>(text[*at]);
    if (lead < 0x80) {
        ++*at;
        return lead;
    }
    const std::size_t length = (lead & 0xE0) == 0xC0 ? 2 : (lead & 0xF0) == 0xE0 ? 3 : (lead & 0xF8) == 0xF0 ? 4 : 0;
    constexpr char32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
    char32_t c = lead & (0x7F >> length);
    if (length == 0 || *at + length > text.size()) {
        ++*at;
        return std::nullopt;
    }
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[*at + i]);
        if ((next & 0xC0) != 0x80) {
            ++*at;
            return std::nullopt;
        }
        c = (c << 6) | (next & 0x3F);
    }
    if (c < kSmallest[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) {
        ++*at;
        return std::nullopt;
    }
    *at += length;
    return c;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    }
    out += static_cast<char>(0x80 | (c & 0x3F));
}

// 0 when `title` starts with `wanted`, 1 when one of its words does, 2 when it holds it elsewhere.
std::optional<int> rankOf(const std::string& title, const std::string& wanted) {
    std::size_t at = title.find(wanted);
    if (at == std::string::npos) return std::nullopt;
    if (at == 0) return 0;
    for (; at != std::string::npos; at = title.find(wanted, at + 1))
        if (title[at - 1] == ' ') return 1;
    return 2;
}

bool isSearchable(const CatalogueNode& node) { return node.isPlayable() || node.kind == CatalogueNode::Kind::Series; }

}  // namespace

TitleSearch::TitleSearch(const SampleCatalogue& sample, std::size_t generatedItems) : sample_(sample) {
    for (const CatalogueNode& node : sample.nodes())
        if (isSearchable(node)) entries_.push_back({&node, 0, fold(node.title)});
    entries_.reserve(entries_.size() + generatedItems);
    for (std::size_t i = 0; i < generatedItems; ++i)
        entries_.push_back({nullptr, i, fold(sample.generator().title(i))});
}

std::string TitleSearch::fold(std::string_view text) {
    std::string folded;
    folded.reserve(text.size());
    bool blank = false;
    for (std::size_t at = 0; at < text.size();) {
        const std::optional<char32_t> c = decode(text, &at);
        if (!c) continue;
        // A no-break space is a blank too; combining marks are the diacritics of decomposed text.
        if (*c <= 0x20 || *c == 0x7F || *c == 0xA0) {
            blank = !folded.empty();
            continue;
        }
        if (*c >= 0x300 && *c <= 0x36F) continue;
        if (blank) folded += ' ';
        blank = false;
        if (*c < 0x80) {
            folded += static_cast<char>(*c >= 'A' && *c <= 'Z' ? *c - 'A' + 'a' : *c);
        } else if (auto base = foldingOf(*c)) {
            folded += *base;
        } else {
            appendUtf8(folded, *c);
        }
    }
    return folded;
}

std::vector<std::size_t> TitleSearch::find(std::string_view text, std::size_t limit) const {
    const std::string wanted = fold(text);
    if (wanted.empty() || limit == 0) return {};
    struct Match {
        int rank;
        std::string sortName;
        std::size_t entry;
        bool operator<(const Match& other) const {
            return std::tie(rank, sortName, entry) < std::tie(other.rank, other.sortName, other.entry);
        }
    };
    std::vector<Match> matches;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (auto rank = rankOf(entries_[i].folded, wanted)) matches.push_back({*rank, sortName(i), i});
    }
    const auto kept = static_cast<std::ptrdiff_t>(std::min(limit, matches.size()));
    std::partial_sort(matches.begin(), matches.begin() + kept, matches.end());
    std::vector<std::size_t> found;
    for (auto match = matches.begin(); match != matches.begin() + kept; ++match) found.push_back(match->entry);
    return found;
}

std::string TitleSearch::sortName(std::size_t index) const {
    const Entry& entry = entries_.at(index);
    if (entry.node) return fold(entry.node->nameToSortBy());
    const std::string title = sample_.generator().title(entry.generated);
    const std::string sortName = TitleGenerator::sortName(title);
    return fold(sortName.empty() ? title : sortName);
}

FeedItem TitleSearch::feedItem(std::size_t entry, std::string_view baseUrl) const {
    const Entry& found = entries_.at(entry);
    return found.node ? found.node->feedItem(baseUrl) : sample_.generator().film(found.generated).feedItem(baseUrl);
}

}  // namespace movra::backend
