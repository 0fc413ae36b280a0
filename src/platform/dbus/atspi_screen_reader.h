#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariantMap>

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

    // What the service last said; never waits for it.
    bool Running() override;

  private slots:
    void StatusChanged(const QString& interface, const QVariantMap& changed,
                       const QStringList& invalidated);

  private:
    void Ask();

    int m_asked = 0;  // the latest question, so that an answer older than a change is dropped
    bool m_running = false;
};

}  // namespace orlavo
