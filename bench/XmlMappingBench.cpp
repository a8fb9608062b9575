// Mapping a ~1 MB error-document-shaped answer with MVXMLDictonarySerializer, against bare libxml2 parsing of
// the same bytes as the floor.
#include "Utilities/MVXMLDictonarySerializer.h"
#include "Utilities/XMLDocument.h"

#include <benchmark/benchmark.h>
#include <libxml/parser.h>

#include <chrono>
#include <string>

namespace {

using namespace movra;

const std::string& document() {
    static const std::string xml = [] {
        std::string s =
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<result><status>Failure</status>"
            "<errorCode>ST1009</errorCode><userMessage>The service is down for maintenance.</userMessage>"
            "<systemMessage>maintenance window</systemMessage><settings>";
        for (int i = 0; s.size() < 1024 * 1024; ++i)
            s += "<setting><name>setting" + std::to_string(i) + "</name><value>value &amp; text " +
                 std::to_string(i * 7) + "</value></setting>";
        return s + "</settings></result>";
    }();
    return xml;
}

const XMLModelClass& settingClass() {
    static const XMLModelClass cls{.name = "MVSetting",
                                   .XPathPrefix = "self::setting/",
                                   .XMLKeyPathsByPropertyKey = {{"name", "name"}, {"value", "value"}}};
    return cls;
}

const XMLModelClass& responseClass() {
    static const XMLModelClass cls{
        .name = "MVSettingsResponse",
        .XPathPrefix = "result/",
        .XMLKeyPathsByPropertyKey = {{"status", "status"},
                                     {"errorCode", "errorCode"},
                                     {"userMessage", "userMessage"},
                                     {"systemMessage", "systemMessage"},
                                     {"settings", "settings/setting"}},
        .propertyTransformers = {
            {"settings", MVXMLDictonarySerializer::XMLArrayTransformerWithModelClass(settingClass())}}};
    return cls;
}

void bareParse(const std::string& xml) {
    xmlDocPtr doc = xmlReadMemory(xml.data(), static_cast<int>(xml.size()), nullptr, nullptr, XML_PARSE_NONET);
    benchmark::DoNotOptimize(doc);
    xmlFreeDoc(doc);
}

void BM_Libxml2Parse(benchmark::State& state) {
    const auto& xml = document();
    for (auto _ : state) bareParse(xml);
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
}

void BM_ParseAndMap(benchmark::State& state) {
    const auto& xml = document();
    std::size_t settings = 0;
    auto start = std::chrono::steady_clock::now();
    for (auto _ : state) {
        auto doc = XMLDocument::parse(xml);
        auto dictionary = MVXMLDictonarySerializer::dictionaryFromNode(doc->documentNode(), responseClass());
        settings = (*dictionary)["settings"].size();
        benchmark::DoNotOptimize(dictionary);
    }
    double perMap = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() /
                    static_cast<double>(state.iterations());

    // The floor, measured in the same run.
    constexpr int kFloorRuns = 20;
    start = std::chrono::steady_clock::now();
    for (int i = 0; i < kFloorRuns; ++i) bareParse(xml);
    double perParse = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count() / kFloorRuns;

    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * xml.size()));
    state.counters["settings"] = static_cast<double>(settings);
    state.counters["map_ms"] = perMap * 1e3;
    state.counters["bare_parse_ms"] = perParse * 1e3;
    state.counters["ratio_to_bare_parse"] = perMap / perParse;
}

BENCHMARK(BM_Libxml2Parse)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ParseAndMap)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
