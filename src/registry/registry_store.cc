// The registry store: an in-memory key tree read from and written to one XML file.
#include "registry/registry_store.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <libxml/globals.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "base/ascii_case.h"
#include "base/utf.h"

namespace kpx {

struct RegistryStore::Key {
  std::u16string name;
  std::vector<std::pair<std::u16string, std::u16string>> values;  // name, data
  std::vector<std::unique_ptr<Key>> children;

  Key() = default;
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  // Takes the subtree apart level by level: a key path deep enough would overflow the stack if
  // each key's destructor destroyed its children.
  ~Key() {
    try {
      std::vector<std::unique_ptr<Key>> doomed = std::move(children);
      while (!doomed.empty()) {
        std::unique_ptr<Key> key = std::move(doomed.back());
        doomed.pop_back();
        if (!key) continue;  // a slot left empty by an interrupted build or copy
        for (auto& child : key->children) {
          if (child) doomed.push_back(std::move(child));
        }
        key->children.clear();
      }
    } catch (...) {
      // Out of memory for the list: what is left goes the plain way.
    }
  }
};

namespace {

constexpr const char* kHiveNames[2] = {"HKEY_CLASSES_ROOT", "HKEY_CURRENT_USER"};

// What libxml2 allocated, freed on every way out (a copy of it may run out of memory).
struct XmlFreeText {
  void operator()(xmlChar* text) const { xmlFree(text); }
};
using XmlText = std::unique_ptr<xmlChar, XmlFreeText>;
struct XmlFreeParser {
  void operator()(xmlParserCtxt* ctxt) const { xmlFreeParserCtxt(ctxt); }
};

const char* Chars(const XmlText& text) {
  return text ? reinterpret_cast<const char*>(text.get()) : "";
}

std::vector<std::u16string_view> SplitKeyPath(std::u16string_view path) {
  std::vector<std::u16string_view> parts;
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(u'\\', start);
    if (end == std::u16string_view::npos) end = path.size();
    if (end > start) parts.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return parts;
}

RegistryStore::Key* Child(const RegistryStore::Key& key, std::u16string_view name) {
  for (const auto& child : key.children) {
    if (EqualsIgnoringAsciiCase(child->name, name)) return child.get();
  }
  return nullptr;
}

// libxml2 writes some failures (a bad encoding, a failed conversion) to standard error unless
// told otherwise; the store reports failures by its own errors, so while it calls libxml2 this
// thread's channels go nowhere.
class QuietLibxml {
 public:
  QuietLibxml()
      : generic_(xmlGenericError),
        generic_context_(xmlGenericErrorContext),
        structured_(xmlStructuredError),
        structured_context_(xmlStructuredErrorContext) {
    xmlSetGenericErrorFunc(nullptr, &Ignore);
    xmlSetStructuredErrorFunc(nullptr, &IgnoreStructured);
  }
  ~QuietLibxml() {
    xmlSetStructuredErrorFunc(structured_context_, structured_);
    xmlSetGenericErrorFunc(generic_context_, generic_);
  }
  QuietLibxml(const QuietLibxml&) = delete;
  QuietLibxml& operator=(const QuietLibxml&) = delete;

 private:
  static void Ignore(void*, const char*, ...) {}
  static void IgnoreStructured(void*, xmlError*) {}

  xmlGenericErrorFunc generic_;
  void* generic_context_;
  xmlStructuredErrorFunc structured_;
  void* structured_context_;
};

[[noreturn]] void Fail(HRESULT code, const std::string& message) {
  throw RegistryError(code, message);
}

std::string AttributeOf(xmlNode* node, const char* name) {
  return Chars(XmlText(xmlGetProp(node, reinterpret_cast<const xmlChar*>(name))));
}

bool HasAttribute(xmlNode* node, const char* name) {
  return xmlHasProp(node, reinterpret_cast<const xmlChar*>(name)) != nullptr;
}

bool IsElement(xmlNode* node, const char* name) {
  return node->type == XML_ELEMENT_NODE &&
         std::strcmp(reinterpret_cast<const char*>(node->name), name) == 0;
}

std::string Where(const std::string& path, xmlNode* node) {
  return path + ":" + std::to_string(xmlGetLineNo(node)) + ": ";
}

// Reads the children of a <key> (or <hive>) element into key; explicit stack for deep trees.
void ReadKeys(const std::string& path, xmlNode* element, RegistryStore::Key* key) {
  std::vector<std::pair<xmlNode*, RegistryStore::Key*>> stack{{element, key}};
  while (!stack.empty()) {
    auto [node, target] = stack.back();
    stack.pop_back();
    for (xmlNode* child = node->children; child; child = child->next) {
      if (child->type != XML_ELEMENT_NODE) continue;
      if (IsElement(child, "key")) {
        if (!HasAttribute(child, "name"))
          Fail(REGDB_E_READREGDB, Where(path, child) + "key without a name");
        auto sub = std::make_unique<RegistryStore::Key>();
        sub->name = ToUtf16(AttributeOf(child, "name"));
        stack.emplace_back(child, sub.get());
        target->children.push_back(std::move(sub));
      } else if (IsElement(child, "value")) {
        std::u16string data = ToUtf16(Chars(XmlText(xmlNodeGetContent(child))));
        target->values.emplace_back(ToUtf16(AttributeOf(child, "name")), std::move(data));
      } else {
        Fail(REGDB_E_READREGDB, Where(path, child) + "unexpected element <" +
                                    reinterpret_cast<const char*>(child->name) + ">");
      }
    }
  }
}

xmlNode* Checked(xmlNode* node) {
  if (!node) throw std::bad_alloc();
  return node;
}

// Writes key's values and subkeys under parent; explicit stack for deep trees.
void WriteKeys(xmlNode* parent, const RegistryStore::Key& key) {
  std::vector<std::pair<xmlNode*, const RegistryStore::Key*>> stack{{parent, &key}};
  while (!stack.empty()) {
    auto [node, source] = stack.back();
    stack.pop_back();
    for (const auto& [name, data] : source->values) {
      xmlNode* value =
          Checked(xmlNewTextChild(node, nullptr, reinterpret_cast<const xmlChar*>("value"),
                                  reinterpret_cast<const xmlChar*>(ToUtf8(data).c_str())));
      if (!name.empty()) {
        xmlNewProp(value, reinterpret_cast<const xmlChar*>("name"),
                   reinterpret_cast<const xmlChar*>(ToUtf8(name).c_str()));
      }
    }
    // The subkeys' elements are made here, in order; their contents when they come off the stack.
    for (const auto& child : source->children) {
      xmlNode* element =
          Checked(xmlNewChild(node, nullptr, reinterpret_cast<const xmlChar*>("key"), nullptr));
      xmlNewProp(element, reinterpret_cast<const xmlChar*>("name"),
                 reinterpret_cast<const xmlChar*>(ToUtf8(child->name).c_str()));
      stack.emplace_back(element, child.get());
    }
  }
}

// Indentation stops growing at this depth, so that the dump of a very deep tree stays linear in
// its size.
constexpr std::size_t kMaxDumpIndent = 64;

void DumpValues(std::ostringstream& out, const RegistryStore::Key& key, std::size_t depth) {
  const std::string indent(std::min(depth, kMaxDumpIndent) * 2, ' ');
  for (const auto& [name, data] : key.values) {
    out << indent << (name.empty() ? std::string("(default)") : ToUtf8(name)) << " = \""
        << ToUtf8(data) << "\"\n";
  }
}

// Each key's values, then each subkey's name followed by its own contents one level further in;
// explicit stack for deep trees.
void DumpKeys(std::ostringstream& out, const RegistryStore::Key& root) {
  struct Frame {
    const RegistryStore::Key* key;
    std::size_t next_child;
    std::size_t depth;
  };
  DumpValues(out, root, 1);
  std::vector<Frame> stack{{&root, 0, 1}};
  while (!stack.empty()) {
    Frame& frame = stack.back();
    if (frame.next_child == frame.key->children.size()) {
      stack.pop_back();
      continue;
    }
    const RegistryStore::Key& child = *frame.key->children[frame.next_child++];
    const std::size_t depth = frame.depth;
    out << std::string(std::min(depth, kMaxDumpIndent) * 2, ' ') << ToUtf8(child.name) << "\n";
    DumpValues(out, child, depth + 1);
    stack.push_back({&child, 0, depth + 1});
  }
}

}  // namespace

RegistryStore::RegistryStore(std::string path) : path_(std::move(path)) {
  for (auto& root : roots_) root = std::make_unique<Key>();
}
RegistryStore::RegistryStore(RegistryStore&&) noexcept = default;
RegistryStore& RegistryStore::operator=(RegistryStore&&) noexcept = default;
RegistryStore::~RegistryStore() = default;

std::string RegistryStore::DefaultPath() {
  if (const char* explicit_path = std::getenv("KPX_REGISTRY"); explicit_path && *explicit_path) {
    return explicit_path;
  }
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config) {
    return std::string(config) + "/kpx2x/registry.xml";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/kpx2x/registry.xml";
}

RegistryStore RegistryStore::Load(const std::string& path) {
  RegistryStore store(path);
  std::error_code ec;
  if (!std::filesystem::exists(path, ec)) {
    if (ec) Fail(REGDB_E_READREGDB, path + ": " + ec.message());
    return store;
  }
  // A folder opens like a file but fails on the first read, with an exception of the stream's own.
  if (std::filesystem::is_directory(path, ec)) {
    Fail(REGDB_E_READREGDB, path + ": cannot be read: it is a folder");
  }
  std::ifstream in(path, std::ios::binary);
  if (!in) Fail(REGDB_E_READREGDB, path + ": cannot be read: " + std::strerror(errno));
  std::string bytes;
  try {
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  } catch (const std::ios_base::failure& failure) {
    Fail(REGDB_E_READREGDB, path + ": cannot be read: " + failure.what());
  }

  xmlInitParser();  // sets libxml2's tables up once; its lazy first use races between threads
  QuietLibxml quiet;
  std::unique_ptr<xmlParserCtxt, XmlFreeParser> ctxt(xmlNewParserCtxt());
  if (!ctxt) throw std::bad_alloc();
  xmlDocPtr doc = xmlCtxtReadMemory(
      ctxt.get(), bytes.data(), static_cast<int>(bytes.size()), path.c_str(), nullptr,
      // HUGE: no depth limit, for stores with very deep key paths.
      XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_HUGE);
  if (!doc) {
    const xmlError* error = xmlCtxtGetLastError(ctxt.get());
    std::string message = path + ":";
    if (error) {
      message += std::to_string(error->line) + ":" + std::to_string(error->int2) +
                 ": damaged store: " + (error->message ? error->message : "not XML");
      while (!message.empty() && message.back() == '\n') message.pop_back();
    } else {
      message += " damaged store";
    }
    Fail(REGDB_E_READREGDB, message);
  }
  ctxt.reset();
  std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> holder(doc, xmlFreeDoc);

  xmlNode* root = xmlDocGetRootElement(doc);
  if (!root || !IsElement(root, "registry")) {
    Fail(REGDB_E_READREGDB, path + ": damaged store: the root element is not <registry>");
  }
  for (xmlNode* hive = root->children; hive; hive = hive->next) {
    if (hive->type != XML_ELEMENT_NODE) continue;
    if (!IsElement(hive, "hive")) Fail(REGDB_E_READREGDB, Where(path, hive) + "expected <hive>");
    std::string name = AttributeOf(hive, "name");
    int index = name == kHiveNames[0] ? 0 : name == kHiveNames[1] ? 1 : -1;
    if (index < 0) Fail(REGDB_E_READREGDB, Where(path, hive) + "unknown hive \"" + name + "\"");
    ReadKeys(path, hive, store.roots_[index].get());
  }
  return store;
}

void RegistryStore::Save() const {
  namespace fs = std::filesystem;
  fs::path target(path_);
  std::error_code ec;
  if (target.has_parent_path()) {
    fs::create_directories(target.parent_path(), ec);
    if (ec) Fail(REGDB_E_WRITEREGDB, path_ + ": cannot create folder: " + ec.message());
  }

  xmlInitParser();
  QuietLibxml quiet;
  std::unique_ptr<xmlDoc, void (*)(xmlDocPtr)> doc(
      xmlNewDoc(reinterpret_cast<const xmlChar*>("1.0")), xmlFreeDoc);
  if (!doc) throw std::bad_alloc();
  xmlNode* root = xmlNewNode(nullptr, reinterpret_cast<const xmlChar*>("registry"));
  xmlDocSetRootElement(doc.get(), root);
  for (int i = 0; i < 2; ++i) {
    xmlNode* hive = xmlNewChild(root, nullptr, reinterpret_cast<const xmlChar*>("hive"), nullptr);
    xmlNewProp(hive, reinterpret_cast<const xmlChar*>("name"),
               reinterpret_cast<const xmlChar*>(kHiveNames[i]));
    WriteKeys(hive, *roots_[i]);
  }
  xmlChar* dumped = nullptr;
  int size = 0;
  xmlDocDumpFormatMemoryEnc(doc.get(), &dumped, &size, "UTF-8", 1);
  XmlText text(dumped);
  if (!text) throw std::bad_alloc();
  std::string bytes(Chars(text), static_cast<size_t>(size));

  // Write beside the target, flush to disk, then rename over it.
  std::string temp = path_ + ".tmp." + std::to_string(getpid());
  int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (fd < 0) Fail(REGDB_E_WRITEREGDB, temp + ": cannot be written: " + std::strerror(errno));
  size_t done = 0;
  while (done < bytes.size()) {
    ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      int saved = errno;
      ::close(fd);
      ::unlink(temp.c_str());
      Fail(REGDB_E_WRITEREGDB, temp + ": write failed: " + std::strerror(saved));
    }
    done += static_cast<size_t>(n);
  }
  if (::fsync(fd) != 0 || ::close(fd) != 0) {
    int saved = errno;
    ::unlink(temp.c_str());
    Fail(REGDB_E_WRITEREGDB, temp + ": write failed: " + std::strerror(saved));
  }
  if (::rename(temp.c_str(), path_.c_str()) != 0) {
    int saved = errno;
    ::unlink(temp.c_str());
    Fail(REGDB_E_WRITEREGDB, path_ + ": cannot be replaced: " + std::strerror(saved));
  }
}

void RegistryStore::UpdateLocked(const std::string& path, void (*fn)(RegistryStore&, void*),
                                 void* ctx) {
  namespace fs = std::filesystem;
  std::error_code ec;
  fs::path target(path);
  if (target.has_parent_path()) fs::create_directories(target.parent_path(), ec);
  std::string lock_path = path + ".lock";
  int fd = ::open(lock_path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  if (fd < 0) Fail(REGDB_E_WRITEREGDB, lock_path + ": cannot be opened: " + std::strerror(errno));
  struct Unlock {
    int fd;
    ~Unlock() {
      ::flock(fd, LOCK_UN);
      ::close(fd);
    }
  } unlock{fd};
  while (::flock(fd, LOCK_EX) != 0) {
    if (errno != EINTR) Fail(REGDB_E_WRITEREGDB, lock_path + ": cannot be locked");
  }
  RegistryStore store = Load(path);
  fn(store, ctx);
  store.Save();
}

RegistryStore::Key* RegistryStore::Find(RegistryHive hive, std::u16string_view key) const {
  Key* node = roots_[static_cast<int>(hive)].get();
  for (std::u16string_view part : SplitKeyPath(key)) {
    node = Child(*node, part);
    if (!node) return nullptr;
  }
  return node;
}

RegistryStore::Key& RegistryStore::Make(RegistryHive hive, std::u16string_view key) {
  Key* node = roots_[static_cast<int>(hive)].get();
  for (std::u16string_view part : SplitKeyPath(key)) {
    Key* next = Child(*node, part);
    if (!next) {
      auto fresh = std::make_unique<Key>();
      fresh->name = std::u16string(part);
      next = fresh.get();
      node->children.push_back(std::move(fresh));
    }
    node = next;
  }
  return *node;
}

bool RegistryStore::KeyExists(RegistryHive hive, std::u16string_view key) const {
  return Find(hive, key) != nullptr;
}

void RegistryStore::CreateKey(RegistryHive hive, std::u16string_view key) {
  Make(hive, key);
}

bool RegistryStore::DeleteKey(RegistryHive hive, std::u16string_view key) {
  auto parts = SplitKeyPath(key);
  if (parts.empty()) return false;  // a hive itself is never removed
  Key* parent = roots_[static_cast<int>(hive)].get();
  for (size_t i = 0; i + 1 < parts.size(); ++i) {
    parent = Child(*parent, parts[i]);
    if (!parent) return false;
  }
  auto& children = parent->children;
  for (auto it = children.begin(); it != children.end(); ++it) {
    if (EqualsIgnoringAsciiCase((*it)->name, parts.back())) {
      children.erase(it);
      return true;
    }
  }
  return false;
}

void RegistryStore::SetValue(RegistryHive hive, std::u16string_view key, std::u16string_view name,
                             std::u16string_view value) {
  Key& node = Make(hive, key);
  for (auto& [existing, data] : node.values) {
    if (EqualsIgnoringAsciiCase(existing, name)) {
      data = std::u16string(value);
      return;
    }
  }
  node.values.emplace_back(std::u16string(name), std::u16string(value));
}

std::optional<std::u16string> RegistryStore::GetValue(RegistryHive hive, std::u16string_view key,
                                                      std::u16string_view name) const {
  const Key* node = Find(hive, key);
  if (!node) return std::nullopt;
  for (const auto& [existing, data] : node->values) {
    if (EqualsIgnoringAsciiCase(existing, name)) return data;
  }
  return std::nullopt;
}

bool RegistryStore::DeleteValue(RegistryHive hive, std::u16string_view key,
                                std::u16string_view name) {
  Key* node = Find(hive, key);
  if (!node) return false;
  for (auto it = node->values.begin(); it != node->values.end(); ++it) {
    if (EqualsIgnoringAsciiCase(it->first, name)) {
      node->values.erase(it);
      return true;
    }
  }
  return false;
}

std::vector<std::u16string> RegistryStore::SubKeys(RegistryHive hive,
                                                   std::u16string_view key) const {
  std::vector<std::u16string> names;
  if (const Key* node = Find(hive, key)) {
    for (const auto& child : node->children) names.push_back(child->name);
  }
  return names;
}

std::vector<std::u16string> RegistryStore::ValueNames(RegistryHive hive,
                                                      std::u16string_view key) const {
  std::vector<std::u16string> names;
  if (const Key* node = Find(hive, key)) {
    for (const auto& value : node->values) names.push_back(value.first);
  }
  return names;
}

std::string RegistryStore::Dump() const {
  std::ostringstream out;
  for (int i = 0; i < 2; ++i) {
    out << kHiveNames[i] << "\n";
    DumpKeys(out, *roots_[i]);
  }
  return out.str();
}

}  // namespace kpx
