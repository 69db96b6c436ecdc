// How the serving loop answers one connection's queued requests: the
// secret first where one is asked for (a peer that guessed waits), then
// each request in order as far as its pace allows: readings at the pace
// the frontend is read, calls that switch the LNB at the pace allowed, an
// open or a tune handed to the frontend and answered once it is done, and
// of queued tuning sets only the latest carried out. Linux.
#pragma once
#include <cstdint>

#include "dvb/helper/serve/served_connection.h"

void answerRequests(Server& server, Connection& connection, uint64_t nowMs);
