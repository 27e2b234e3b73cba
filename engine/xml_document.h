// The small in-memory form of an XML file that the stand-in engine works on,
// filled by a well-kept XML reader of the platform.
#pragma once

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

struct XmlElement {
  std::string name;
  std::vector<std::pair<std::string, std::string>> attributes;  // values in UTF-8
  std::vector<XmlElement> children;                             // elements only
};

// TooDeep: well-formed, but nested deeper than any configuration is.
enum class XmlReadResult { Ok, CannotOpen, NotWellFormed, TooDeep };

// Reads and parses the file at `path` (16-bit text), as XML 1.0 says on
// every platform: exactly one root element, and no text outside it. On
// NotWellFormed, `errorLine` is the line the reader stopped at. No DTD,
// external entity or network access is ever made.
XmlReadResult ReadXmlFile(const char16_t* path, XmlElement* root, int* errorLine);

// Files larger than this are refused as unreadable.
constexpr size_t MAX_XML_BYTES = 16u << 20;

// Elements nested deeper than this are refused: a configuration is three
// levels deep, and the in-memory tree is kept shallow enough that building
// and freeing it can never exhaust the stack.
constexpr size_t MAX_XML_DEPTH = 64;

// The path's bytes, by the mirror of the front end's conversion: each unit
// up to 0xFF is the byte of the same value (a wider one becomes '?').
std::string NarrowPath(const char16_t* path);

// The attribute's value, or null when the element has none of that name.
const std::string* FindAttribute(const XmlElement& element, const char* name);
