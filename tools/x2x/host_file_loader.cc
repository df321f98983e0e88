// Host file reading: one small reader per element, each checking its attributes and children so
// that a typing mistake is reported at its line and column instead of being ignored.
#include "x2x/host_file_loader.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <set>

#include "base/ascii_case.h"
#include "base/utf.h"
#include "x2x/input_decoding.h"

namespace x2x {

namespace {

namespace fs = std::filesystem;

std::string Utf8(const xmlChar* text) {
  return text ? reinterpret_cast<const char*>(text) : "";
}

bool IsElement(const xmlNode* node) {
  return node->type == XML_ELEMENT_NODE;
}

bool IsBlankText(const xmlNode* node) {
  if (node->type != XML_TEXT_NODE) return false;
  for (const char* p = reinterpret_cast<const char*>(node->content); p && *p; ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') return false;
  }
  return true;
}

// Reads one element: its attributes (only the allowed ones may appear), its child elements (only
// the allowed names) or its text.
class ElementReader {
 public:
  ElementReader(const LocatedXml& xml, const xmlNode* node,
                std::initializer_list<const char*> allowedAttributes)
      : xml_(xml), node_(node) {
    for (const xmlAttr* attr = node->properties; attr; attr = attr->next) {
      std::string name = Utf8(attr->name);
      bool allowed = attr->ns == nullptr;
      if (allowed) {
        allowed = false;
        for (const char* a : allowedAttributes) allowed = allowed || name == a;
      }
      if (!allowed) Fail("unknown attribute '" + name + "' on <" + Name() + ">");
    }
  }

  std::string Name() const { return Utf8(node_->name); }
  const xmlNode* Node() const { return node_; }
  [[noreturn]] void Fail(const std::string& message) const { xml_.Fail(node_, message); }

  std::optional<std::u16string> Optional(const char* name) const {
    xmlChar* value = xmlGetNoNsProp(node_, reinterpret_cast<const xmlChar*>(name));
    if (!value) return std::nullopt;
    std::u16string text = kpx::ToUtf16(Utf8(value));
    xmlFree(value);
    return text;
  }

  std::u16string Required(const char* name) const {
    auto value = Optional(name);
    if (!value) Fail("<" + Name() + "> needs the attribute '" + name + "'");
    return *value;
  }

  // A decimal 32-bit integer with an optional minus sign, nothing else.
  std::optional<LONG> OptionalNumber(const char* name) const {
    auto text = Optional(name);
    if (!text) return std::nullopt;
    std::string digits = kpx::ToUtf8(*text);
    size_t i = digits.size() > 1 && digits[0] == '-' ? 1 : 0;
    bool ok = i < digits.size() && digits.size() - i <= 10;
    int64_t value = 0;
    for (size_t j = i; ok && j < digits.size(); ++j) {
      ok = digits[j] >= '0' && digits[j] <= '9';
      value = value * 10 + (digits[j] - '0');
    }
    if (i == 1) value = -value;
    if (!ok || value < INT32_MIN || value > INT32_MAX) {
      Fail("bad number '" + digits + "' in attribute '" + name + "' of <" + Name() +
           "> (a whole number is expected)");
    }
    return static_cast<LONG>(value);
  }

  LONG RequiredNumber(const char* name) const {
    Required(name);
    return *OptionalNumber(name);
  }

  bool Boolean(const char* name, bool fallback) const {
    auto text = Optional(name);
    if (!text) return fallback;
    if (*text == u"true") return true;
    if (*text == u"false") return false;
    Fail("bad value '" + kpx::ToUtf8(*text) + "' in attribute '" + name + "' of <" + Name() +
         "> (true or false is expected)");
  }

  // The child elements, each of which must have one of the allowed names; text other than white
  // space is not allowed beside them.
  std::vector<const xmlNode*> Children(std::initializer_list<const char*> allowed) const {
    std::vector<const xmlNode*> out;
    for (const xmlNode* child = node_->children; child; child = child->next) {
      if (IsElement(child)) {
        std::string name = Utf8(child->name);
        bool known = child->ns == nullptr;
        if (known) {
          known = false;
          for (const char* a : allowed) known = known || name == a;
        }
        if (!known) xml_.Fail(child, "unknown element <" + name + "> in <" + Name() + ">");
        out.push_back(child);
      } else if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
        if (!IsBlankText(child)) Fail("<" + Name() + "> holds elements only, not text");
      }
    }
    return out;
  }

  // The element's text exactly as written (text and CDATA sections joined); no child elements.
  std::u16string Text() const {
    std::string text;
    for (const xmlNode* child = node_->children; child; child = child->next) {
      if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE) {
        text += Utf8(child->content);
      } else if (IsElement(child)) {
        xml_.Fail(child, "<" + Name() + "> holds text only, not <" + Utf8(child->name) + ">");
      }
    }
    return kpx::ToUtf16(text);
  }

 private:
  const LocatedXml& xml_;
  const xmlNode* node_;
};

class HostFileParser {
 public:
  HostFileParser(const LocatedXml& xml, fs::path baseDirectory, const HostFileReader& reader)
      : xml_(xml), base_(std::move(baseDirectory)), reader_(reader) {}

  HostData Parse() {
    const xmlNode* root = xml_.Root();
    if (Utf8(root->name) != "host" || root->ns != nullptr) {
      xml_.Fail(root, "the root element must be <host>, not <" + Utf8(root->name) + ">");
    }
    ElementReader host(xml_, root, {"version"});
    if (auto version = host.Optional("version"); version && *version != u"1") {
      host.Fail("unsupported host file version '" + kpx::ToUtf8(*version) + "' (1 is known)");
    }
    std::set<std::string> seen;
    for (const xmlNode* child : host.Children(
             {"options", "messages", "project", "componentTypes", "blocks", "formatter", "page"})) {
      std::string name = Utf8(child->name);
      if (name != "page" && !seen.insert(name).second) {
        xml_.Fail(child, "<host> holds one <" + name + "> only");
      }
      if (name == "options") ReadOptions(child);
      if (name == "messages") ReadMessages(child);
      if (name == "project") ReadProject(child);
      if (name == "componentTypes") ReadComponentTypes(child);
      if (name == "blocks") ReadBlocks(child);
      if (name == "formatter") ReadFormatter(child);
      if (name == "page") ReadPage(child);
    }
    if (data_.pages.empty()) data_.pages = EmptyHostData(base_).pages;
    return std::move(data_);
  }

 private:
  std::u16string BaseDirectory() const { return kpx::ToUtf16(base_.lexically_normal().string()); }

  // A relative path is taken from the host file's directory.
  std::u16string Resolve(const std::u16string& text) const {
    fs::path path(kpx::ToUtf8(text));
    if (path.is_relative()) path = base_ / path;
    path = path.lexically_normal();
    // A trailing separator stays: the library joins such a folder and a file name as they stand.
    const bool folder = !text.empty() && text.back() == u'/';
    if (!path.has_filename() && path.has_relative_path()) path = path.parent_path();
    std::string joined = path.string();
    if (folder && (joined.empty() || joined.back() != '/')) joined += '/';
    return kpx::ToUtf16(joined);
  }

  // value="literal" or path="relative/to/the/host/file": exactly one of the two.
  std::u16string ValueOrPath(const ElementReader& e) const {
    auto value = e.Optional("value");
    auto path = e.Optional("path");
    if (value.has_value() == path.has_value()) {
      e.Fail("<" + e.Name() + "> needs exactly one of the attributes 'value' and 'path'");
    }
    return value ? *value : Resolve(*path);
  }

  // Reads <NAME name="..." value|path="..."/> children into a map, refusing repeated names.
  void ReadValues(const ElementReader& parent, const char* childName, ValueMap& into) {
    for (const xmlNode* node : parent.Children({childName})) {
      ReadValue(ElementReader(xml_, node, {"name", "value", "path"}), into);
    }
  }

  void ReadValue(const ElementReader& e, ValueMap& into) {
    std::u16string name = e.Required("name");
    if (!into.emplace(name, ValueOrPath(e)).second) {
      e.Fail("duplicate <" + e.Name() + "> named '" + kpx::ToUtf8(name) + "'");
    }
  }

  void ReadOptions(const xmlNode* node) {
    ElementReader options(xml_, node, {});
    for (const xmlNode* s : options.Children({"section"})) {
      ElementReader section(xml_, s, {"name"});
      std::u16string name = section.Required("name");
      if (data_.options.count(name)) {
        section.Fail("duplicate <section> named '" + kpx::ToUtf8(name) + "'");
      }
      ReadValues(section, "option", data_.options[name]);
    }
  }

  void ReadMessages(const xmlNode* node) {
    ElementReader messages(xml_, node, {});
    for (const xmlNode* m : messages.Children({"message"})) {
      ElementReader message(xml_, m, {"key"});
      std::u16string key = message.Required("key");
      if (!data_.messages.emplace(key, message.Text()).second) {
        message.Fail("duplicate <message> with key '" + kpx::ToUtf8(key) + "'");
      }
    }
  }

  void ReadProject(const xmlNode* node) {
    ElementReader project(xml_, node, {"directory"});
    ProjectData data;
    auto directory = project.Optional("directory");
    data.directory = directory ? Resolve(*directory) : BaseDirectory();
    for (const xmlNode* child : project.Children({"value", "setting", "item", "translations"})) {
      std::string name = Utf8(child->name);
      if (name == "value")
        ReadValue(ElementReader(xml_, child, {"name", "value", "path"}), data.values);
      if (name == "setting") {
        ReadValue(ElementReader(xml_, child, {"name", "value", "path"}), data.settings);
      }
      if (name == "item") {
        ElementReader item(xml_, child, {"name"});
        std::u16string itemName = item.Required("name");
        if (data.items.count(itemName)) {
          item.Fail("duplicate <item> named '" + kpx::ToUtf8(itemName) + "'");
        }
        ReadValues(item, "property", data.items[itemName].properties);
      }
      if (name == "translations") ReadTranslations(child, data);
    }
    data_.project = std::move(data);
  }

  void ReadTranslations(const xmlNode* node, ProjectData& project) {
    ElementReader translations(xml_, node, {"language"});
    std::u16string language = translations.Required("language");
    if (project.translations.count(language)) {
      translations.Fail("duplicate <translations> for language '" + kpx::ToUtf8(language) + "'");
    }
    ValueMap& texts = project.translations[language];
    for (const xmlNode* t : translations.Children({"translation"})) {
      ElementReader translation(xml_, t, {"name"});
      std::u16string name = translation.Required("name");
      if (!texts.emplace(name, translation.Text()).second) {
        translation.Fail("duplicate <translation> named '" + kpx::ToUtf8(name) + "'");
      }
    }
  }

  void ReadComponentTypes(const xmlNode* node) {
    ElementReader types(xml_, node, {});
    auto& registry = data_.componentTypes.emplace();
    for (const xmlNode* t : types.Children({"type"})) {
      ElementReader type(xml_, t, {"name", "canonical", "container", "simple", "block"});
      std::u16string name = type.Required("name");
      ComponentTypeData data;
      data.canonicalName = type.Optional("canonical").value_or(name);
      data.container = type.Boolean("container", false);
      data.simple = type.Boolean("simple", false);
      data.block = type.Boolean("block", false);
      if (!registry.emplace(kpx::AsciiLowered(name), std::move(data)).second) {
        type.Fail("duplicate <type> named '" + kpx::ToUtf8(name) + "'");
      }
    }
  }

  void ReadBlocks(const xmlNode* node) {
    ElementReader blocks(xml_, node, {});
    for (const xmlNode* b : blocks.Children({"block"})) {
      ElementReader block(xml_, b, {"name", "state1", "state2", "result1", "result2"});
      BlockAnswer answer;
      answer.name = block.Required("name");
      answer.state1 = block.OptionalNumber("state1");
      answer.state2 = block.OptionalNumber("state2");
      answer.result1 = block.OptionalNumber("result1").value_or(-1);
      answer.result2 = block.OptionalNumber("result2").value_or(-1);
      data_.blocks.push_back(std::move(answer));
    }
  }

  void ReadFormatter(const xmlNode* node) {
    ElementReader formatter(xml_, node, {});
    for (const xmlNode* f : formatter.Children({"format"})) {
      ElementReader format(xml_, f, {});
      std::optional<std::u16string> extent;
      std::optional<std::u16string> result;
      for (const xmlNode* part : format.Children({"extent", "result"})) {
        ElementReader reader(xml_, part, {});
        auto& slot = reader.Name() == "extent" ? extent : result;
        if (slot) reader.Fail("<format> holds one <" + reader.Name() + "> only");
        slot = reader.Text();
      }
      if (!extent || !result) format.Fail("<format> needs an <extent> and a <result>");
      if (!data_.formats.emplace(*extent, *result).second) {
        format.Fail("duplicate <format> for the same extent");
      }
    }
  }

  void ReadPage(const xmlNode* node) {
    ElementReader page(xml_, node, {"id", "name", "file", "directory", "isIncluded"});
    PageData data;
    data.id = page.RequiredNumber("id");
    data.name = page.Required("name");
    data.fileName = page.Optional("file");
    auto directory = page.Optional("directory");
    data.directory = directory ? Resolve(*directory) : BaseDirectory();
    if (page.Optional("isIncluded")) {
      data.properties[u"isIncluded"] = page.Boolean("isIncluded", false) ? u"true" : u"false";
    }
    if (!pageIds_.insert(data.id).second) page.Fail("duplicate page id " + std::to_string(data.id));
    if (!pageNames_.insert(data.name).second) {
      page.Fail("duplicate page name '" + kpx::ToUtf8(data.name) + "'");
    }
    componentIds_.clear();
    siblingNames_.clear();
    bool hasTemplate = false;
    for (const xmlNode* child : page.Children({"template", "property", "component"})) {
      std::string name = Utf8(child->name);
      if (name == "template") {
        if (hasTemplate) xml_.Fail(child, "<page> holds one <template> only");
        hasTemplate = true;
        data.templateText = ReadTemplate(child);
      }
      if (name == "property") {
        ReadValue(ElementReader(xml_, child, {"name", "value", "path"}), data.properties);
      }
      if (name == "component") data.topLevel.push_back(ReadComponent(child, -1, data));
    }
    data_.pages.push_back(std::move(data));
  }

  std::u16string ReadTemplate(const xmlNode* node) {
    ElementReader element(xml_, node, {"file"});
    std::u16string inlineText = element.Text();
    auto file = element.Optional("file");
    if (!file) return inlineText;
    if (!inlineText.empty()) element.Fail("<template> takes either a file or text, not both");
    std::u16string path = Resolve(*file);
    std::string error;
    auto bytes = reader_(fs::path(kpx::ToUtf8(path)), &error);
    if (!bytes) element.Fail("cannot read the template: " + error);
    DecodedInput decoded = DecodeInput(*bytes);
    if (decoded.text.IsNull()) {
      element.Fail("template " + kpx::ToUtf8(path) + ": " + decoded.error);
    }
    return decoded.text.Str();
  }

  // Reads a component and its nested components into the page's flat list; returns its index.
  int ReadComponent(const xmlNode* node, int parent, PageData& page) {
    ElementReader element(xml_, node, {"id", "name", "type", "element", "container", "position"});
    ComponentData data;
    data.id = element.RequiredNumber("id");
    data.name = element.Required("name");
    data.type = element.Required("type");
    data.elementName = element.Optional("element").value_or(data.type);
    data.container = element.Boolean("container", false);
    data.position = element.OptionalNumber("position");
    data.parent = parent;
    if (!componentIds_.insert(data.id).second) {
      element.Fail("duplicate component id " + std::to_string(data.id) + " in this page");
    }
    if (!siblingNames_.insert({parent, kpx::AsciiLowered(data.name)}).second) {
      element.Fail("duplicate component name '" + kpx::ToUtf8(data.name) + "' at this level");
    }
    int index = static_cast<int>(page.components.size());
    page.components.push_back(std::move(data));
    for (const xmlNode* child :
         element.Children({"property", "typeProperty", "html", "component"})) {
      std::string name = Utf8(child->name);
      if (name == "property") {
        ReadValue(ElementReader(xml_, child, {"name", "value", "path"}),
                  page.components[index].properties);
      }
      if (name == "typeProperty") {
        ReadValue(ElementReader(xml_, child, {"name", "value", "path"}),
                  page.components[index].typeProperties);
      }
      if (name == "html") {
        ElementReader html(xml_, child, {});
        if (page.components[index].html) html.Fail("<component> holds one <html> only");
        page.components[index].html = html.Text();
      }
      if (name == "component") {
        int childIndex = ReadComponent(child, index, page);
        page.components[index].children.push_back(childIndex);
      }
    }
    return index;
  }

  const LocatedXml& xml_;
  fs::path base_;
  const HostFileReader& reader_;
  HostData data_;
  std::set<LONG> pageIds_;
  std::set<std::u16string> pageNames_;
  std::set<LONG> componentIds_;                            // of the page being read
  std::set<std::pair<int, std::u16string>> siblingNames_;  // (parent, lower-cased name)
};

}  // namespace

HostFileReader DiskFileReader() {
  return [](const fs::path& path, std::string* error) -> std::optional<std::string> {
    std::error_code ec;
    if (fs::is_directory(path, ec)) {
      *error = path.string() + " is a directory";
      return std::nullopt;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
      *error = path.string() + ": " + std::strerror(errno);
      return std::nullopt;
    }
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
}

HostData ParseHostFile(std::string_view bytes, const std::string& displayName,
                       const fs::path& baseDirectory, const HostFileReader& reader) {
  LocatedXml xml(bytes, displayName);
  return HostFileParser(xml, baseDirectory, reader).Parse();
}

HostData LoadHostFile(const std::string& path) {
  std::string error;
  auto bytes = DiskFileReader()(fs::path(path), &error);
  if (!bytes) throw HostFileError("cannot read host file " + error);
  std::error_code ec;
  fs::path base = fs::absolute(fs::path(path), ec).parent_path();
  return ParseHostFile(*bytes, path, base, DiskFileReader());
}

HostData EmptyHostData(const fs::path& baseDirectory) {
  HostData data;
  PageData page;
  page.id = 1;
  page.name = u"Page";
  page.directory = kpx::ToUtf16(baseDirectory.lexically_normal().string());
  data.pages.push_back(std::move(page));
  return data;
}

}  // namespace x2x
