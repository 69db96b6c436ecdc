// The real-kernel stage's reach into its guest: azimora-dvb serving there
// behind QEMU's forwarded port (AZM_GUEST_HELPER, HOST:PORT), and the
// guest's command port (AZM_GUEST_CONTROL, tests/kernel/guest_control.sh).
// The shared secret the guest's helper wants is AZM_GUEST_SECRET.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

std::string guestSetting(const char* name);

// One command on the guest's command port; its output, without the end mark.
std::string guestCommand(const std::string& line);
std::vector<std::string> guestLog();

struct GuestConnection {
    int socket = -1;
    std::string pending;
};

bool connectToGuest(GuestConnection& connection);
void disconnect(GuestConnection& connection);
// One request line out, one reply line back ("(no reply)", "(closed)").
std::string ask(GuestConnection& connection, const std::string& line);
std::string readReply(GuestConnection& connection);

uint64_t nowMs();
