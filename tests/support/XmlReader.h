// A small, strict reader of the XML the installer writes (AutoCAD's PackageContents.xml) and of
// INSTALL.EXE's manifest, shared by the native and the Wine tests: it checks that a text is
// well-formed — an optional XML declaration, one root element, every element closed in order,
// attribute values quoted and no attribute repeated, every "&" the start of one of XML's five
// entities — and gives the elements with their attributes and text (entities decoded), passing
// over comments between them. It knows nothing of the installer, so a test
// does not read the file the way the code that wrote it does.
#pragma once

#include <algorithm>
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
  std::string text;  // the character data between the children, joined

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
  // The root element; nothing, with `error` saying what and where, for a text that is not
  // well-formed.
  static std::optional<XmlElement> Parse(std::string_view text, std::string& error) {
    XmlReader reader(text);
    if (reader.Starts("<?xml")) reader.SkipPast("?>", "an unclosed declaration");
    reader.Blanks();
    std::optional<XmlElement> root = reader.Element();
    reader.Blanks();
    if (root && reader.at_ != text.size()) reader.Fail("text after the root element");
    if (!reader.error_.empty()) {
      error = reader.error_ + " at offset " + std::to_string(reader.at_);
      return std::nullopt;
    }
    return root;
  }

 private:
  explicit XmlReader(std::string_view text) : text_(text) {}

  std::nullopt_t Fail(const char* what) {
    if (error_.empty()) error_ = what;
    return std::nullopt;
  }
  bool Starts(std::string_view prefix) const { return text_.substr(at_).starts_with(prefix); }
  void SkipPast(std::string_view end, const char* unclosed) {
    std::size_t found = text_.find(end, at_);
    at_ = found == std::string_view::npos ? text_.size() : found + end.size();
    if (found == std::string_view::npos) Fail(unclosed);
  }
  void Blanks() {
    while (at_ < text_.size() && std::isspace(static_cast<unsigned char>(text_[at_]))) ++at_;
  }
  std::string Name() {
    std::size_t start = at_;
    while (at_ < text_.size() && (std::isalnum(static_cast<unsigned char>(text_[at_])) ||
                                  std::string_view("_:-.").find(text_[at_]) != std::string::npos)) {
      ++at_;
    }
    return std::string(text_.substr(start, at_ - start));
  }

  std::optional<XmlElement> Element() {
    XmlElement element;
    if (!Starts("<")) return Fail("no element where one belongs");
    ++at_;
    element.name = Name();
    if (element.name.empty()) return Fail("an element without a name");
    // The attributes, up to the end of the start tag.
    for (;;) {
      const std::size_t before = at_;
      Blanks();
      if (Starts("/>")) {
        at_ += 2;
        return element;
      }
      if (Starts(">")) break;
      std::string name = Name();
      if (at_ == before || name.empty() || !Starts("=\"")) {
        return Fail("an attribute not written as name=\"value\"");
      }
      at_ += 2;
      const std::size_t end = text_.find('"', at_);
      if (end == std::string_view::npos) return Fail("an unclosed attribute value");
      const std::optional<std::string> value = Decoded(text_.substr(at_, end - at_));
      at_ = end + 1;
      if (!value) return Fail("an '&' that starts no entity");
      if (value->find('<') != std::string::npos) return Fail("'<' in a value");
      if (!element.attributes.emplace(name, *value).second) {
        return Fail("a repeated attribute");
      }
    }
    ++at_;
    // The children, up to the end tag, and the text between them.
    for (;;) {
      const std::size_t textStart = at_;
      at_ = std::min(text_.find('<', at_), text_.size());
      const std::optional<std::string> text = Decoded(text_.substr(textStart, at_ - textStart));
      if (!text) return Fail("an '&' that starts no entity");
      element.text += *text;
      if (at_ == text_.size()) return Fail("an unclosed element");
      if (Starts("</")) {
        at_ += 2;
        const bool matches = Name() == element.name && Starts(">");
        if (!matches) return Fail("an end tag that does not match");
        ++at_;
        return element;
      }
      if (Starts("<!--")) {
        SkipPast("-->", "an unclosed comment");
        if (!error_.empty()) return std::nullopt;
        continue;
      }
      std::optional<XmlElement> child = Element();
      if (!child) return std::nullopt;
      element.children.push_back(std::move(*child));
    }
  }

  // The text with XML's five entities replaced; nothing when an '&' starts none of them.
  static std::optional<std::string> Decoded(std::string_view raw) {
    static constexpr std::pair<std::string_view, char> kEntities[] = {
        {"&amp;", '&'}, {"&lt;", '<'}, {"&gt;", '>'}, {"&quot;", '"'}, {"&apos;", '\''}};
    std::string out;
    for (std::size_t at = 0; at < raw.size();) {
      if (raw[at] != '&') {
        out += raw[at++];
        continue;
      }
      bool known = false;
      for (const auto& [entity, c] : kEntities) {
        if (raw.substr(at).starts_with(entity)) {
          out += c;
          at += entity.size();
          known = true;
          break;
        }
      }
      if (!known) return std::nullopt;
    }
    return out;
  }

  std::string_view text_;
  std::size_t at_ = 0;
  std::string error_;
};

}  // namespace testing_support
