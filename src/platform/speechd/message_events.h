#pragma once

#include <libspeechd.h>

#include <cstddef>

namespace orlavo {

class SpeechDispatcherVoice;

// speech-dispatcher reports the events of a message (begun, ended, cancelled, an index mark
// reached) through plain functions told only the message and the client number, with no room for
// a pointer of ours; so the voices waiting are found by their client number in one table for the
// whole process. Events of a client no voice listens for are dropped.
namespace message_events {

// Hands `connection`'s events to the table; made on the connection's request thread.
void Route(SPDConnection* connection);
// From then on, until Forget, the events of `clientId` go to `voice`.
void Listen(std::size_t clientId, SpeechDispatcherVoice* voice);
void Forget(std::size_t clientId);

}  // namespace message_events
}  // namespace orlavo
