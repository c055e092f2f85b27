#pragma once

#include "app/MessageBoxes.h"

// Real modal message boxes, owned by the active window (or the application).
class QtMessageBoxes : public MessageBoxes {
public:
    int show(MsgIcon icon, const QString &title, const QString &text, MsgButtons buttons) override;
};
