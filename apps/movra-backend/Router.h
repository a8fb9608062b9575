// Router: the emulator's dispatch table. Each route names the face of the service it belongs to, which
// decides whether requests to it are logged and subject to faults, and how failures are written.
//
// Thread contract: routes are added before the server starts; match() runs on worker threads.
#pragma once

#include <functional>
#include <regex>
#include <string>
#include <vector>

namespace httplib {
struct Request;
struct Response;
}  // namespace httplib

namespace movra::backend {

class Router {
  public:
    enum class Face {
        Control,        // the emulator's own endpoints: not logged, no faults
        Discriminator,  // JSON answers, failures as {"errorCode": ...}
        ClientApi,      // XML answers, failures as error documents
        Analytics,      // hits: queued faults apply, the service-wide switches do not; failures are bare statuses
        Media,          // streams, seek pictures and content keys: as Analytics
    };
    /// `match` holds the route pattern's groups, matched against the request path.
    using Handler = std::function<void(const httplib::Request&, httplib::Response&, const std::smatch& match)>;

    struct Route {
        std::string method;
        std::regex pattern;
        Face face;
        Handler handler;
    };

    /// `pattern` must match the whole path.
    void add(std::string method, const std::string& pattern, Face face, Handler handler);
    /// The first route for `method` (HEAD also finds GET routes) whose pattern matches `path`, or nullptr.
    const Route* match(const std::string& method, const std::string& path, std::smatch& match) const;

  private:
    std::vector<Route> routes_;
};

}  // namespace movra::backend
