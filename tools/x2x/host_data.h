// What a host file describes: the host application's options, message texts, project, component
// types, block-lookup and formatter answers, and its pages with their components. Loaded once by
// the host file loader and read by the fixture host's objects.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "kpx/com.h"

namespace x2x {

// Named values. Keys compare exactly.
using ValueMap = std::map<std::u16string, std::u16string>;

struct ProjectItemData {
  ValueMap properties;
};

struct ProjectData {
  std::u16string directory;                         // absolute
  ValueMap values;                                  // HostProject get/set value
  ValueMap settings;                                // HostProjectSettings
  std::map<std::u16string, ProjectItemData> items;  // by item name
  std::map<std::u16string, ValueMap> translations;  // language -> resource name -> text
};

// The host's answer for one component type.
struct ComponentTypeData {
  std::u16string canonicalName;
  bool container = false;
  bool simple = false;
  bool block = false;
};

// One answer of the template block lookup; unset states match any value.
struct BlockAnswer {
  std::u16string name;  // compared without regard to ASCII case
  std::optional<LONG> state1;
  std::optional<LONG> state2;
  LONG result1 = -1;
  LONG result2 = -1;
};

// What the formatter makes of one exact extent of design HTML.
struct FormatAnswer {
  std::u16string extent;
  std::u16string result;
};

// A component of a page. Components of a page sit in one flat list; parent and children are
// indexes into it (parent -1: the page itself).
struct ComponentData {
  LONG id = 0;
  std::u16string name;
  std::u16string type;
  std::u16string elementName;
  bool container = false;
  ValueMap properties;
  ValueMap typeProperties;
  std::optional<std::u16string> html;
  std::optional<LONG> position;  // where the editor shows it; none: it reports no position
  int parent = -1;
  std::vector<int> children;
};

struct PageData {
  LONG id = 0;
  std::u16string name;
  std::optional<std::u16string> fileName;
  std::u16string directory;  // absolute
  std::u16string templateText;
  ValueMap properties;  // "isIncluded" among them when the page sets it
  std::vector<ComponentData> components;
  std::vector<int> topLevel;  // the page's direct components
};

struct HostData {
  std::map<std::u16string, ValueMap> options;  // section -> name -> value
  ValueMap messages;                           // localizer key -> text
  std::optional<ProjectData> project;
  // Absent: the host keeps no component-type registry. Keys are lower-cased (ASCII).
  std::optional<std::map<std::u16string, ComponentTypeData>> componentTypes;
  std::vector<BlockAnswer> blocks;
  std::map<std::u16string, std::u16string> formats;  // extent -> result
  std::vector<PageData> pages;                       // never empty once loaded
};

}  // namespace x2x
