// Switchable faults of the emulator and their JSON control form.
#include "movra-backend/FaultInjector.h"

#include "Foundation/Strings.h"

namespace movra::backend {

void FaultInjector::setGeoBlocked(bool on) {
    std::lock_guard lock(mutex_);
    geoBlocked_ = on;
}

bool FaultInjector::geoBlocked() const {
    std::lock_guard lock(mutex_);
    return geoBlocked_;
}

void FaultInjector::setMaintenance(bool on) {
    std::lock_guard lock(mutex_);
    maintenance_ = on;
}

bool FaultInjector::maintenance() const {
    std::lock_guard lock(mutex_);
    return maintenance_;
}

void FaultInjector::setUnknownTenant(bool on) {
    std::lock_guard lock(mutex_);
    unknownTenant_ = on;
}

bool FaultInjector::unknownTenant() const {
    std::lock_guard lock(mutex_);
    return unknownTenant_;
}

void FaultInjector::setDelay(std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    delay_ = delay;
}

std::chrono::milliseconds FaultInjector::delay() const {
    std::lock_guard lock(mutex_);
    return delay_;
}

void FaultInjector::setSlowPath(std::string pathPrefix, std::chrono::milliseconds delay) {
    std::lock_guard lock(mutex_);
    if (delay.count() > 0) {
        slowPaths_[std::move(pathPrefix)] = delay;
    } else {
        slowPaths_.erase(pathPrefix);
    }
}

std::chrono::milliseconds FaultInjector::delayFor(const std::string& path) const {
    std::lock_guard lock(mutex_);
    std::chrono::milliseconds slowest{0};
    for (const auto& [prefix, delay] : slowPaths_)
        if (startsWith(path, prefix)) slowest = std::max(slowest, delay);
    return delay_ + slowest;
}

void FaultInjector::setSessionAnswer(SessionAnswer answer) {
    std::lock_guard lock(mutex_);
    sessionAnswer_ = answer;
}

FaultInjector::SessionAnswer FaultInjector::sessionAnswer() const {
    std::lock_guard lock(mutex_);
    return sessionAnswer_;
}

void FaultInjector::failNext(int count, int status, std::string errorCode, std::string pathPrefix) {
    if (count <= 0) return;
    std::lock_guard lock(mutex_);
    failures_.push_back({count, std::move(pathPrefix), {status, std::move(errorCode)}});
}

void FaultInjector::truncateNext(int count, std::string pathPrefix) {
    if (count <= 0) return;
    std::lock_guard lock(mutex_);
    truncations_.push_back({count, std::move(pathPrefix), {}});
}

void FaultInjector::emptyNext(int count, std::string pathPrefix) {
    if (count <= 0) return;
    std::lock_guard lock(mutex_);
    emptyings_.push_back({count, std::move(pathPrefix), {}});
}

void FaultInjector::reset() {
    std::lock_guard lock(mutex_);
    geoBlocked_ = maintenance_ = unknownTenant_ = false;
    delay_ = std::chrono::milliseconds(0);
    failures_.clear();
    truncations_.clear();
    emptyings_.clear();
    cuts_.clear();
    slowPaths_.clear();
    failingPaths_.clear();
    sessionAnswer_ = SessionAnswer::Normal;
}

bool FaultInjector::takeFrom(std::deque<Queued>& queue, const std::string& path, Failure* taken) {
    for (auto it = queue.begin(); it != queue.end(); ++it) {
        if (!startsWith(path, it->pathPrefix)) continue;
        if (taken) *taken = it->failure;
        if (--it->remaining == 0) queue.erase(it);
        return true;
    }
    return false;
}

std::optional<FaultInjector::Failure> FaultInjector::takeFailure(const std::string& path) {
    std::lock_guard lock(mutex_);
    // The map is sorted, so a longer prefix of `path` comes after a shorter one.
    const Failure* standing = nullptr;
    for (const auto& [prefix, failure] : failingPaths_)
        if (startsWith(path, prefix)) standing = &failure;
    if (standing) return *standing;
    Failure failure;
    if (!takeFrom(failures_, path, &failure)) return std::nullopt;
    return failure;
}

bool FaultInjector::takeTruncation(const std::string& path) {
    std::lock_guard lock(mutex_);
    return takeFrom(truncations_, path, nullptr);
}

bool FaultInjector::takeEmptying(const std::string& path) {
    std::lock_guard lock(mutex_);
    return takeFrom(emptyings_, path, nullptr);
}

bool FaultInjector::takeCut(const std::string& path) {
    std::lock_guard lock(mutex_);
    return takeFrom(cuts_, path, nullptr);
}

namespace {

constexpr std::pair<FaultInjector::SessionAnswer, const char*> kSessionAnswers[] = {
    {FaultInjector::SessionAnswer::Normal, "normal"},
    {FaultInjector::SessionAnswer::Authenticate, "authenticate"},
    {FaultInjector::SessionAnswer::PaymentMissing, "paymentMissing"},
    {FaultInjector::SessionAnswer::Error, "error"},
    {FaultInjector::SessionAnswer::NoUrl, "noUrl"},
    {FaultInjector::SessionAnswer::Unmappable, "unmappable"},
};

}  // namespace

Json FaultInjector::toJson() const {
    std::lock_guard lock(mutex_);
    Json failures = Json::array();
    for (const Queued& q : failures_) {
        failures.push_back({{"count", q.remaining},
                            {"status", q.failure.status},
                            {"errorCode", q.failure.errorCode},
                            {"path", q.pathPrefix}});
    }
    auto queued = [](const std::deque<Queued>& queue) {
        Json list = Json::array();
        for (const Queued& q : queue) list.push_back({{"count", q.remaining}, {"path", q.pathPrefix}});
        return list;
    };
    Json slow = Json::array();
    for (const auto& [prefix, delay] : slowPaths_) slow.push_back({{"path", prefix}, {"delayMs", delay.count()}});
    Json failing = Json::array();
    for (const auto& [prefix, failure] : failingPaths_)
        failing.push_back({{"path", prefix}, {"status", failure.status}, {"errorCode", failure.errorCode}});
    std::string answer;
    for (const auto& [value, name] : kSessionAnswers)
        if (value == sessionAnswer_) answer = name;
    return {{"geoBlocked", geoBlocked_},       {"maintenance", maintenance_},
            {"unknownTenant", unknownTenant_}, {"delayMs", delay_.count()},
            {"slow", std::move(slow)},         {"sessionAnswer", answer},
            {"failNext", std::move(failures)}, {"truncateNext", queued(truncations_)},
            {"emptyNext", queued(emptyings_)}, {"cutNext", queued(cuts_)},
            {"failPath", std::move(failing)}};
}

namespace {

// Reads an optional member of the expected kind; false (with `error` set) when it has another kind.
template <class T>
bool readMember(const Json& object, const char* key, std::optional<T>& out, std::string& error) {
    auto it = object.find(key);
    if (it == object.end()) return true;
    auto refuse = [&](const char* expected) {
        error = std::string("\"") + key + "\" must be " + expected;
        return false;
    };
    if constexpr (std::is_same_v<T, bool>) {
        if (!it->is_boolean()) return refuse("true or false");
    } else if constexpr (std::is_same_v<T, std::string>) {
        if (!it->is_string()) return refuse("a string");
    } else {
        if (!it->is_number_integer() || it->template get<long long>() < 0) return refuse("a non-negative integer");
    }
    out = it->template get<T>();
    return true;
}

// The "status" and "errorCode" of the `key` object; false (with `error` set) without a valid status.
bool readFailure(const Json& object, const char* key, FaultInjector::Failure& out, std::string& error) {
    std::optional<long long> status;
    std::optional<std::string> errorCode;
    if (!readMember(object, "status", status, error) || !readMember(object, "errorCode", errorCode, error))
        return false;
    if (!status || *status < 100 || *status > 599) {
        error = std::string("\"") + key + "\" needs a \"status\" from 100 to 599";
        return false;
    }
    out = {static_cast<int>(*status), errorCode.value_or("")};
    return true;
}

}  // namespace

std::optional<std::string> FaultInjector::apply(const Json& document) {
    if (!document.is_object()) return "the faults document must be a JSON object";
    std::string error;
    std::optional<bool> reset, geoBlocked, maintenance, unknownTenant;
    std::optional<long long> delayMs;
    if (!readMember(document, "reset", reset, error) || !readMember(document, "geoBlocked", geoBlocked, error) ||
        !readMember(document, "maintenance", maintenance, error) ||
        !readMember(document, "unknownTenant", unknownTenant, error) ||
        !readMember(document, "delayMs", delayMs, error)) {
        return error;
    }

    std::optional<std::string> answerName;
    if (!readMember(document, "sessionAnswer", answerName, error)) return error;
    std::optional<SessionAnswer> answer;
    for (const auto& [value, name] : kSessionAnswers)
        if (answerName && *answerName == name) answer = value;
    if (answerName && !answer) {
        return "\"sessionAnswer\" must be normal, authenticate, paymentMissing, error, noUrl or unmappable";
    }

    std::optional<std::pair<std::string, long long>> slow;
    if (auto it = document.find("slow"); it != document.end()) {
        if (!it->is_object()) return std::string("\"slow\" must be an object");
        std::optional<std::string> path;
        std::optional<long long> slowMs;
        if (!readMember(*it, "path", path, error) || !readMember(*it, "delayMs", slowMs, error)) return error;
        if (!path || !slowMs) return std::string("\"slow\" needs a \"path\" and a \"delayMs\"");
        slow = {*path, *slowMs};
    }

    // A failing path switched on (a failure) or off (nullopt).
    std::optional<std::pair<std::string, std::optional<Failure>>> failingPath;
    if (auto it = document.find("failPath"); it != document.end()) {
        if (!it->is_object()) return std::string("\"failPath\" must be an object");
        std::optional<std::string> path;
        std::optional<bool> off;
        if (!readMember(*it, "path", path, error) || !readMember(*it, "off", off, error)) return error;
        if (!path) return std::string("\"failPath\" needs a \"path\"");
        failingPath.emplace(*path, std::nullopt);
        if (!off.value_or(false)) {
            Failure standing;
            if (!readFailure(*it, "failPath", standing, error)) return error;
            failingPath->second = standing;
        }
    }

    std::optional<Queued> failure, truncation, emptying, cut;
    for (const char* key : {"failNext", "truncateNext", "emptyNext", "cutNext"}) {
        auto it = document.find(key);
        if (it == document.end()) continue;
        if (!it->is_object()) return std::string("\"") + key + "\" must be an object";
        std::optional<long long> count;
        std::optional<std::string> path;
        if (!readMember(*it, "count", count, error) || !readMember(*it, "path", path, error)) return error;
        Queued queued{static_cast<int>(count.value_or(1)), path.value_or(""), {}};
        if (std::string(key) == "failNext") {
            if (!readFailure(*it, key, queued.failure, error)) return error;
            failure = queued;
        } else if (std::string(key) == "truncateNext") {
            truncation = queued;
        } else if (std::string(key) == "cutNext") {
            cut = queued;
        } else {
            emptying = queued;
        }
    }

    if (reset.value_or(false)) this->reset();
    std::lock_guard lock(mutex_);
    if (geoBlocked) geoBlocked_ = *geoBlocked;
    if (maintenance) maintenance_ = *maintenance;
    if (unknownTenant) unknownTenant_ = *unknownTenant;
    if (delayMs) delay_ = std::chrono::milliseconds(*delayMs);
    if (failure && failure->remaining > 0) failures_.push_back(*failure);
    if (truncation && truncation->remaining > 0) truncations_.push_back(*truncation);
    if (emptying && emptying->remaining > 0) emptyings_.push_back(*emptying);
    if (cut && cut->remaining > 0) cuts_.push_back(*cut);
    if (answer) sessionAnswer_ = *answer;
    if (slow && slow->second > 0) slowPaths_[slow->first] = std::chrono::milliseconds(slow->second);
    if (slow && slow->second == 0) slowPaths_.erase(slow->first);
    if (failingPath && failingPath->second) failingPaths_[failingPath->first] = *failingPath->second;
    if (failingPath && !failingPath->second) failingPaths_.erase(failingPath->first);
    return std::nullopt;
}

}  // namespace movra::backend
