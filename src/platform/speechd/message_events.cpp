#include "platform/speechd/message_events.h"

#include <map>
#include <mutex>

#include "platform/speechd/speechd_voice.h"

namespace orlavo::message_events {
namespace {

struct Listeners {
    std::mutex mutex;
    std::map<std::size_t, SpeechDispatcherVoice*> voices;
};

Listeners& TheListeners() {
    static Listeners listeners;
    return listeners;
}

void OnMessageEvent(std::size_t messageId, std::size_t clientId, SPDNotificationType type) {
    Listeners& listeners = TheListeners();
    std::lock_guard lock(listeners.mutex);
    const auto found = listeners.voices.find(clientId);
    if (found == listeners.voices.end()) {
        return;
    }
    if (type == SPD_EVENT_BEGIN) {
        found->second->Begun(messageId);
    } else if (type == SPD_EVENT_CANCEL) {
        found->second->Cancelled(messageId);
    } else {
        found->second->Finished(messageId);
    }
}

void OnIndexMark(std::size_t messageId, std::size_t clientId, SPDNotificationType,
                 char* indexMark) {
    Listeners& listeners = TheListeners();
    std::lock_guard lock(listeners.mutex);
    if (const auto found = listeners.voices.find(clientId);
        found != listeners.voices.end() && indexMark != nullptr) {
        found->second->Marked(messageId, indexMark);
    }
}

}  // namespace

void Route(SPDConnection* connection) {
    connection->callback_begin = OnMessageEvent;
    connection->callback_end = OnMessageEvent;
    connection->callback_cancel = OnMessageEvent;
    connection->callback_im = OnIndexMark;
}

void Listen(std::size_t clientId, SpeechDispatcherVoice* voice) {
    Listeners& listeners = TheListeners();
    std::lock_guard lock(listeners.mutex);
    listeners.voices[clientId] = voice;
}

void Forget(std::size_t clientId) {
    Listeners& listeners = TheListeners();
    std::lock_guard lock(listeners.mutex);
    listeners.voices.erase(clientId);
}

}  // namespace orlavo::message_events
