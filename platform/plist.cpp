#include "platform/plist.h"

#include <cctype>

#include "app/numbers.h"

namespace salvex {
namespace {

class Reader {
public:
    explicit Reader(std::string_view text) : s_(text) {}

    std::optional<PlistValue> document() {
        skip_prolog();
        if (!open_tag("plist")) return std::nullopt;
        auto root = value();
        if (!root || !close_tag("plist")) return std::nullopt;
        skip_misc();
        if (pos_ != s_.size()) return std::nullopt;
        return root;
    }

private:
    static constexpr int kMaxDepth = 64;  // deeper nesting is not a plist anyone writes

    void skip_space() {
        while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\n' || s_[pos_] == '\r'))
            ++pos_;
    }
    bool skip_past(std::string_view end) {
        const auto at = s_.find(end, pos_);
        if (at == std::string_view::npos) return false;
        pos_ = at + end.size();
        return true;
    }
    // Comments, processing instructions and the doctype may stand between elements.
    void skip_misc() {
        for (;;) {
            if (!ok()) return;
            skip_space();
            if (rest().starts_with("<!--")) { if (!skip_past("-->")) { pos_ = s_.size() + 1; return; } }
            else if (rest().starts_with("<?")) { if (!skip_past("?>")) { pos_ = s_.size() + 1; return; } }
            else if (rest().starts_with("<!DOCTYPE")) { if (!skip_past(">")) { pos_ = s_.size() + 1; return; } }
            else return;
        }
    }
    void skip_prolog() {
        if (rest().starts_with("\xEF\xBB\xBF")) pos_ += 3;
        skip_misc();
    }
    bool ok() const { return pos_ <= s_.size(); }
    // The text from the position on; empty once past the end, never a throw.
    std::string_view rest(std::size_t ahead = 0) const {
        return pos_ + ahead <= s_.size() ? s_.substr(pos_ + ahead) : std::string_view();
    }

    // Reads "<name ...>" (attributes ignored). Sets empty_ for "<name/>".
    bool open_tag(std::string_view name) {
        skip_misc();
        if (!ok() || !rest().starts_with("<") || !rest(1).starts_with(name)) return false;
        std::size_t p = pos_ + 1 + name.size();
        if (p >= s_.size() || !(s_[p] == '>' || s_[p] == '/' || s_[p] == ' ' || s_[p] == '\t' || s_[p] == '\n' || s_[p] == '\r'))
            return false;
        const auto end = s_.find('>', p);
        if (end == std::string_view::npos) return false;
        empty_ = s_[end - 1] == '/';
        pos_ = end + 1;
        return true;
    }
    bool close_tag(std::string_view name) {
        skip_misc();
        if (!ok()) return false;
        const std::string tag = "</" + std::string(name);
        if (!rest().starts_with(tag)) return false;
        pos_ += tag.size();
        skip_space();
        if (pos_ >= s_.size() || s_[pos_] != '>') return false;
        ++pos_;
        return true;
    }
    std::optional<std::string_view> tag_name() {
        skip_misc();
        if (!ok() || pos_ >= s_.size() || s_[pos_] != '<') return std::nullopt;
        std::size_t p = pos_ + 1;
        while (p < s_.size() && std::isalpha(static_cast<unsigned char>(s_[p]))) ++p;
        return s_.substr(pos_ + 1, p - pos_ - 1);
    }

    // Character data up to the closing tag, with entities decoded.
    std::optional<std::string> text_until_close(std::string_view name) {
        if (empty_) return std::string();
        const std::string tag = "</" + std::string(name) + ">";
        const auto end = s_.find(tag, pos_);
        if (end == std::string_view::npos) return std::nullopt;
        auto decoded = decode(s_.substr(pos_, end - pos_));
        pos_ = end + tag.size();
        return decoded;
    }

    static void append_code_point(std::string& out, std::uint32_t cp) {
        if (cp < 0x80) out += static_cast<char>(cp);
        else if (cp < 0x800) { out += static_cast<char>(0xC0 | (cp >> 6)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
        else if (cp < 0x10000) { out += static_cast<char>(0xE0 | (cp >> 12)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
        else { out += static_cast<char>(0xF0 | (cp >> 18)); out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F)); out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F)); out += static_cast<char>(0x80 | (cp & 0x3F)); }
    }

    static std::optional<std::string> decode(std::string_view raw) {
        std::string out;
        for (std::size_t i = 0; i < raw.size(); ++i) {
            if (raw[i] == '<') return std::nullopt;  // markup inside a scalar
            if (raw[i] != '&') { out += raw[i]; continue; }
            const auto semi = raw.find(';', i);
            if (semi == std::string_view::npos) return std::nullopt;
            const auto entity = raw.substr(i + 1, semi - i - 1);
            if (entity == "lt") out += '<';
            else if (entity == "gt") out += '>';
            else if (entity == "amp") out += '&';
            else if (entity == "quot") out += '"';
            else if (entity == "apos") out += '\'';
            else if (entity.size() > 1 && entity[0] == '#') {
                const bool hex = entity[1] == 'x' || entity[1] == 'X';
                const auto digits = entity.substr(hex ? 2 : 1);
                const auto cp = parse_digits(digits, hex ? 16 : 10);
                if (!cp || *cp == 0 || *cp > 0x10FFFF || (*cp >= 0xD800 && *cp <= 0xDFFF)) return std::nullopt;
                append_code_point(out, static_cast<std::uint32_t>(*cp));
            } else {
                return std::nullopt;
            }
            i = semi;
        }
        return out;
    }

    std::optional<PlistValue> value() {
        if (++depth_ > kMaxDepth) return std::nullopt;
        auto result = value_inner();
        --depth_;
        return result;
    }

    std::optional<PlistValue> value_inner() {
        const auto name = tag_name();
        if (!name) return std::nullopt;
        const std::string tag(*name);
        if (!open_tag(tag)) return std::nullopt;
        if (tag == "true" || tag == "false") {
            if (!empty_ && !close_tag(tag)) return std::nullopt;
            return PlistValue{tag == "true"};
        }
        if (tag == "string" || tag == "data" || tag == "date" || tag == "real") {
            auto t = text_until_close(tag);
            if (!t) return std::nullopt;
            return PlistValue{std::move(*t)};
        }
        if (tag == "integer") {
            auto t = text_until_close(tag);
            if (!t) return std::nullopt;
            std::string_view digits = *t;
            while (!digits.empty() && digits.front() == ' ') digits.remove_prefix(1);
            while (!digits.empty() && digits.back() == ' ') digits.remove_suffix(1);
            if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
            const auto v = parse_signed_digits(digits);
            if (!v) return std::nullopt;
            return PlistValue{*v};
        }
        if (tag == "array") {
            PlistArray items;
            if (empty_) return PlistValue{std::move(items)};
            for (;;) {
                skip_misc();
                if (!ok()) return std::nullopt;
                if (rest().starts_with("</")) break;
                auto item = value();
                if (!item) return std::nullopt;
                items.push_back(std::move(*item));
            }
            if (!close_tag("array")) return std::nullopt;
            return PlistValue{std::move(items)};
        }
        if (tag == "dict") {
            PlistDict entries;
            if (empty_) return PlistValue{std::move(entries)};
            for (;;) {
                skip_misc();
                if (!ok()) return std::nullopt;
                if (rest().starts_with("</")) break;
                if (!open_tag("key")) return std::nullopt;
                auto key = text_until_close("key");
                if (!key) return std::nullopt;
                auto item = value();
                if (!item) return std::nullopt;
                entries.insert_or_assign(std::move(*key), std::move(*item));
            }
            if (!close_tag("dict")) return std::nullopt;
            return PlistValue{std::move(entries)};
        }
        return std::nullopt;
    }

    std::string_view s_;
    std::size_t pos_ = 0;
    bool empty_ = false;
    int depth_ = 0;
};

}  // namespace

std::optional<PlistValue> parse_plist(std::string_view xml) { return Reader(xml).document(); }

std::optional<std::string> plist_string(const PlistValue& root, const std::string& key) {
    const auto* dict = root.as_dict();
    if (dict == nullptr) return std::nullopt;
    const auto it = dict->find(key);
    if (it == dict->end() || it->second.as_string() == nullptr) return std::nullopt;
    return *it->second.as_string();
}

}  // namespace salvex
