// This file implements the DNS-SD packets of cast discovery with ldns.
#include "Platform/DnsSdMessage.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <ldns/ldns.h>
#include <map>
#include <memory>

namespace movra {

namespace {

constexpr std::uint32_t kTtl = 120;

struct PacketFree {
    void operator()(ldns_pkt* p) const { ldns_pkt_free(p); }
};
using PacketPtr = std::unique_ptr<ldns_pkt, PacketFree>;
struct RecordFree {
    void operator()(ldns_rr* rr) const { ldns_rr_free(rr); }
};
using RecordPtr = std::unique_ptr<ldns_rr, RecordFree>;

/// A packet's records, read one by one with ldns_wire2rr. (ldns_wire2pkt keeps only the last TSIG record of a
/// packet and leaks the others: a packet from the network must not cost memory.)
struct Records {
    bool isResponse = false;
    std::uint16_t id = 0;
    std::vector<RecordPtr> questions;
    /// The answer and additional sections; the authority section is read and dropped.
    std::vector<RecordPtr> answers;

    static std::optional<Records> read(std::string_view bytes, std::string* error) {
        const auto* wire = reinterpret_cast<const uint8_t*>(bytes.data());
        if (bytes.size() < LDNS_HEADER_SIZE) {
            if (error) *error = "DNS packet shorter than its header";
            return std::nullopt;
        }
        Records records;
        records.isResponse = LDNS_QR_WIRE(wire) != 0;
        records.id = LDNS_ID_WIRE(wire);
        size_t position = LDNS_HEADER_SIZE;
        const std::pair<ldns_pkt_section, unsigned> sections[] = {{LDNS_SECTION_QUESTION, LDNS_QDCOUNT(wire)},
                                                                  {LDNS_SECTION_ANSWER, LDNS_ANCOUNT(wire)},
                                                                  {LDNS_SECTION_AUTHORITY, LDNS_NSCOUNT(wire)},
                                                                  {LDNS_SECTION_ADDITIONAL, LDNS_ARCOUNT(wire)}};
        for (const auto& [section, count] : sections) {
            for (unsigned i = 0; i < count; ++i) {
                ldns_rr* rr = nullptr;
                const ldns_status status = ldns_wire2rr(&rr, wire, bytes.size(), &position, section);
                RecordPtr record(rr);
                if (status != LDNS_STATUS_OK || !record) {
                    if (error) *error = std::string("malformed DNS packet: ") + ldns_get_errorstr_by_id(status);
                    return std::nullopt;
                }
                if (section == LDNS_SECTION_QUESTION)
                    records.questions.push_back(std::move(record));
                else if (section != LDNS_SECTION_AUTHORITY)
                    records.answers.push_back(std::move(record));
            }
        }
        return records;
    }
};

/// Lower-case text form of a domain name (names compare without regard to case).
std::string nameOf(const ldns_rdf* rdf) {
    if (!rdf || ldns_rdf_get_type(rdf) != LDNS_RDF_TYPE_DNAME) return {};
    char* text = ldns_rdf2str(rdf);
    std::string name = text ? text : "";
    free(text);
    std::transform(name.begin(), name.end(), name.begin(), [](unsigned char c) { return std::tolower(c); });
    return name;
}

std::string wireOf(const ldns_pkt* packet) {
    uint8_t* data = nullptr;
    size_t size = 0;
    if (ldns_pkt2wire(&data, packet, &size) != LDNS_STATUS_OK) return {};
    std::string wire(reinterpret_cast<const char*>(data), size);
    free(data);
    return wire;
}

/// The key=value strings of a TXT record.
std::map<std::string, std::string> txtOf(const ldns_rr* rr) {
    std::map<std::string, std::string> values;
    for (size_t i = 0; i < ldns_rr_rd_count(rr); ++i) {
        const ldns_rdf* rdf = ldns_rr_rdf(rr, i);
        if (ldns_rdf_get_type(rdf) != LDNS_RDF_TYPE_STR || ldns_rdf_size(rdf) < 1) continue;
        const auto* data = ldns_rdf_data(rdf);
        const std::size_t length = std::min<std::size_t>(data[0], ldns_rdf_size(rdf) - 1);
        const std::string entry(reinterpret_cast<const char*>(data + 1), length);
        const auto equals = entry.find('=');
        if (equals != std::string::npos) values.emplace(entry.substr(0, equals), entry.substr(equals + 1));
    }
    return values;
}

ldns_rr* makeRecord(const std::string& text) {
    ldns_rr* rr = nullptr;
    return ldns_rr_new_frm_str(&rr, text.c_str(), kTtl, nullptr, nullptr) == LDNS_STATUS_OK ? rr : nullptr;
}

ldns_rr* makeTxt(const std::string& owner, const std::vector<std::string>& entries) {
    ldns_rr* rr = ldns_rr_new();
    ldns_rr_set_owner(rr, ldns_dname_new_frm_str(owner.c_str()));
    ldns_rr_set_type(rr, LDNS_RR_TYPE_TXT);
    ldns_rr_set_class(rr, LDNS_RR_CLASS_IN);
    ldns_rr_set_ttl(rr, kTtl);
    for (const auto& entry : entries) {
        std::string data(1, static_cast<char>(std::min<std::size_t>(entry.size(), 255)));
        data += entry.substr(0, 255);
        ldns_rr_push_rdf(rr, ldns_rdf_new_frm_data(LDNS_RDF_TYPE_STR, data.size(), data.data()));
    }
    return rr;
}

}  // namespace

std::string DnsSdMessage::makeQuery(std::uint16_t id) {
    PacketPtr packet(ldns_pkt_query_new(ldns_dname_new_frm_str(kCastService), LDNS_RR_TYPE_PTR, LDNS_RR_CLASS_IN, 0));
    if (!packet) return {};
    ldns_pkt_set_id(packet.get(), id);
    return wireOf(packet.get());
}

std::optional<std::vector<CastDevice>> DnsSdMessage::parseResponse(std::string_view bytes, std::string* error) {
    auto packet = Records::read(bytes, error);
    if (!packet) return std::nullopt;
    if (!packet->isResponse) {
        if (error) *error = "DNS packet is not a response";
        return std::nullopt;
    }
    std::vector<const ldns_rr*> records;
    for (const auto& record : packet->answers) records.push_back(record.get());
    auto find = [&](ldns_rr_type type, const std::string& owner) -> const ldns_rr* {
        for (const ldns_rr* rr : records)
            if (ldns_rr_get_type(rr) == type && nameOf(ldns_rr_owner(rr)) == owner) return rr;
        return nullptr;
    };

    std::vector<CastDevice> devices;
    for (const ldns_rr* ptr : records) {
        // A record with TTL 0 says goodbye: that instance is gone.
        if (ldns_rr_get_type(ptr) != LDNS_RR_TYPE_PTR || nameOf(ldns_rr_owner(ptr)) != kCastService ||
            ldns_rr_ttl(ptr) == 0 || ldns_rr_rd_count(ptr) < 1)
            continue;
        const std::string instance = nameOf(ldns_rr_rdf(ptr, 0));
        const ldns_rr* srv = find(LDNS_RR_TYPE_SRV, instance);
        const ldns_rr* txt = find(LDNS_RR_TYPE_TXT, instance);
        if (!srv || !txt || ldns_rr_rd_count(srv) < 4) continue;
        const ldns_rdf* portField = ldns_rr_rdf(srv, 2);
        if (ldns_rdf_size(portField) != 2) continue;
        const int port = ldns_rdf2native_int16(portField);
        const ldns_rr* a = find(LDNS_RR_TYPE_A, nameOf(ldns_rr_rdf(srv, 3)));
        if (port == 0 || !a || ldns_rr_rd_count(a) < 1 || ldns_rdf_size(ldns_rr_rdf(a, 0)) != 4) continue;
        char address[INET_ADDRSTRLEN] = {};
        inet_ntop(AF_INET, ldns_rdf_data(ldns_rr_rdf(a, 0)), address, sizeof address);
        auto values = txtOf(txt);
        if (values["id"].empty()) continue;
        const bool known = std::any_of(devices.begin(), devices.end(),
                                       [&](const CastDevice& d) { return d.deviceID == values["id"]; });
        if (known) continue;
        devices.push_back(CastDevice{.deviceID = values["id"],
                                     .friendlyName = values["fn"].empty() ? values["id"] : values["fn"],
                                     .modelName = values["md"],
                                     .ipAddress = address,
                                     .servicePort = port});
    }
    return devices;
}

std::string DnsSdMessage::makeResponse(std::string_view query, const std::vector<CastDevice>& devices) {
    auto request = Records::read(query, nullptr);
    const bool asksForCast = request && !request->isResponse && !request->questions.empty() &&
                             nameOf(ldns_rr_owner(request->questions.front().get())) == kCastService;
    if (!asksForCast) return {};

    PacketPtr answer(ldns_pkt_new());
    ldns_pkt_set_id(answer.get(), request->id);
    ldns_pkt_set_qr(answer.get(), true);
    ldns_pkt_set_aa(answer.get(), true);
    ldns_pkt_push_rr(answer.get(), LDNS_SECTION_QUESTION, ldns_rr_clone(request->questions.front().get()));
    for (const auto& device : devices) {
        const std::string instance = "Movra-" + device.deviceID + "." + kCastService;
        const std::string host = device.deviceID + ".local.";
        ldns_rr* records[] = {
            makeRecord(std::string(kCastService) + " IN PTR " + instance),
            makeRecord(instance + " IN SRV 0 0 " + std::to_string(device.servicePort) + " " + host),
            makeTxt(instance, {"id=" + device.deviceID, "fn=" + device.friendlyName, "md=" + device.modelName}),
            makeRecord(host + " IN A " + device.ipAddress),
        };
        for (std::size_t i = 0; i < std::size(records); ++i) {
            RecordPtr record(records[i]);
            if (!record) continue;
            ldns_pkt_push_rr(answer.get(), i == 0 ? LDNS_SECTION_ANSWER : LDNS_SECTION_ADDITIONAL, record.release());
        }
    }
    return wireOf(answer.get());
}

}  // namespace movra
