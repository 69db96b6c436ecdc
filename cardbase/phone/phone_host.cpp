#include "cardbase/phone/phone_host.h"

#include <algorithm>

static bool isDigit(char c) { return c >= '0' && c <= '9'; }

static int hexValue(char c)
{
    if (isDigit(c)) return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Four decimal parts 0-255, without leading zeros (which some read as octal).
static bool parseIpv4(const std::string& text, uint8_t bytes[4])
{
    size_t at = 0;
    for (int part = 0; part < 4; ++part) {
        if (part > 0 && (at >= text.size() || text[at++] != '.')) return false;
        const size_t first = at;
        unsigned value = 0;
        while (at < text.size() && isDigit(text[at]) && at - first < 3) value = value * 10 + unsigned(text[at++] - '0');
        if (at == first || value > 255 || (at - first > 1 && text[first] == '0')) return false;
        bytes[part] = static_cast<uint8_t>(value);
    }
    return at == text.size();
}

HostAddress ipv4HostAddress(const uint8_t bytes[4])
{
    HostAddress address{};
    address[10] = address[11] = 0xFF;
    std::copy(bytes, bytes + 4, address.begin() + 12);
    return address;
}

// Colon-separated groups of one to four hex digits; the last may be an
// IPv4 address (two groups) where `v4Tail` allows.
static bool groupsOf(const std::string& text, bool v4Tail, std::vector<uint16_t>* groups)
{
    if (text.empty()) return true;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(':', start);
        const std::string piece = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (end == std::string::npos && v4Tail && piece.find('.') != std::string::npos) {
            uint8_t bytes[4];
            if (!parseIpv4(piece, bytes)) return false;
            groups->push_back(static_cast<uint16_t>(bytes[0] << 8 | bytes[1]));
            groups->push_back(static_cast<uint16_t>(bytes[2] << 8 | bytes[3]));
            return true;
        }
        if (piece.empty() || piece.size() > 4) return false;
        unsigned value = 0;
        for (char c : piece) {
            if (hexValue(c) < 0) return false;
            value = value * 16 + unsigned(hexValue(c));
        }
        groups->push_back(static_cast<uint16_t>(value));
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool parseHostAddress(const std::string& text, HostAddress* address)
{
    uint8_t bytes[4];
    if (parseIpv4(text, bytes)) {
        *address = ipv4HostAddress(bytes);
        return true;
    }
    const size_t gap = text.find("::");
    std::vector<uint16_t> head, tail;
    if (gap == std::string::npos) {
        if (!groupsOf(text, true, &head) || head.size() != 8) return false;
    } else if (text.find("::", gap + 1) != std::string::npos || !groupsOf(text.substr(0, gap), false, &head) ||
               !groupsOf(text.substr(gap + 2), true, &tail) || head.size() + tail.size() > 7) {
        return false;
    }
    head.resize(8 - tail.size(), 0);
    head.insert(head.end(), tail.begin(), tail.end());
    for (size_t i = 0; i < 8; ++i) {
        (*address)[2 * i] = static_cast<uint8_t>(head[i] >> 8);
        (*address)[2 * i + 1] = static_cast<uint8_t>(head[i] & 0xFF);
    }
    return true;
}

static std::string plainName(const std::string& name)
{
    std::string plain = name;
    if (!plain.empty() && plain.back() == '.') plain.pop_back();
    for (char& c : plain)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return plain;
}

void addHostName(PhoneHosts& hosts, const std::string& name)
{
    const std::string plain = plainName(name);
    if (!plain.empty() && std::find(hosts.names.begin(), hosts.names.end(), plain) == hosts.names.end())
        hosts.names.push_back(plain);
}

void addHostAddress(PhoneHosts& hosts, const HostAddress& address)
{
    if (std::find(hosts.addresses.begin(), hosts.addresses.end(), address) == hosts.addresses.end())
        hosts.addresses.push_back(address);
}

PhoneHosts loopbackHosts()
{
    PhoneHosts hosts;
    addHostName(hosts, "localhost");
    HostAddress address{};
    parseHostAddress("127.0.0.1", &address);
    addHostAddress(hosts, address);
    parseHostAddress("::1", &address);
    addHostAddress(hosts, address);
    return hosts;
}

static bool isNameCharacter(char c)
{
    return isDigit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '.' || c == '_';
}

bool hostAnswered(const std::string& value, const PhoneHosts& hosts)
{
    std::string host, port;
    if (!value.empty() && value[0] == '[') {
        const size_t close = value.find(']');
        if (close == std::string::npos) return false;
        host = value.substr(1, close - 1);
        port = value.substr(close + 1);
        // Brackets hold IPv6 only.
        if (host.find(':') == std::string::npos) return false;
    } else {
        const size_t colon = value.find(':');
        host = value.substr(0, colon);
        port = colon == std::string::npos ? std::string() : value.substr(colon);
    }
    if (!port.empty() && (port[0] != ':' || port.size() > 6 ||
                          !std::all_of(port.begin() + 1, port.end(), [](char c) { return isDigit(c); })))
        return false;
    HostAddress address{};
    if (parseHostAddress(host, &address))
        return std::find(hosts.addresses.begin(), hosts.addresses.end(), address) != hosts.addresses.end();
    if (host.empty() || value[0] == '[' || !std::all_of(host.begin(), host.end(), isNameCharacter)) return false;
    const std::string plain = plainName(host);
    return std::find(hosts.names.begin(), hosts.names.end(), plain) != hosts.names.end();
}
