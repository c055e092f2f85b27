#include "app/PeluApplication.h"

#include "app/MessageBoxes.h"
#include "app/base_form.h"

PeluApplication::PeluApplication(int &argc, char **argv) : QApplication(argc, argv)
{
    // Under a bare X server Qt picks an odd default; start from a font with Chinese glyphs.
    setFont(Tfrm_base_form::systemFont());
}

bool PeluApplication::notify(QObject *receiver, QEvent *event)
{
    bool handled = false;
    RunCommand([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}
