#include "app/QtMessageBoxes.h"

#include <QApplication>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QtMessageBoxes boxes;
    setMessageBoxes(&boxes);
    return 0;
}
