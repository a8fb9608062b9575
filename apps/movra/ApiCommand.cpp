#include "movra/ApiCommand.h"

#include <iostream>

#include "API/MVHTTPClient.h"
#include "App/MVDiscriminator.h"
#include "App/MVDiscriminatorClient.h"
#include "Foundation/Strings.h"
#include "Platform/Platform.h"
#include "Platform/PlatformFactory.h"

namespace movra::cli {

namespace {

Json errorObject(const ErrorPtr& error) {
    if (!error) return nullptr;
    return Json{{"domain", error->domain},
                {"code", error->code},
                {"description", error->localizedDescription},
                {"failureReason", error->failureReason}};
}

struct Outcome {
    bool done = false;
    HttpTaskPtr task;
    ErrorPtr error;
};

/// Finds the API host: the override, else the discriminator's answer. Empty with `error` set on failure.
std::string resolveHost(ErrorPtr& error) {
    auto& platform = Platform::current();
    if (const auto& host = platform.configuration().apiHostOverride; !host.empty()) {
        MVDiscriminator::initSharedDiscriminatorWithJSON(MVDiscriminator::answerForAPIHostOverride());
        return host;
    }
    MVDiscriminatorClient client;
    bool done = false;
    std::string host;
    client.getTenantDiscriminatorWithCompletion([&](ErrorPtr e, Json json) {
        done = true;
        error = e;
        if (!e) host = MVDiscriminator::initSharedDiscriminatorWithJSON(json)->url();
    });
    platform.mainQueue().runUntil([&] { return done; }, -1);
    if (!error && host.empty())
        error = makeError(kMovraErrorDomain, kErrorUnexpectedAnswer, "The discriminator named no API host");
    return host;
}

}  // namespace

int ApiCommand::run(const GlobalOptions& options) const {
    Configuration configuration;
    if (auto error = options.makeConfiguration(configuration)) {
        std::cerr << "movra: " << error->localizedDescription << std::endl;
        return 2;
    }
    Json params = Json::object();
    for (const auto& p : parameters) {
        auto eq = p.find('=');
        if (eq == std::string::npos || eq == 0) {
            std::cerr << "movra: parameter \"" << p << "\" is not KEY=VALUE" << std::endl;
            return 2;
        }
        params[p.substr(0, eq)] = p.substr(eq + 1);
    }
    Platform::install(makeSystemPlatform(configuration, std::make_shared<UiHost>(), options.consoleLevel()));
    auto& platform = Platform::current();

    Outcome outcome;
    ErrorPtr hostError;
    const auto host = resolveHost(hostError);
    if (hostError) {
        outcome.done = true;
        outcome.error = hostError;
    } else {
        auto client = MVHTTPClient::initSharedClientWithHost(host);
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
        platform.mainQueue().runUntil([&outcome] { return outcome.done; }, -1);
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
    Platform::uninstall();
    return outcome.error ? 1 : 0;
}

}  // namespace movra::cli
