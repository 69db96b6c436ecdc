// A connection of azimora-dvb's serving loop (tcp_server.h) and what the
// loop keeps for all of them: how a connection is taken in (it holds the
// frontend, or is told why not), how it ends (letting the frontend go), and
// its socket's side of the bounded queues: requests read up to
// queuedLineLimit, replies written as far as the peer takes them. Linux.
#pragma once
#include <cstdint>
#include <deque>
#include <list>
#include <string>

#include "dvb/helper/serve/connection_rules.h"
#include "dvb/helper/serve/tcp_server.h"

struct Connection {
    int socket = -1;
    uint32_t address = 0;
    bool admitted = false;  // the secret given (or none asked for)
    bool holder = false;    // holds the frontend
    bool closing = false;   // ends once its replies are out
    bool calling = false;   // its first request waits for an open or a tune of the frontend
    uint64_t openedMs = 0;
    uint64_t lastRequestMs = 0;  // its latest well-formed request
    uint64_t heldUntilMs = 0;    // its first request waits until then
    uint64_t lastStatusMs = 0;
    uint64_t motorUntilMs = 0;  // a motor it sent turns until then: the frontend is kept (18 V on)
    Session session;
    LineReader reader;
    std::deque<ReadLine> requests;
    std::string replies;
};

struct Server {
    ServedFrontend& frontend;
    const ServerSettings& settings;
    std::list<Connection> connections;
    FrontendHold hold;
    SecretTries secretTries;
};

void queueReply(Connection& connection, const Reply& reply);
// From when the connection's idle time counts: its latest request, or the
// estimated arrival of a motor it sent.
uint64_t idleSinceMs(const Connection& connection);
// Answered with the reason, then ended once the answer is out.
void refuse(Connection& connection, const std::string& reason);

// A waiting connection taken from the listener, admitted at once where no
// secret is asked for; at the connection limit, the oldest connection yet
// to give its secret makes room.
void acceptConnection(Server& server, int listener, uint64_t nowMs);
// An admitted connection takes the frontend, or is told why not and ends.
void admit(Server& server, Connection& connection, uint64_t nowMs);
void endConnection(Server& server, Connection& connection, uint64_t nowMs);

// Takes what has come, up to the queue's bound, so that requests sent
// together are seen together; `events` are what poll said of the socket.
// False when the peer has gone.
bool receive(Connection& connection, short events);
// False when the peer has gone.
bool sendReplies(Connection& connection);
