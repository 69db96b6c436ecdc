// What the Windows tests of the phone page share: asking the card
// substitute's page server at 127.0.0.1 as a phone would, and its window.
#pragma once
#include <winsock2.h>

#include <cstdint>
#include <string>

#include "tests/support/driver.h"

// Connects, sends a GET (or another method) of `path` and reads the answer
// until the server closes or `until` has come `count` times, within the
// time. "" when nothing answers.
std::string phoneAsk(uint16_t port, const std::string& path, const std::string& until = "", int count = 1,
                     int timeoutMs = 5000, const std::string& method = "GET");
// Sends `request` as it stands and half-closes, as `nc -N` does; then
// reads as phoneAsk does.
std::string phoneAskHalfClosed(uint16_t port, const std::string& request, const std::string& until = "");
// The phone's stream until a message carries `part`; "" when none does in time.
std::string streamUntil(uint16_t port, const std::string& part, int timeoutMs = 8000);
// The practice dish's start options with the page on 127.0.0.1:PORT and a scenario.
StartOptions withPhoneAndScenario(uint16_t port, const std::string& scenario);
int occurrences(const std::string& text, const std::string& part);
// Whether anything accepts connections there.
bool phoneListening(uint16_t port);
// A port of 127.0.0.1 that nothing has now, as the system hands them out:
// every test takes its own, so that test runs side by side never meet.
uint16_t freePort();

// The "Phone" window of the run's card, waited for.
HWND waitForPhoneWindow(const AppRun& run, int timeoutMs = 5000);

// A listening socket of the test's own on the port, so that the card's server cannot have it.
class PortTaker {
public:
    explicit PortTaker(uint16_t port);
    ~PortTaker();
    bool taken() const { return socket_ != INVALID_SOCKET; }

private:
    SOCKET socket_ = INVALID_SOCKET;
};
