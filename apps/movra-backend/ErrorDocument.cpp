// The client API's error document.
#include "movra-backend/ErrorDocument.h"

#include "movra-backend/XmlWriter.h"

#include <httplib.h>

namespace movra::backend {

ErrorDocument ErrorDocument::geoBlocked() {
    return {"ST1005", "This service is not available in your location.", "Request from a geo-blocked location"};
}

ErrorDocument ErrorDocument::maintenance() {
    return {"ST1009", "The service is down for maintenance. Please try again later.", "Service under maintenance"};
}

std::string ErrorDocument::codeForStatus(int status) { return "ST" + std::to_string(status * 10); }

std::string ErrorDocument::toXml() const {
    XmlWriter xml;
    xml.open("result")
        .element("status", "Failure")
        .element("errorCode", errorCode)
        .element("userMessage", userMessage)
        .element("systemMessage", systemMessage);
    return xml.finish();
}

void ErrorDocument::respond(httplib::Response& response, int status) const {
    response.status = status;
    response.set_content(toXml(), "application/xml");
}

}  // namespace movra::backend
