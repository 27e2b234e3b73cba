// XML reading with XmlLite, the XML reader built into Windows.
//
// xmllite.dll is bound at run time: it is part of every Windows since XP,
// but mingw-w64 ships no import library for it.
#include <shlwapi.h>
#include <windows.h>
#include <xmllite.h>

#include "engine/xml_document.h"

namespace {

using CreateXmlReaderFn = HRESULT(WINAPI*)(REFIID, void**, IMalloc*);

std::string ToUtf8(const WCHAR* text, UINT length) {
  if (length == 0) {
    return std::string();
  }
  int size = WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text, static_cast<int>(length), &utf8[0], size, nullptr, nullptr);
  return utf8;
}

std::string LocalName(IXmlReader* reader) {
  const WCHAR* name = nullptr;
  UINT length = 0;
  reader->GetLocalName(&name, &length);
  return ToUtf8(name, length);
}

// Returned when elements nest deeper than MAX_XML_DEPTH.
constexpr HRESULT TOO_DEEP = static_cast<HRESULT>(0xA0DE0001);

// Reads the whole document into `root`; S_OK when it is well-formed.
HRESULT ReadDocument(IXmlReader* reader, XmlElement* root) {
  std::vector<XmlElement*> open;
  bool haveRoot = false;
  XmlNodeType type;
  HRESULT result;
  while ((result = reader->Read(&type)) == S_OK) {
    if (type == XmlNodeType_Element) {
      if (open.size() >= MAX_XML_DEPTH) {
        return TOO_DEEP;
      }
      XmlElement* element = root;
      if (!open.empty()) {
        open.back()->children.emplace_back();
        element = &open.back()->children.back();
      } else if (haveRoot) {
        return E_FAIL;
      }
      haveRoot = true;
      element->name = LocalName(reader);
      bool empty = reader->IsEmptyElement() != FALSE;
      for (HRESULT attribute = reader->MoveToFirstAttribute(); attribute == S_OK;
           attribute = reader->MoveToNextAttribute()) {
        const WCHAR* value = nullptr;
        UINT length = 0;
        reader->GetValue(&value, &length);
        std::string name = LocalName(reader);
        element->attributes.emplace_back(name, ToUtf8(value, length));
      }
      reader->MoveToElement();
      if (!empty) {
        open.push_back(element);
      }
    } else if (type == XmlNodeType_EndElement && !open.empty()) {
      open.pop_back();
    }
  }
  return result == S_FALSE && haveRoot ? S_OK : (FAILED(result) ? result : E_FAIL);
}

}  // namespace

XmlReadResult ReadXmlFile(const char16_t* path, XmlElement* root, int* errorLine) {
  IStream* stream = nullptr;
  if (FAILED(SHCreateStreamOnFileW(reinterpret_cast<const wchar_t*>(path), STGM_READ | STGM_SHARE_DENY_WRITE,
                                   &stream))) {
    return XmlReadResult::CannotOpen;
  }
  STATSTG status = {};
  if (SUCCEEDED(stream->Stat(&status, STATFLAG_NONAME)) && status.cbSize.QuadPart > MAX_XML_BYTES) {
    stream->Release();
    return XmlReadResult::CannotOpen;
  }

  static CreateXmlReaderFn createXmlReader = nullptr;
  if (createXmlReader == nullptr) {
    HMODULE xmllite = LoadLibraryW(L"xmllite.dll");
    if (xmllite != nullptr) {
      createXmlReader = reinterpret_cast<CreateXmlReaderFn>(
          reinterpret_cast<void (*)()>(GetProcAddress(xmllite, "CreateXmlReader")));
    }
  }
  IXmlReader* reader = nullptr;
  if (createXmlReader == nullptr ||
      FAILED(createXmlReader(__uuidof(IXmlReader), reinterpret_cast<void**>(&reader), nullptr))) {
    stream->Release();
    return XmlReadResult::CannotOpen;
  }
  // No DTD processing: no entity expansion, nothing fetched from outside.
  reader->SetProperty(XmlReaderProperty_DtdProcessing, DtdProcessing_Prohibit);
  HRESULT result = reader->SetInput(stream);
  if (SUCCEEDED(result)) {
    result = ReadDocument(reader, root);
  }
  XmlReadResult outcome = XmlReadResult::Ok;
  if (result == TOO_DEEP) {
    outcome = XmlReadResult::TooDeep;
  } else if (FAILED(result)) {
    UINT line = 0;
    reader->GetLineNumber(&line);
    *errorLine = static_cast<int>(line);
    outcome = XmlReadResult::NotWellFormed;
  }
  reader->Release();
  stream->Release();
  return outcome;
}
