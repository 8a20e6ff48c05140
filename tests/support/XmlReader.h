// A small, strict reader of the XML the installer writes (AutoCAD's PackageContents.xml), shared by
// the native and the Wine tests: it checks that a text is well-formed — one root element, every
// element closed in order, attributes quoted and not repeated, only the XML declaration, comments
// and blanks around the root — and gives the elements with their attributes. It knows nothing of
// the installer, so a test does not read the file the way the code that wrote it does.
#pragma once

#include <cctype>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

struct XmlElement {
  std::string name;
  std::map<std::string, std::string> attributes;
  std::vector<XmlElement> children;

  // The first child of that name, or nullptr.
  const XmlElement* Child(std::string_view childName) const {
    for (const XmlElement& child : children) {
      if (child.name == childName) return &child;
    }
    return nullptr;
  }
  std::string Attribute(const std::string& attribute) const {
    auto found = attributes.find(attribute);
    return found == attributes.end() ? "<missing>" : found->second;
  }
};

class XmlReader {
 public:
  // The root element; nothing, with `error` saying where and why, for a text that is not
  // well-formed.
  static std::optional<XmlElement> Parse(std::string_view text, std::string& error) {
    XmlReader reader(text);
    std::optional<XmlElement> root;
    if (reader.Declaration() && reader.Misc() && (root = reader.Element()) && reader.Misc() &&
        reader.Expect(reader.at_ == text.size(), "text after the root element")) {
      return root;
    }
    error = reader.error_ + " at offset " + std::to_string(reader.at_);
    return std::nullopt;
  }

 private:
  explicit XmlReader(std::string_view text) : text_(text) {}

  bool Expect(bool condition, const char* what) {
    if (!condition && error_.empty()) error_ = what;
    return condition;
  }
  bool Starts(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }
  void Blanks() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  static bool NameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == ':' || c == '-' ||
           c == '.';
  }
  std::string Name() {
    std::size_t start = at_;
    while (at_ < text_.size() && NameChar(text_[at_])) ++at_;
    return std::string(text_.substr(start, at_ - start));
  }

  bool Declaration() {
    if (!Starts("<?xml")) return true;
    std::size_t end = text_.find("?>", at_);
    if (!Expect(end != std::string_view::npos, "an unclosed XML declaration")) return false;
    at_ = end + 2;
    return true;
  }

  // Blanks and comments.
  bool Misc() {
    for (;;) {
      Blanks();
      if (!Starts("<!--")) return true;
      std::size_t end = text_.find("-->", at_ + 4);
      if (!Expect(end != std::string_view::npos, "an unclosed comment")) return false;
      at_ = end + 3;
    }
  }

  bool AttributeValue(std::string& value) {
    if (!Expect(at_ < text_.size() && (text_[at_] == '"' || text_[at_] == '\''),
                "an attribute value without quotes")) {
      return false;
    }
    const char quote = text_[at_++];
    std::size_t end = text_.find(quote, at_);
    if (!Expect(end != std::string_view::npos, "an unclosed attribute value")) return false;
    value = std::string(text_.substr(at_, end - at_));
    at_ = end + 1;
    return Expect(value.find('<') == std::string::npos, "'<' in an attribute value");
  }

  std::optional<XmlElement> Element() {
    if (!Expect(Starts("<"), "no element where one belongs")) return std::nullopt;
    ++at_;
    XmlElement element;
    element.name = Name();
    if (!Expect(!element.name.empty(), "an element without a name")) return std::nullopt;
    for (;;) {
      const std::size_t before = at_;
      Blanks();
      if (Starts("/>")) {
        at_ += 2;
        return element;
      }
      if (Starts(">")) {
        ++at_;
        break;
      }
      if (!Expect(at_ > before, "no blank before an attribute")) return std::nullopt;
      std::string name = Name();
      if (!Expect(!name.empty(), "an attribute without a name")) return std::nullopt;
      Blanks();
      if (!Expect(Starts("="), "an attribute without '='")) return std::nullopt;
      ++at_;
      Blanks();
      std::string value;
      if (!AttributeValue(value)) return std::nullopt;
      if (!Expect(element.attributes.emplace(name, value).second, "a repeated attribute")) {
        return std::nullopt;
      }
    }
    for (;;) {
      // Text between the children is allowed; this reader does not keep it.
      while (at_ < text_.size() && text_[at_] != '<') ++at_;
      if (!Expect(at_ < text_.size(), "an unclosed element")) return std::nullopt;
      if (Starts("<!--")) {
        if (!Misc()) return std::nullopt;
        continue;
      }
      if (Starts("</")) {
        at_ += 2;
        std::string closing = Name();
        Blanks();
        if (!Expect(closing == element.name && Starts(">"), "an end tag that does not match")) {
          return std::nullopt;
        }
        ++at_;
        return element;
      }
      std::optional<XmlElement> child = Element();
      if (!child) return std::nullopt;
      element.children.push_back(std::move(*child));
    }
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace testing_support
