#include "app/MessageBoxes.h"
#include "app/PeluApplication.h"
#include "app/QtMessageBoxes.h"
#include "app/Startup.h"

int main(int argc, char **argv)
{
    PeluApplication app(argc, argv);
    // The data module sets the title once it has read the system title.
    app.setApplicationDisplayName(QString());
    QtMessageBoxes boxes;
    setMessageBoxes(&boxes);
    return RunProgram();
}
