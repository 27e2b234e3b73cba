#include "engine/xml_document.h"

const std::string* FindAttribute(const XmlElement& element, const char* name) {
  for (const auto& attribute : element.attributes) {
    if (attribute.first == name) {
      return &attribute.second;
    }
  }
  return nullptr;
}

std::string NarrowPath(const char16_t* path) {
  std::string narrow;
  for (const char16_t* unit = path; *unit != 0; ++unit) {
    narrow.push_back(*unit <= 0xFF ? static_cast<char>(*unit) : '?');
  }
  return narrow;
}
