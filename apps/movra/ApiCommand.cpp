#include "movra/ApiCommand.h"

#include "API/MVHTTPClient.h"
#include "Foundation/Strings.h"
#include "movra/ClientSession.h"
#include "movra/Output.h"

#include <iostream>

namespace movra::cli {

namespace {

struct Outcome {
    bool done = false;
    HttpTaskPtr task;
    ErrorPtr error;
};

}  // namespace

int ApiCommand::run(const GlobalOptions& options) const {
    Json params = Json::object();
    for (const auto& p : parameters) {
        auto eq = p.find('=');
        if (eq == std::string::npos || eq == 0) {
            std::cerr << "movra: parameter \"" << p << "\" is not KEY=VALUE" << std::endl;
            return 2;
        }
        params[p.substr(0, eq)] = p.substr(eq + 1);
    }
    ClientSession session(options);
    if (auto error = session.open()) {
        std::cerr << "movra: " << error->localizedDescription << std::endl;
        return 2;
    }

    Outcome outcome;
    if (auto hostError = session.checkRegion()) {
        outcome.done = true;
        outcome.error = hostError;
    } else {
        auto client = session.client();
        auto record = [&outcome](const HttpTaskPtr& task, const XMLDocumentPtr& document, const ErrorPtr& error) {
            outcome.task = task;
            // An error document explains a failure better than the HTTP status does.
            auto stravo = MVHTTPClient::parseStravoErrorFromDocument(document);
            outcome.error = stravo ? stravo : error;
            outcome.done = true;
        };
        auto standardFailure = client->onFailure(nullptr);
        outcome.task = client->commonRequestWithMethod(
            toUpper(method), path, params, /*ignoreCache=*/true,
            [record](const HttpTaskPtr& task, const XMLDocumentPtr& document) { record(task, document, nullptr); },
            [record, standardFailure](const HttpTaskPtr& task, const XMLDocumentPtr& document, const ErrorPtr& error) {
                record(task, document, error);
                standardFailure(task, document, error);
            });
        // Without an answer (interrupted) there is nothing to print.
        if (!session.wait([&outcome] { return outcome.done; }, -1)) return 1;
    }

    auto response = outcome.task ? outcome.task->response() : nullptr;
    auto body = outcome.task ? outcome.task->responseBody() : nullptr;
    Json result = {{"url", outcome.task ? Json(outcome.task->request().url) : Json(nullptr)},
                   {"status", response ? Json(response->statusCode) : Json(nullptr)},
                   {"error", errorObject(outcome.error)},
                   {"body", body ? Json(*body) : Json(nullptr)}};
    if (options.json) {
        std::cout << result.dump(2, ' ', false, Json::error_handler_t::replace) << std::endl;
    } else {
        if (outcome.task) std::cout << outcome.task->request().method << " " << outcome.task->request().url << "\n";
        if (response) std::cout << "HTTP " << response->statusCode << "\n";
        if (outcome.error) std::cout << "Error: " << outcome.error->summary() << "\n";
        if (body) std::cout << "\n" << *body << (endsWith(*body, "\n") ? "" : "\n");
        std::cout.flush();
    }
    return outcome.error ? 1 : 0;
}

}  // namespace movra::cli
