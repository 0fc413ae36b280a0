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
    _exit(0);
}

std::string QtApplication::AppPath() const {
    return QFile::encodeName(QCoreApplication::applicationDirPath()).toStdString();
}

}  // namespace orlavo
