// AFKissXMLResponseSerializer: the API client's response serializer. Validates status and content type
// and parses the body into an XML document, also for error statuses, so that failure callbacks get both
// the validation error and the back end's error document.
//
// Thread contract: stateless after construction; any thread.
#pragma once

#include "Foundation/Error.h"
#include "Platform/HttpResponse.h"
#include "Utilities/XMLDocument.h"

#include <memory>
#include <set>
#include <string>
#include <string_view>

namespace movra {

class AFKissXMLResponseSerializer {
  public:
    static std::shared_ptr<AFKissXMLResponseSerializer> serializer();

    /// "application/xml", "text/xml", "application/rss+xml".
    const std::set<std::string, std::less<>>& acceptableContentTypes() const { return acceptableContentTypes_; }

    /// Status 200-299 and an acceptable content type (not checked for an empty body); false with *error
    /// (domain kResponseSerializationErrorDomain: -1011 for the status, -1016 for the content type)
    /// otherwise. When both fail the error is the status one, the content-type error under
    /// "NSUnderlyingError".
    bool validateResponse(const HttpResponse* response, std::string_view data, ErrorPtr* error) const;

    /// The parsed body, or nullptr: for an unacceptable content type (with that error), for an empty body,
    /// and for a body that is not well-formed (*error keeps the validation error if there was one, else the
    /// parse error). *error holds the validation error also when a document is returned.
    XMLDocumentPtr responseObjectForResponse(const HttpResponse* response, std::string_view data,
                                             ErrorPtr* error) const;

  private:
    std::set<std::string, std::less<>> acceptableContentTypes_{"application/xml", "text/xml", "application/rss+xml"};
};

}  // namespace movra
