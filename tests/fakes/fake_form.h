#pragma once

#include "fakes/fake_platform.h"
#include "main_window/form1.h"

namespace orlavo::testing {

inline Form1Services ServicesOf(FakePlatform& p) {
    return {p.list,
            p.pathBox,
            p.title,
            p.dialogs,
            p.fileDialog,
            p.files,
            p.pump,
            p.clock,
            p.app,
            p.window,
            [&p] { return p.CreateVoice(); }};
}

}  // namespace orlavo::testing
