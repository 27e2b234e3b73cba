// XML reading with pugixml: small, no DTD processing and no external
// entities at all, so nothing outside the file is ever read.
#include <cstdio>
#include <pugixml.hpp>

#include "engine/xml_document.h"

namespace {

// pugixml reports where parsing stopped as a byte offset into the file;
// the message names the line.
int LineAt(const std::string& bytes, ptrdiff_t offset) {
  int line = 1;
  for (ptrdiff_t i = 0; i < offset && static_cast<size_t>(i) < bytes.size(); ++i) {
    if (bytes[static_cast<size_t>(i)] == '\n') {
      ++line;
    }
  }
  return line;
}

// The depth of the deepest element under `top`, counted without recursion;
// stops counting past MAX_XML_DEPTH.
size_t Depth(const pugi::xml_node& top) {
  size_t deepest = 1;
  size_t depth = 1;
  pugi::xml_node node = top;
  for (;;) {
    pugi::xml_node child = node.first_child();
    while (child && child.type() != pugi::node_element) {
      child = child.next_sibling();
    }
    if (child && depth <= MAX_XML_DEPTH) {
      node = child;
      ++depth;
      if (depth > deepest) {
        deepest = depth;
      }
      continue;
    }
    // Up until a later sibling element is found.
    for (;;) {
      if (node == top) {
        return deepest;
      }
      pugi::xml_node sibling = node.next_sibling();
      while (sibling && sibling.type() != pugi::node_element) {
        sibling = sibling.next_sibling();
      }
      if (sibling) {
        node = sibling;
        break;
      }
      node = node.parent();
      --depth;
    }
  }
}

// Recursive, over a tree no deeper than MAX_XML_DEPTH.
void Convert(const pugi::xml_node& node, XmlElement* element) {
  element->name = node.name();
  for (const pugi::xml_attribute& attribute : node.attributes()) {
    element->attributes.emplace_back(attribute.name(), attribute.value());
  }
  for (const pugi::xml_node& child : node.children()) {
    if (child.type() == pugi::node_element) {
      element->children.emplace_back();
      Convert(child, &element->children.back());
    }
  }
}

}  // namespace

XmlReadResult ReadXmlFile(const char16_t* path, XmlElement* root, int* errorLine) {
  std::FILE* file = std::fopen(NarrowPath(path).c_str(), "rb");
  if (file == nullptr) {
    return XmlReadResult::CannotOpen;
  }
  std::string bytes;
  char chunk[4096];
  size_t got;
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0 && bytes.size() <= MAX_XML_BYTES) {
    bytes.append(chunk, got);
  }
  bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  // A configuration file is a few kilobytes; anything past this is not one.
  if (readFailed || bytes.size() > MAX_XML_BYTES) {
    return XmlReadResult::CannotOpen;
  }

  // As a fragment, pugixml keeps what stands outside the root element, so
  // that a second root or stray text is refused as XML refuses it, rather
  // than quietly dropped.
  pugi::xml_document document;
  pugi::xml_parse_result parsed =
      document.load_buffer(bytes.data(), bytes.size(), pugi::parse_default | pugi::parse_fragment);
  if (!parsed) {
    *errorLine = LineAt(bytes, parsed.offset);
    return XmlReadResult::NotWellFormed;
  }
  pugi::xml_node top;
  for (const pugi::xml_node& node : document.children()) {
    bool outsideRoot = node.type() == pugi::node_pcdata || node.type() == pugi::node_cdata ||
                       (node.type() == pugi::node_element && top);
    if (outsideRoot) {
      *errorLine = LineAt(bytes, node.offset_debug());
      return XmlReadResult::NotWellFormed;
    }
    if (node.type() == pugi::node_element) {
      top = node;
    }
  }
  if (!top) {
    *errorLine = LineAt(bytes, static_cast<ptrdiff_t>(bytes.size()));
    return XmlReadResult::NotWellFormed;
  }
  if (Depth(top) > MAX_XML_DEPTH) {
    return XmlReadResult::TooDeep;
  }
  Convert(top, root);
  return XmlReadResult::Ok;
}
