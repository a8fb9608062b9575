// MVXMLDictonarySerializer: turns an XML node into a dictionary by the key paths of a record class, and
// the ready-made value transformers those classes use.
//
// Thread contract: every operation may run on any thread; nodes of one document may be mapped
// concurrently.
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/XMLModelClass.h"
#include "Utilities/XMLNode.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace movra {

inline constexpr const char* kMVXMLDictionarySerializerErrorDomain = "MVXMLDictionarySerializerErrorDomain";
/// User-info key of the exception that stopped the mapping.
inline constexpr const char* kMVXMLDictionarySerializerThrownExceptionErrorKey =
    "MVXMLDictionarySerializerThrownExceptionErrorKey";

enum MVXMLDictionarySerializerErrorCode : std::int64_t {
    MVXMLDictionarySerializerErrorThrownException = 1,
    MVXMLDictionarySerializerErrorNoModelClass = 2,
};

class MVXMLDictonarySerializer {
  public:
    /// The dictionary of `node` read with `modelClass` (or the class its classForParsingXML chooses).
    /// nullopt without error when the node holds nothing at the class's XPathPrefix or when an XPath uses a
    /// prefix the document does not declare; nullopt with *error for an invalid XPath, a missing class or
    /// an exception while reading. A key path that matches nothing leaves its property absent; a
    /// transformer that gives nil stores null.
    static std::optional<Json> dictionaryFromNode(const XMLNode& node, const XMLModelClass& modelClass,
                                                  ErrorPtr* error = nullptr);
    /// The class's "<key>XMLTransformer", else its XMLTransformerForKey(key), else nullptr.
    static XMLTransformer XMLTransformerForKey(const std::string& key, const XMLModelClass& modelClass);

    /// Integer value of the first node's text; nil for no node or empty text (never 0 for "").
    static XMLTransformer XMLTransformerForInteger();
    /// The first node's text as a URL string; nil for no node or text that cannot be a URL.
    static XMLTransformer XMLTransformerForURL();
    /// The dictionary of the first node; nil for no node.
    static XMLTransformer XMLTransformerWithModelClass(const XMLModelClass& modelClass);
    /// The dictionaries of every element node; nodes that are not elements or give nil are skipped.
    static XMLTransformer XMLArrayTransformerWithModelClass(const XMLModelClass& modelClass);
    /// Per node the class chosen by the base class's classForParsingXML, then its dictionary; nil for no
    /// nodes, nodes without a class or dictionary are skipped.
    static XMLTransformer XMLNonUniformObjectArrayTransformerWithModelClass(const XMLModelClass& baseClass);
};

}  // namespace movra
