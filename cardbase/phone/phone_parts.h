// The parts of the phone page's thread (phone_service.cpp): its sockets
// (phone_sockets.cpp) and its window (phone_window.cpp). Only that thread
// uses them.
#pragma once
#include <windows.h>
#include <winsock2.h>

#include <string>

#include "cardbase/phone/phone_qr.h"
#include "cardbase/phone/phone_server_core.h"
#include "cardbase/phone/phone_settings.h"

struct PhoneSockets {
    bool started = false;  // WSAStartup has been called
    SOCKET listener = INVALID_SOCKET;
    WSAEVENT network = WSA_INVALID_EVENT;  // every socket's events
    SOCKET clients[maxPhoneConnections];
    PhoneServerCore core;
    PhoneHosts hosts;  // this computer's names and addresses, which a request's Host must name
    // The feed's place and record folder as of servingVersion, so that
    // requests are answered without the feed's lock.
    PhonePlace place;
    std::string recordFolder;
    uint32_t servingVersion = 0;
};

// Listens as the setting asks. False, with the reason for the window in
// *problem, when it cannot: whatever was made is then released already, so
// that nothing is served.
bool openPhoneSockets(PhoneSockets& sockets, const PhoneSetting& setting, const std::string& settingsPath,
                      std::string* problem);
// Accepts, reads and answers (the record's pages too) without `feedLock`;
// then, under it, gives the answers what they take from the feed and queues
// the readings the phones have not had; sends and ends connections:
// everything that can be done now without waiting.
void servePhoneSockets(PhoneSockets& sockets, CRITICAL_SECTION* feedLock, const PhoneFeed& feed);
void closePhoneSockets(PhoneSockets& sockets);
// The page's address for phones on the network: the host asked for, else
// this computer's address on its default route.
std::string phonePageAddress(const PhoneSetting& setting);

// What the window shows; the thread changes it and then calls showPhoneView.
struct PhoneView {
    std::string address;  // "" when there is none
    QrModules code;
    std::string problem;  // why there is no page
    std::string card;
    int phones = 0;
    HFONT addressFont = nullptr;  // made and deleted with the window
};

HWND createPhoneWindow(PhoneView* view);
void showPhoneView(HWND window);
void destroyPhoneWindow(HWND window, PhoneView* view);
