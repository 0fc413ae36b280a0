#include "platform/qt/qt_application.h"

#include <unistd.h>

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#include <iostream>

namespace orlavo {

void QtApplication::EndProgram() {
    std::cout.flush();
    std::cerr.flush();
    std::fflush(nullptr);
    // A book load given up on may have left a thread inside open() on a share that stopped
    // answering, and the kernel lets no process end before such a call returns, a minute or
    // more on a hung FUSE or network mount. Letting go of the display, the sound server and the
    // bus first makes the window vanish and frees the media controls at once, whenever the
    // stuck thread is let out.
    ::close_range(STDERR_FILENO + 1, ~0U, 0);
    _exit(0);
}

std::string QtApplication::AppPath() const {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

}  // namespace orlavo
