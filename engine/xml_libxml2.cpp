// XML reading with libxml2.
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include <cstdio>

#include "engine/xml_document.h"

namespace {

// Keeps the line of the first error: later ones are only its consequences.
void KeepFirstErrorLine(void* firstLine, xmlErrorPtr error) {
  int* line = static_cast<int*>(firstLine);
  if (*line == 0 && error != nullptr) {
    *line = error->line;
  }
}

void Convert(xmlNode* node, XmlElement* element) {
  element->name = reinterpret_cast<const char*>(node->name);
  element->line = static_cast<int>(xmlGetLineNo(node));
  for (xmlAttr* attribute = node->properties; attribute != nullptr; attribute = attribute->next) {
    xmlChar* value = xmlNodeListGetString(node->doc, attribute->children, 1);
    element->attributes.emplace_back(reinterpret_cast<const char*>(attribute->name),
                                     value != nullptr ? reinterpret_cast<const char*>(value) : "");
    xmlFree(value);
  }
  for (xmlNode* child = node->children; child != nullptr; child = child->next) {
    if (child->type == XML_ELEMENT_NODE) {
      element->children.emplace_back();
      Convert(child, &element->children.back());
    }
  }
}

// The path's bytes, by the mirror of the program's conversion: each unit up
// to 0xFF is the byte of the same value.
std::string NarrowPath(const char16_t* path) {
  std::string narrow;
  for (const char16_t* unit = path; *unit != 0; ++unit) {
    narrow.push_back(*unit <= 0xFF ? static_cast<char>(*unit) : '?');
  }
  return narrow;
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
  while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
    bytes.append(chunk, got);
  }
  bool readFailed = std::ferror(file) != 0;
  std::fclose(file);
  // A configuration file is a few kilobytes; anything past this is not one.
  if (readFailed || bytes.size() > MAX_XML_BYTES) {
    return XmlReadResult::CannotOpen;
  }

  int firstErrorLine = 0;
  xmlSetStructuredErrorFunc(&firstErrorLine, KeepFirstErrorLine);
  xmlDoc* document = xmlReadMemory(bytes.data(), static_cast<int>(bytes.size()), "configuration.xml", nullptr,
                                   XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING);
  xmlSetStructuredErrorFunc(nullptr, nullptr);
  if (document == nullptr) {
    *errorLine = firstErrorLine;
    return XmlReadResult::NotWellFormed;
  }
  Convert(xmlDocGetRootElement(document), root);
  xmlFreeDoc(document);
  return XmlReadResult::Ok;
}
