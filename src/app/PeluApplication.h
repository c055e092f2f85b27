#pragma once

#include <QApplication>

// The application object. Commands catch their own failures (RunCommand); this
// is the last net, so a failure that escapes an event handler still reaches the
// default error box instead of ending the program.
class PeluApplication : public QApplication {
    Q_OBJECT
public:
    PeluApplication(int &argc, char **argv);
    bool notify(QObject *receiver, QEvent *event) override;
};
