// MTLXMLAdapter: the model adapter that turns an XML node into a record object.
//
// A record class T provides
//   static const XMLModelClass& modelClass();                                  // its key paths
//   static std::shared_ptr<T> modelWithDictionary(const Json&, ErrorPtr*);     // creation from values
// Every property in modelClass().propertyKeys is read: from its key path when listed, from the element
// of its own name when not, not at all when listed as nullopt. The values are read exactly as
// MVXMLDictonarySerializer reads them (transformers, null for a nil transformer result).
//
// Thread contract: as MVXMLDictonarySerializer; record creation may have its own rules (MVAccount).
#pragma once

#include "Foundation/Error.h"
#include "Foundation/Json.h"
#include "Utilities/MVXMLDictonarySerializer.h"
#include "Utilities/XMLModelClass.h"
#include "Utilities/XMLNode.h"

#include <memory>
#include <optional>

namespace movra {

inline constexpr const char* kMTLXMLAdapterErrorDomain = "MTLXMLAdapterErrorDomain";
/// The node holds no element at the class's XPathPrefix.
inline constexpr std::int64_t kMTLXMLAdapterErrorNoElement = 1;

class MTLXMLAdapter {
  public:
    /// The record read from `node`, or nullptr: with *error for a mapping error, and for a node without
    /// the record's element unless the class says missingElementIsError = false.
    template <class T>
    static std::shared_ptr<T> modelOfClass(const XMLNode& node, ErrorPtr* error = nullptr) {
        auto dictionary = dictionaryFromNode(node, adaptedClass<T>(), error);
        if (!dictionary) return nullptr;
        return T::modelWithDictionary(*dictionary, error);
    }

    /// The array transformer of the adapter: one dictionary per element node, read as modelOfClass<T>
    /// reads it; the record's modelWithDictionary turns them into records.
    template <class T>
    static XMLTransformer XMLArrayTransformerWithModelClass() {
        return MVXMLDictonarySerializer::XMLArrayTransformerWithModelClass(adaptedClass<T>());
    }

    /// `modelClass` with every property of propertyKeys in its key-path list (own name when missing).
    static XMLModelClass adaptedClass(const XMLModelClass& modelClass);
    /// The values of an adapted class read from `node`; see modelOfClass for nil and errors.
    static std::optional<Json> dictionaryFromNode(const XMLNode& node, const XMLModelClass& adapted, ErrorPtr* error);

  private:
    template <class T>
    static const XMLModelClass& adaptedClass() {
        static const XMLModelClass adapted = adaptedClass(T::modelClass());
        return adapted;
    }
};

}  // namespace movra
