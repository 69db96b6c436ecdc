// Which Host a request to the phone page may name: an address of this
// computer (IPv4, or IPv6 in brackets) or one of its names, with any port.
// A web page elsewhere that has a name of its own turned to this computer's
// address (DNS rebinding) sends its own name, and is refused: it could
// otherwise read the record, which carries the site, and start sweeps. A
// request without Host (HTTP/1.0) names nothing and is answered.
// Platform-neutral: the socket layer gathers the names and addresses.
#pragma once
#include <array>
#include <cstdint>
#include <string>
#include <vector>

// An address as 16 bytes: IPv6 as it is, IPv4 as ::ffff:a.b.c.d.
typedef std::array<uint8_t, 16> HostAddress;

struct PhoneHosts {
    std::vector<std::string> names;  // lower case, without a trailing dot
    std::vector<HostAddress> addresses;
};

// "192.168.1.5" (four decimal parts) or "fe80::1", "::ffff:10.0.0.1"
// (without brackets or a zone); false for anything else.
bool parseHostAddress(const std::string& text, HostAddress* address);
// An IPv4 address given as its four bytes in network order.
HostAddress ipv4HostAddress(const uint8_t bytes[4]);

// Each once; names compared without regard to case or a trailing dot.
void addHostName(PhoneHosts& hosts, const std::string& name);
void addHostAddress(PhoneHosts& hosts, const HostAddress& address);
// What every computer is: localhost, 127.0.0.1 and ::1.
PhoneHosts loopbackHosts();

// Whether a Host header's value ("192.168.1.5:8474", "[::1]:8474",
// "mypc", "mypc.lan.:80") names this computer.
bool hostAnswered(const std::string& value, const PhoneHosts& hosts);
