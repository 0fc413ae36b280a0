#pragma once

#include <QDBusPendingCall>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <optional>

#include "platform/screen_reader.h"

namespace orlavo {

// The accessibility service's word on the screen reader: its ScreenReaderEnabled status on the
// session bus, which a screen reader sets while it runs (and the desktop's "screen reader"
// switch with it). Asked once when made, without waiting, then kept up to date by the service's
// change signal, so a screen reader turned on or off between books is heard at the next start.
// No session bus, or no accessibility service on it, means no screen reader. Make and use it on
// the window's thread, after the application object.
class AtspiScreenReader : public QObject, public ScreenReader {
    Q_OBJECT

  public:
    AtspiScreenReader();

    // Waits for the first answer only if it is still on its way, for a fraction of a second at
    // most.
    bool Running() override;

  private slots:
    void StatusChanged(const QString& interface, const QVariantMap& changed,
                       const QStringList& invalidated);

  private:
    void Ask();

    std::optional<QDBusPendingCall> m_answer;
    bool m_running = false;
};

}  // namespace orlavo
