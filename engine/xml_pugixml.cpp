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

  pugi::xml_document document;
  pugi::xml_parse_result parsed = document.load_buffer(bytes.data(), bytes.size());
  if (!parsed) {
    *errorLine = LineAt(bytes, parsed.offset);
    return XmlReadResult::NotWellFormed;
  }
  pugi::xml_node top = document.document_element();
  if (!top) {
    *errorLine = LineAt(bytes, static_cast<ptrdiff_t>(bytes.size()));
    return XmlReadResult::NotWellFormed;
  }
  Convert(top, root);
  return XmlReadResult::Ok;
}
