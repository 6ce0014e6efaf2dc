#include "XmlCheck.h"

#include <cstdint>

namespace simhost_test {

namespace {

class Reader {
public:
    explicit Reader(const std::string& text) : s_(text) {}

    std::optional<XmlElement> Document(std::string* error) {
        XmlElement root;
        if (Starts("<?xml")) Skip("?>");
        Misc();
        if (ok_ && !Element(&root)) Fail("no root element");
        Misc();
        if (ok_ && at_ != s_.size()) Fail("content after the root element");
        if (!ok_) {
            *error = "offset " + std::to_string(failedAt_) + ": " + why_;
            return std::nullopt;
        }
        return root;
    }

private:
    bool Fail(const std::string& why) {
        if (ok_) {
            ok_ = false;
            why_ = why;
            failedAt_ = at_;
        }
        return false;
    }
    bool Starts(const char* prefix) const { return s_.compare(at_, std::char_traits<char>::length(prefix), prefix) == 0; }
    void Skip(const char* end) {
        const size_t found = s_.find(end, at_);
        if (found == std::string::npos) {
            Fail(std::string("missing ") + end);
            at_ = s_.size();
            return;
        }
        at_ = found + std::char_traits<char>::length(end);
    }
    void Spaces() {
        while (at_ < s_.size() && (s_[at_] == ' ' || s_[at_] == '\t' || s_[at_] == '\n' || s_[at_] == '\r')) ++at_;
    }
    // Whitespace, comments and processing instructions.
    void Misc() {
        for (;;) {
            Spaces();
            if (Starts("<!--")) {
                Skip("-->");
            } else if (Starts("<?")) {
                Skip("?>");
            } else {
                return;
            }
        }
    }
    static bool NameChar(char c, bool first) {
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_' || c == ':';
        return letter || (!first && ((c >= '0' && c <= '9') || c == '-' || c == '.'));
    }
    std::string Name() {
        const size_t start = at_;
        while (at_ < s_.size() && NameChar(s_[at_], at_ == start)) ++at_;
        if (at_ == start) Fail("expected a name");
        return s_.substr(start, at_ - start);
    }
    // One character of text (checked UTF-8, no control characters) or entity, appended to *out.
    void Char(std::string* out) {
        const auto c = static_cast<unsigned char>(s_[at_]);
        if (c == '&') {
            const size_t end = s_.find(';', at_);
            if (end == std::string::npos) {
                Fail("unterminated entity");
                return;
            }
            const std::string entity = s_.substr(at_ + 1, end - at_ - 1);
            static const std::map<std::string, std::string> kNamed = {
                {"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}};
            if (kNamed.count(entity) != 0) {
                *out += kNamed.at(entity);
            } else if (entity.size() > 1 && entity[0] == '#') {
                out->push_back('?');  // a character reference: its value does not matter here
            } else {
                Fail("unknown entity &" + entity + ";");
                return;
            }
            at_ = end + 1;
            return;
        }
        if (c == '<') {
            Fail("'<' in text");
            return;
        }
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r') {
            Fail("control character in text");
            return;
        }
        size_t length = c < 0x80 ? 1 : (c & 0xE0) == 0xC0 ? 2 : (c & 0xF0) == 0xE0 ? 3 : (c & 0xF8) == 0xF0 ? 4 : 0;
        if (length == 0 || (c >= 0x80 && c < 0xC2) || at_ + length > s_.size()) {
            Fail("not UTF-8");
            return;
        }
        for (size_t i = 1; i < length; ++i) {
            if ((static_cast<unsigned char>(s_[at_ + i]) & 0xC0) != 0x80) {
                Fail("not UTF-8");
                return;
            }
        }
        out->append(s_, at_, length);
        at_ += length;
    }
    bool Element(XmlElement* element) {
        if (!Starts("<") || Starts("</")) return false;
        ++at_;
        element->name = Name();
        for (;;) {
            if (!ok_) return false;
            Spaces();
            if (Starts("/>")) {
                at_ += 2;
                return true;
            }
            if (Starts(">")) {
                ++at_;
                break;
            }
            const std::string attribute = Name();
            Spaces();
            if (!ok_ || !Starts("=")) return Fail("expected = after attribute " + attribute);
            ++at_;
            Spaces();
            if (at_ >= s_.size() || (s_[at_] != '"' && s_[at_] != '\'')) return Fail("unquoted attribute " + attribute);
            const char quote = s_[at_++];
            std::string value;
            while (ok_ && at_ < s_.size() && s_[at_] != quote) Char(&value);
            if (at_ >= s_.size()) return Fail("unterminated attribute " + attribute);
            ++at_;
            if (!element->attributes.emplace(attribute, value).second) return Fail("attribute " + attribute + " twice");
        }
        // Content up to the matching end tag.
        for (;;) {
            if (!ok_) return false;
            if (at_ >= s_.size()) return Fail("element <" + element->name + "> is not closed");
            if (Starts("</")) {
                at_ += 2;
                const std::string name = Name();
                Spaces();
                if (name != element->name || !Starts(">")) return Fail("</" + name + "> closes <" + element->name + ">");
                ++at_;
                return true;
            }
            if (Starts("<!--")) {
                Skip("-->");
            } else if (Starts("<![CDATA[")) {
                at_ += 9;
                const size_t end = s_.find("]]>", at_);
                if (end == std::string::npos) return Fail("unterminated CDATA");
                element->text += s_.substr(at_, end - at_);
                at_ = end + 3;
            } else if (Starts("<?")) {
                Skip("?>");
            } else if (Starts("<")) {
                XmlElement child;
                if (!Element(&child)) return Fail("bad element inside <" + element->name + ">");
                element->children.push_back(std::move(child));
            } else {
                Char(&element->text);
            }
        }
    }

    const std::string& s_;
    size_t at_ = 0;
    bool ok_ = true;
    std::string why_;
    size_t failedAt_ = 0;
};

void Collect(const XmlElement& element, const std::string& name, std::vector<const XmlElement*>* found) {
    if (element.name == name) found->push_back(&element);
    for (const XmlElement& child : element.children) Collect(child, name, found);
}

}  // namespace

std::optional<XmlElement> ParseXml(const std::string& document, std::string* error) {
    return Reader(document).Document(error);
}

std::vector<const XmlElement*> FindElements(const XmlElement& root, const std::string& name) {
    std::vector<const XmlElement*> found;
    Collect(root, name, &found);
    return found;
}

}  // namespace simhost_test
