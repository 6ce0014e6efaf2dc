// A small XML reader for the tests: it checks that a document is well-formed
// (tags nest and match, attributes are quoted and unique, entities are known,
// text is UTF-8 without control characters) and gives its element tree.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

namespace simhost_test {

struct XmlElement {
    std::string name;
    std::map<std::string, std::string> attributes;  // entities resolved
    std::vector<XmlElement> children;
    std::string text;  // the character data directly inside, entities resolved
};

// The root element, or nullopt with *error ("offset N: reason").
std::optional<XmlElement> ParseXml(const std::string& document, std::string* error);

// Every element named `name` below and including `root`, in document order.
std::vector<const XmlElement*> FindElements(const XmlElement& root, const std::string& name);

}  // namespace simhost_test
