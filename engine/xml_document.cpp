#include "engine/xml_document.h"

const std::string* FindAttribute(const XmlElement& element, const char* name) {
  for (const auto& attribute : element.attributes) {
    if (attribute.first == name) {
      return &attribute.second;
    }
  }
  return nullptr;
}
